// The persistent index: what the store read from each file of an address book, kept between runs.
#include "platform/store/index.h"

#include "platform/store/snapshot.h"

#include <shlobj.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

const char INDEX_MAGIC[8] = {'F', 'S', 'T', 'V', 'I', 'D', 'X', 0};
// Raised whenever the layout below or the meaning of a stored field changes.
const uint32_t INDEX_VERSION = 7;
const size_t HEADER_BYTES = 8 + 4 + 4 + 8 + 8;
// The fewest bytes a card takes in the index: its first number, length and name's place.
const size_t MIN_CARD_BYTES = 1 + 1 + 1;

// The index's checksum: a multiply and a shift per 8 bytes (a byte at a time costs several
// milliseconds on a large book's index), the same whatever pieces the bytes come in.
class CChecksum
{
public:
    void Add(const char* data, size_t size)
    {
        m_count += size;
        while (m_pending && size)
        {
            m_word[m_pending++] = *data++;
            --size;
            if (m_pending == 8)
            {
                Mix(m_word);
                m_pending = 0;
            }
        }
        for (; size >= 8; data += 8, size -= 8)
            Mix(data);
        memcpy(m_word, data, size);
        m_pending = size;
    }
    uint64_t Value() const
    {
        CChecksum last = *this;
        memset(last.m_word + last.m_pending, 0, 8 - last.m_pending);
        last.Mix(last.m_word);
        return last.m_hash ^ m_count;
    }

private:
    void Mix(const char* bytes)
    {
        uint64_t word;
        memcpy(&word, bytes, 8);
        m_hash = (m_hash ^ word) * 1099511628211ull;
        m_hash ^= m_hash >> 32;
    }

    uint64_t m_hash = 14695981039346656037ull;
    uint64_t m_count = 0;
    char m_word[8] = {};
    size_t m_pending = 0;
};

class CWriter
{
public:
    std::string bytes;
    template <typename T> void Put(T value) { bytes.append(reinterpret_cast<const char*>(&value), sizeof(T)); }
    // Seven bits a byte, the last byte's high bit clear: small numbers take one byte.
    void Number(uint64_t value)
    {
        char digits[10];
        size_t n = 0;
        for (; value >= 0x80; value >>= 7)
            digits[n++] = static_cast<char>(value | 0x80);
        digits[n++] = static_cast<char>(value);
        bytes.append(digits, n);
    }
    void Wide(const std::wstring& text)
    {
        Put(static_cast<uint32_t>(text.size()));
        bytes.append(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
    }
};

// Reads what a writer wrote, from bytes in memory or from the index file a window at a time (the
// checksum counted over the bytes as they come); every read is bounded, the bytes come from a file
// anyone may have changed.
class CReader
{
public:
    CReader(const char* data, size_t size) : m_data(data), m_size(size) { m_held = size; }
    CReader(HANDLE file, uint64_t size) : m_file(file), m_size(size) {}
    bool Ok() const { return m_ok; }
    bool AtEnd() const { return m_pos == m_size; }
    // Of the bytes read from the file so far.
    uint64_t Checksum() const { return m_checksum.Value(); }
    template <typename T> T Get()
    {
        T value{};
        if (const char* at = Take(sizeof(T)))
            memcpy(&value, at, sizeof(T));
        return value;
    }
    void Wide(std::wstring& text)
    {
        uint32_t n = Get<uint32_t>();
        const char* at = n <= m_size ? Take(static_cast<size_t>(n) * sizeof(wchar_t)) : nullptr;
        if (!at)
            return;
        text.resize(n);
        memcpy(&text[0], at, n * sizeof(wchar_t));
    }
    // The next n bytes into dest: what the window holds, and the rest read from the file straight
    // into dest (a file's cards and names are not copied through the window).
    bool Into(void* dest, size_t n)
    {
        if (!m_ok || n > m_size - m_pos)
            return m_ok = false;
        char* to = static_cast<char*>(dest);
        size_t held = std::min<size_t>(n, static_cast<size_t>(m_start + m_held - m_pos));
        memcpy(to, m_data + (m_pos - m_start), held);
        m_pos += held;
        for (size_t done = held; done < n;)
        {
            DWORD want = static_cast<DWORD>(std::min<size_t>(n - done, 1u << 24)), got = 0;
            if (!m_file || !ReadFile(m_file, to + done, want, &got, nullptr) || got == 0)
                return m_ok = false;
            m_checksum.Add(to + done, got);
            done += got;
            m_pos += got;
            m_start = m_pos;
            m_held = 0;
        }
        return true;
    }
    // The next n bytes in one piece, left to be taken (Skip) once used; null when there are not as many.
    const char* Peek(size_t n)
    {
        const char* at = Take(n);
        if (at)
            m_pos -= n;
        return at;
    }
    void Skip(size_t n) { Take(n); }
    // Of the window the index is read through: what a caller peeking at it can count on.
    static size_t Window() { return WINDOW; }
    // A count of items of at least minBytes each that the rest of the bytes can hold.
    uint32_t Count(size_t minBytes)
    {
        uint32_t n = Get<uint32_t>();
        if (static_cast<uint64_t>(n) * minBytes > m_size - m_pos)
            m_ok = false;
        return m_ok ? n : 0;
    }

private:
    // Small: the large parts of the index are read past it.
    static const size_t WINDOW = 1u << 16;

