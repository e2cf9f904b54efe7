// The persistent index: what the store read from each file of an address book, kept between runs.
#include "platform/store/index.h"

#include "platform/store/snapshot.h"

#include <shlobj.h>

#include <algorithm>
#include <cstring>

namespace {

const char INDEX_MAGIC[8] = {'F', 'S', 'T', 'V', 'I', 'D', 'X', 0};
// Raised whenever the layout below or the meaning of a stored field changes.
const uint32_t INDEX_VERSION = 4;
const size_t HEADER_BYTES = 8 + 4 + 4 + 8 + 8;
// A contact without the date: the index stores a flag instead of the 8 bytes.
const double NO_DATE = 949998.0;

class CWriter
{
public:
    std::string bytes;
    template <typename T> void Put(T value) { bytes.append(reinterpret_cast<const char*>(&value), sizeof(T)); }
    // Seven bits a byte, low bits first: most lengths and offsets take one or two bytes.
    void Number(uint64_t value)
    {
        for (; value >= 0x80; value >>= 7)
            bytes += static_cast<char>(0x80 | (value & 0x7F));
        bytes += static_cast<char>(value);
    }
    void Text(std::string_view text)
    {
        Number(text.size());
        bytes.append(text.data(), text.size());
    }
    void Wide(const std::wstring& text)
    {
        Put(static_cast<uint32_t>(text.size()));
        bytes.append(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
    }
};

// Reads what a writer wrote; every read is bounded, the bytes come from a file anyone may have changed.
class CReader
{
public:
    CReader(const char* data, size_t size) : m_data(data), m_size(size), m_pos(0), m_ok(true) {}
    bool Ok() const { return m_ok; }
    bool AtEnd() const { return m_pos == m_size; }
    template <typename T> T Get()
    {
        T value{};
        if (!Take(sizeof(T)))
            return value;
        memcpy(&value, m_data + m_pos - sizeof(T), sizeof(T));
        return value;
    }
    uint64_t Number()
    {
        uint64_t value = 0;
        for (unsigned shift = 0; shift < 64; shift += 7)
        {
            uint8_t byte = Get<uint8_t>();
            value |= static_cast<uint64_t>(byte & 0x7F) << shift;
            if (!(byte & 0x80))
                return value;
        }
        m_ok = false;
        return 0;
    }
    std::string_view Text()
    {
        uint64_t n = Number();
        if (n <= m_size && Take(static_cast<size_t>(n)))
            return std::string_view(m_data + m_pos - n, static_cast<size_t>(n));
        return std::string_view();
    }
    void Wide(std::wstring& text)
    {
        uint32_t n = Get<uint32_t>();
        if (n > m_size || !Take(static_cast<size_t>(n) * sizeof(wchar_t)))
            return;
        text.resize(n);
        memcpy(&text[0], m_data + m_pos - n * sizeof(wchar_t), n * sizeof(wchar_t));
    }
    // A count of items of at least minBytes each that the rest of the bytes can hold.
    uint32_t Count(size_t minBytes)
    {
        uint32_t n = Get<uint32_t>();
        if (static_cast<uint64_t>(n) * minBytes > m_size - m_pos)
            m_ok = false;
        return m_ok ? n : 0;
    }

private:
    bool Take(size_t n)
    {
        if (!m_ok || n > m_size - m_pos)
            return m_ok = false;
        m_pos += n;
        return true;
    }