    // The next n bytes, or null when there are not as many.
    const char* Take(size_t n)
    {
        if (!m_ok || n > m_size - m_pos || (m_pos + n > m_start + m_held && !Refill(n)))
        {
            m_ok = false;
            return nullptr;
        }
        const char* at = m_data + (m_pos - m_start);
        m_pos += n;
        return at;
    }
    // Keeps what is not taken yet and reads on until n bytes are there.
    bool Refill(size_t n)
    {
        if (!m_file)
            return false;
        size_t kept = static_cast<size_t>(m_start + m_held - m_pos);
        size_t room = std::max<size_t>(std::min<uint64_t>(WINDOW, m_size - m_start), n);
        if (room > m_buffer.size())
        {
            std::vector<char> larger(room);
            memcpy(larger.data(), m_data + (m_pos - m_start), kept);
            m_buffer.swap(larger);
        }
        else
            memmove(m_buffer.data(), m_data + (m_pos - m_start), kept);
        m_data = m_buffer.data();
        m_start = m_pos;
        m_held = kept;
        uint64_t unread = m_size - (m_start + m_held);
        while (m_held < n)
        {
            DWORD want = static_cast<DWORD>(std::min<uint64_t>(m_buffer.size() - m_held, unread)), got = 0;
            if (want == 0 || !ReadFile(m_file, m_buffer.data() + m_held, want, &got, nullptr) || got == 0)
                return false;
            m_checksum.Add(m_buffer.data() + m_held, got);
            m_held += got;
            unread -= got;
        }
        return true;
    }

    HANDLE m_file = nullptr;
    std::vector<char> m_buffer;
    const char* m_data = nullptr;
    uint64_t m_size;      // of all the bytes to read
    uint64_t m_pos = 0;   // of the next byte to take
    uint64_t m_start = 0; // of the first byte held
    size_t m_held = 0;
    bool m_ok = true;
    CChecksum m_checksum;
};

// The store's build that wrote an index: another build may read cards differently.
uint64_t BuildStamp()
{
    wchar_t path[MAX_PATH];
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<const wchar_t*>(&BuildStamp), &module);
    DWORD n = GetModuleFileNameW(module, path, MAX_PATH);
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (n == 0 || n >= MAX_PATH || !GetFileAttributesExW(path, GetFileExInfoStandard, &data))
        return 0;
    return Ticks(data.ftLastWriteTime) ^ (static_cast<uint64_t>(data.nFileSizeLow) << 17);
}

// What a card in the index holds besides its numbers, in the low bits of its first number; the rest
// of that number is the gap from the end of the card before.
const uint64_t HAS_BIRTHDAY = 1;
const uint64_t HAS_ANNIVERSARY = 2;
const uint64_t OID_GIVEN = 4;      // the base oid is stored (else it follows from the hash)
const uint64_t AS_BEFORE = 8;      // the hash and base oid are the card before's: the same card again
const unsigned CARD_FLAG_BITS = 4;

// A card in the index: only what does not follow from the card before it or from its hash, numbers
// as short as they can be; a book of the smallest cards has an index well under half its size.
// Differences are modulo 2^32, so that a card starting inside the one before still reads back exactly.
void PutCard(CWriter& out, const CStoreCard& card, const CStoreCard& previous)
{
    bool again = card.hash == previous.hash && card.baseOid == previous.baseOid;
    uint64_t flags = (card.birthday != NO_DAY ? HAS_BIRTHDAY : 0) | (card.anniversary != NO_DAY ? HAS_ANNIVERSARY : 0) |
                     (again ? AS_BEFORE : card.baseOid != ContentOid(card.hash) ? OID_GIVEN : 0);
    out.Number(static_cast<uint64_t>(card.begin - previous.end) << CARD_FLAG_BITS | flags);
    if (!again)
        out.Put(card.hash);
    if (flags & OID_GIVEN)
        out.Put(card.baseOid);
    out.Number(card.end - card.begin);
    out.Number(card.nameAt - previous.nameAt);
    if (flags & HAS_BIRTHDAY)
        out.Number(static_cast<uint32_t>(card.birthday) - static_cast<uint32_t>(FIRST_DAY));
    if (flags & HAS_ANNIVERSARY)
        out.Number(static_cast<uint32_t>(card.anniversary) - static_cast<uint32_t>(FIRST_DAY));
}

// The number at at, seven bits a byte; null when it runs past end or is longer than any PutCard writes.
inline const uint8_t* GetNumber(const uint8_t* at, const uint8_t* end, uint64_t& value)
{
    if (at < end && *at < 0x80)
    {
        value = *at;
        return at + 1;
    }
    value = 0;
    for (unsigned shift = 0; at < end && shift < 64; shift += 7)
    {
        uint8_t byte = *at++;
        value |= static_cast<uint64_t>(byte & 0x7F) << shift;
        if (byte < 0x80)
            return value >> (32 + CARD_FLAG_BITS) ? nullptr : at;
    }
    return nullptr;
}

// The most bytes a card takes in the index: numbers of ten bytes at most, hash and oid.
const size_t MAX_CARD_BYTES = 10 + 8 + 4 + 4 * 10;

// Where decoding a file's cards stands: what the next card follows from.
struct CCardsRead
{
    size_t done = 0;
    uint64_t hash = 0;
    LONG baseOid = 0;
    uint32_t end = 0;
    uint32_t nameAt = 0;
};

// Decodes cards PutCard wrote from a piece of their bytes into place, in one pass, while the piece
// surely holds a whole card (to its end when it is the last piece); the bytes used, or SIZE_MAX when
// they are not what PutCard writes. Every read is bounded by the piece's end; whether the cards make
// sense is CFileCards::Sound's to say.
size_t GetCards(const char* data, size_t size, bool last, CStoreCard* cards, size_t count, CCardsRead& read)
{
    const uint8_t* start = reinterpret_cast<const uint8_t*>(data);
    const uint8_t* at = start;
    const uint8_t* end = at + size;
    for (; read.done < count && (last || static_cast<size_t>(end - at) >= MAX_CARD_BYTES); ++read.done)
    {
        CStoreCard* card = cards + read.done;
        uint64_t first, length, name;
        if (!(at = GetNumber(at, end, first)))
            return SIZE_MAX;
        if (!(first & AS_BEFORE))
        {
            size_t fixed = first & OID_GIVEN ? sizeof(read.hash) + sizeof(read.baseOid) : sizeof(read.hash);
            if (static_cast<size_t>(end - at) < fixed)
                return SIZE_MAX;
            memcpy(&read.hash, at, sizeof(read.hash));
            if (first & OID_GIVEN)
                memcpy(&read.baseOid, at + sizeof(read.hash), sizeof(read.baseOid));
            else
                read.baseOid = ContentOid(read.hash);
            at += fixed;
        }
        if (!(at = GetNumber(at, end, length)) || !(at = GetNumber(at, end, name)))
            return SIZE_MAX;
        card->hash = read.hash;
        card->baseOid = read.baseOid;
        card->begin = read.end + static_cast<uint32_t>(first >> CARD_FLAG_BITS);
        card->end = read.end = card->begin + static_cast<uint32_t>(length);
        card->nameAt = read.nameAt = read.nameAt + static_cast<uint32_t>(name);
        uint64_t day;
        card->birthday = NO_DAY;
        if (first & HAS_BIRTHDAY)
        {
            if (!(at = GetNumber(at, end, day)))
                return SIZE_MAX;
            card->birthday = static_cast<int32_t>(static_cast<uint32_t>(day) + static_cast<uint32_t>(FIRST_DAY));
        }
        card->anniversary = NO_DAY;
        if (first & HAS_ANNIVERSARY)
        {
            if (!(at = GetNumber(at, end, day)))
                return SIZE_MAX;
            card->anniversary = static_cast<int32_t>(static_cast<uint32_t>(day) + static_cast<uint32_t>(FIRST_DAY));
        }
    }
    return static_cast<size_t>(at - start);
}

} // namespace

uint64_t IndexChecksum(const char* payload, size_t size)
{
    CChecksum checksum;
    checksum.Add(payload, size);
    return checksum.Value();
}