    const char* m_data;
    size_t m_size;
    size_t m_pos;
    bool m_ok;
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

// Flags of a card in the index.
const uint8_t HAS_BIRTHDAY = 1;
const uint8_t HAS_ANNIVERSARY = 2;
const uint8_t OID_FROM_UID = 4; // the base oid is stored (else it follows from the hash)

// Per card only what the list shows and where the card is (after the end of the card before it):
// the rest is read from the card itself.
void PutCard(CWriter& out, const CStoreCard& card, std::string_view name, uint64_t previousEnd)
{
    uint8_t flags = (card.birthday != NO_DATE ? HAS_BIRTHDAY : 0) | (card.anniversary != NO_DATE ? HAS_ANNIVERSARY : 0) |
                    (card.baseOid != ContentOid(card.hash) ? OID_FROM_UID : 0);
    out.Put(flags);
    out.Put(card.hash);
    if (flags & OID_FROM_UID)
        out.Put(card.baseOid);
    // Modulo 2^64, so that a card starting inside the one before (nested) still reads back exactly.
    out.Number(card.begin - previousEnd);
    out.Number(card.end - card.begin);
    out.Text(name);
    if (flags & HAS_BIRTHDAY)
        out.Put(card.birthday);
    if (flags & HAS_ANNIVERSARY)
        out.Put(card.anniversary);
}

// The card, and its name as a view into the index's bytes.
std::string_view GetCard(CReader& in, CStoreCard& card, uint64_t previousEnd)
{
    uint8_t flags = in.Get<uint8_t>();
    card.hash = in.Get<uint64_t>();
    card.baseOid = flags & OID_FROM_UID ? in.Get<LONG>() : ContentOid(card.hash);
    card.begin = previousEnd + in.Number();
    card.end = card.begin + in.Number();
    std::string_view name = in.Text();
    card.birthday = flags & HAS_BIRTHDAY ? in.Get<double>() : NO_DATE;
    card.anniversary = flags & HAS_ANNIVERSARY ? in.Get<double>() : NO_DATE;
    return name;
}

} // namespace

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

bool LoadIndex(const std::wstring& location, CSnapshot& snapshot)
{
    std::wstring path = IndexPath(location);
    std::string bytes;
    if (path.empty() || !ReadFileBytes(path, bytes, MAX_ADDRESS_BOOK_FILE) || bytes.size() < HEADER_BYTES ||
        memcmp(bytes.data(), INDEX_MAGIC, 8) != 0)
        return false;
    CReader header(bytes.data() + 8, HEADER_BYTES - 8);
    uint32_t version = header.Get<uint32_t>();
    header.Get<uint32_t>();
    uint64_t payloadBytes = header.Get<uint64_t>();
    uint64_t checksum = header.Get<uint64_t>();
    const char* payload = bytes.data() + HEADER_BYTES;
    if (version != INDEX_VERSION || payloadBytes != bytes.size() - HEADER_BYTES ||
        checksum != Fnv64(payload, static_cast<size_t>(payloadBytes)))
        return false;
    CReader in(payload, static_cast<size_t>(payloadBytes));
    std::wstring indexed;
    in.Wide(indexed);
    if (indexed != location || in.Get<uint64_t>() != BuildStamp())
        return false;
    snapshot = CSnapshot();
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
        uint32_t count = in.Count(12);
        auto cards = std::make_shared<CFileCards>();
        cards->Reserve(count, std::min<size_t>(static_cast<size_t>(count) * 24, bytes.size()));
        uint64_t end = 0;
        for (uint32_t i = 0; i < count && in.Ok(); ++i)
        {
            CStoreCard card;
            std::string_view name = GetCard(in, card, end);
            end = cards->Add(card, name).end;
        }
        cards->Fit();
        file.cards = cards;
        if (!in.Ok())
            return false;
    }
    return in.Ok() && in.AtEnd();
}

void SaveIndex(const CSnapshot& snapshot)
{
    std::wstring path = IndexPath(snapshot.location);
    if (path.empty() || snapshot.location.empty())
        return;
    CWriter out;
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
        out.Put(static_cast<uint32_t>(file.cards->size()));
        uint64_t end = 0;
        for (const CStoreCard& card : *file.cards)
        {
            PutCard(out, card, file.cards->Name(card), end);
            end = card.end;
        }
    }
    CWriter header;
    header.bytes.assign(INDEX_MAGIC, 8);
    header.Put(INDEX_VERSION);
    header.Put(uint32_t(0));
    header.Put(static_cast<uint64_t>(out.bytes.size()));
    header.Put(Fnv64(out.bytes.data(), out.bytes.size()));

    // A finished copy renamed over the old one: a reader sees the whole old or the whole new index.
    size_t slash = path.find_last_of(L'\\');
    std::wstring folder = path.substr(0, slash);
    SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
    wchar_t temp[MAX_PATH];
    if (!GetTempFileNameW(folder.c_str(), L"idx", 0, temp))
        return;
    HANDLE h = CreateFileW(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    bool ok = h != INVALID_HANDLE_VALUE;
    DWORD wrote = 0;
    ok = ok && WriteFile(h, header.bytes.data(), static_cast<DWORD>(header.bytes.size()), &wrote, nullptr) &&
         WriteFile(h, out.bytes.data(), static_cast<DWORD>(out.bytes.size()), &wrote, nullptr) &&
         wrote == out.bytes.size();
    if (h != INVALID_HANDLE_VALUE)
        CloseHandle(h);
    if (!ok || !MoveFileExW(temp, path.c_str(), MOVEFILE_REPLACE_EXISTING))
        DeleteFileW(temp);
}