std::wstring IndexPath(const std::wstring& location)
{
    wchar_t base[MAX_PATH];
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, base)))
        return std::wstring();
    std::wstring lower = LowerPath(location);
    uint64_t key = Fnv64(reinterpret_cast<const char*>(lower.data()), lower.size() * sizeof(wchar_t));
    wchar_t name[32];
    swprintf(name, 32, L"%016llx.idx", static_cast<unsigned long long>(key));
    return std::wstring(base) + L"\\Festivo\\AddressBooks\\" + name;
}

namespace {

// The index in the open file, read a window at a time; false when it is not whole and sound, or is
// for another address book or build.
bool ReadIndex(HANDLE h, const std::wstring& location, CSnapshot& snapshot)
{
    LARGE_INTEGER size;
    char bytes[HEADER_BYTES];
    DWORD got = 0;
    if (!GetFileSizeEx(h, &size) || static_cast<ULONGLONG>(size.QuadPart) > MAX_ADDRESS_BOOK_FILE ||
        static_cast<ULONGLONG>(size.QuadPart) < HEADER_BYTES || !ReadFile(h, bytes, HEADER_BYTES, &got, nullptr) ||
        got != HEADER_BYTES || memcmp(bytes, INDEX_MAGIC, 8) != 0)
        return false;
    CReader header(bytes + 8, HEADER_BYTES - 8);
    uint32_t version = header.Get<uint32_t>();
    header.Get<uint32_t>();
    uint64_t payloadBytes = header.Get<uint64_t>();
    uint64_t checksum = header.Get<uint64_t>();
    if (version != INDEX_VERSION || payloadBytes != static_cast<ULONGLONG>(size.QuadPart) - HEADER_BYTES)
        return false;
    CReader in(h, payloadBytes);
    std::wstring indexed;
    in.Wide(indexed);
    if (indexed != location || in.Get<uint64_t>() != BuildStamp())
        return false;
    snapshot.location = location;
    uint32_t files = in.Count(42);
    snapshot.files.resize(files);
    for (CStoreFile& file : snapshot.files)
    {
        in.Wide(file.path);
        ULONGLONG time = in.Get<uint64_t>();
        file.stamp.time.dwLowDateTime = static_cast<DWORD>(time);
        file.stamp.time.dwHighDateTime = static_cast<DWORD>(time >> 32);
        file.stamp.size = in.Get<uint64_t>();
        file.stamp.exists = in.Get<uint8_t>() != 0;
        file.changeTime = in.Get<uint64_t>();
        file.readAt = in.Get<uint64_t>();
        file.utf16 = in.Get<uint8_t>() != 0;
        // The cards, decoded in one pass into place, then their names read straight in; then checked.
        uint32_t count = in.Count(MIN_CARD_BYTES);
        uint32_t cardBytes = in.Count(1);
        uint32_t nameBytes = in.Count(1);
        auto cards = std::make_shared<CFileCards>();
        if (!in.Ok() || static_cast<uint64_t>(count) * MIN_CARD_BYTES > cardBytes)
            return false;
        if (count)
        {
            // A window's worth at a time: a large book's cards are never held coded whole.
            CStoreCard* fill = cards->FillCards(count);
            CCardsRead read;
            for (size_t left = cardBytes; left;)
            {
                size_t piece = std::min(left, CReader::Window());
                const char* coded = in.Peek(piece);
                size_t used = coded ? GetCards(coded, piece, piece == left, fill, count, read) : SIZE_MAX;
                if (used == SIZE_MAX || used == 0)
                    return false;
                in.Skip(used);
                left -= used;
            }
            if (read.done != count)
                return false;
        }
        else if (cardBytes)
            return false;
        if (in.Ok() && nameBytes)
            in.Into(cards->FillNames(nameBytes), nameBytes);
        if (!in.Ok() || !cards->Sound())
            return false;
        file.cards = cards;
    }
    // The checksum covers every byte: known only once all are read.
    return in.Ok() && in.AtEnd() && in.Checksum() == checksum;
}

} // namespace

bool LoadIndex(const std::wstring& location, CSnapshot& snapshot)
{
    std::wstring path = IndexPath(location);
    if (path.empty())
        return false;
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                           FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    CSnapshot read;
    bool loaded = ReadIndex(h, location, read);
    CloseHandle(h);
    if (loaded)
        snapshot = std::move(read);
    return loaded;
}

namespace {

// The index's payload written to its file as it is made, a window at a time, with its size and
// checksum counted on the way: the index of a large book is never held whole.
class CPayloadFile
{
public:
    explicit CPayloadFile(HANDLE file) : m_file(file) { m_out.bytes.reserve(WINDOW + 4096); }
    CWriter& Out() { return m_out; }
    // Writes what was put so far once it fills a window (or always, at the end).
    void Spill(bool always = false)
    {
        if (m_out.bytes.empty() || (!always && m_out.bytes.size() < WINDOW))
            return;
        Write(m_out.bytes.data(), m_out.bytes.size());
        m_out.bytes.clear();
    }
    // Bytes held elsewhere: a large block is written from where it is, not copied into the window.
    void Block(const void* data, size_t size)
    {
        if (size < WINDOW / 4)
        {
            m_out.bytes.append(static_cast<const char*>(data), size);
            Spill();
            return;
        }
        Spill(true);
        Write(static_cast<const char*>(data), size);
    }
    bool Ok() const { return m_ok; }
    uint64_t Size() const { return m_size; }
    uint64_t Checksum() const { return m_checksum.Value(); }

private:
    static const size_t WINDOW = 1u << 18;

    void Write(const char* data, size_t size)
    {
        for (size_t done = 0; m_ok && done < size;)
        {
            DWORD want = static_cast<DWORD>(std::min<size_t>(size - done, 1u << 24)), wrote = 0;
            m_ok = WriteFile(m_file, data + done, want, &wrote, nullptr) && wrote == want;
            done += want;
        }
        m_checksum.Add(data, size);
        m_size += size;
    }

    HANDLE m_file;
    CWriter m_out;
    bool m_ok = true;
    uint64_t m_size = 0;
    CChecksum m_checksum;
};

// The payload: the location, the build, then every file with its cards.
bool WritePayload(const CSnapshot& snapshot, CPayloadFile& payload)
{
    CWriter& out = payload.Out();
    out.Wide(snapshot.location);
    out.Put(BuildStamp());
    // A file that could not be read is kept with its last good contents and the stamp they were
    // read at: a later start reads it again, and shows those contents if it still cannot.
    out.Put(static_cast<uint32_t>(snapshot.files.size()));
    for (const CStoreFile& file : snapshot.files)
    {
        out.Wide(file.path);
        out.Put(static_cast<uint64_t>(Ticks(file.stamp.time)));
        out.Put(static_cast<uint64_t>(file.stamp.size));
        out.Put(static_cast<uint8_t>(file.stamp.exists));
        out.Put(static_cast<uint64_t>(file.changeTime));
        out.Put(static_cast<uint64_t>(file.readAt));
        out.Put(static_cast<uint8_t>(file.utf16));
        const CFileCards& cards = *file.cards;
        CWriter coded;
        CStoreCard previous;
        for (const CStoreCard& card : cards)
        {
            PutCard(coded, card, previous);
            previous = card;
        }
        out.Put(static_cast<uint32_t>(cards.size()));
        out.Put(static_cast<uint32_t>(coded.bytes.size()));
        out.Put(static_cast<uint32_t>(cards.NameBytes()));
        payload.Block(coded.bytes.data(), coded.bytes.size());
        payload.Block(cards.Names().data(), cards.NameBytes());
    }
    payload.Spill(true);
    return payload.Ok();
}

} // namespace

void SaveIndex(const CSnapshot& snapshot)
{
    std::wstring path = IndexPath(snapshot.location);
    if (path.empty() || snapshot.location.empty())
        return;
    // A finished copy renamed over the old one: a reader sees the whole old or the whole new index.
    size_t slash = path.find_last_of(L'\\');
    std::wstring folder = path.substr(0, slash);
    SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
    wchar_t temp[MAX_PATH];
    if (!GetTempFileNameW(folder.c_str(), L"idx", 0, temp))
        return;
    HANDLE h = CreateFileW(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    bool ok = h != INVALID_HANDLE_VALUE;
    if (ok)
    {
        // The header, with the payload's size and checksum, goes first once they are known.
        LARGE_INTEGER payloadStart, start = {};
        payloadStart.QuadPart = HEADER_BYTES;
        CPayloadFile payload(h);
        ok = SetFilePointerEx(h, payloadStart, nullptr, FILE_BEGIN) && WritePayload(snapshot, payload);
        CWriter header;
        header.bytes.assign(INDEX_MAGIC, 8);
        header.Put(INDEX_VERSION);
        header.Put(uint32_t(0));
        header.Put(payload.Size());
        header.Put(payload.Checksum());
        DWORD wrote = 0;
        ok = ok && SetFilePointerEx(h, start, nullptr, FILE_BEGIN) &&
             WriteFile(h, header.bytes.data(), static_cast<DWORD>(header.bytes.size()), &wrote, nullptr) &&
             wrote == header.bytes.size();
        CloseHandle(h);
    }
    if (!ok || !MoveFileExW(temp, path.c_str(), MOVEFILE_REPLACE_EXISTING))
        DeleteFileW(temp);
}
