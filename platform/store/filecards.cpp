// Reading one file of the address book into what the store keeps of its cards.
#include "platform/store/filecards.h"

#include "platform/store/addressbook.h"
#include "platform/store/longpath.h"
#include "platform/store/vcard/window.h"

#include <algorithm>
#include <cstring>

namespace {

// The bytes a file is read through. A fresh page of memory costs more than reading its bytes, so
// a large file is not held whole.
const size_t WINDOW_BYTES = 1u << 20;

// Positive 32-bit, never 0.
LONG OidFromText(const std::string& text)
{
    uint32_t h = 2166136261u;
    for (char c : text)
        h = (h ^ static_cast<unsigned char>(c)) * 16777619u;
    LONG oid = static_cast<LONG>(h & 0x7FFFFFFF);
    return oid == 0 ? 1 : oid;
}

// Takes in the cards of one file as they are read.
class CCardCollector
{
public:
    explicit CCardCollector(ULONGLONG fileBytes) : m_cards(std::make_shared<CFileCards>()), m_fileBytes(fileBytes) {}

    // A card whose offsets count from text, which starts at offset in the file's text.
    void Take(const vcard::CVCard& card, const char* text, uint64_t offset)
    {
        CStoreCard stored;
        vcard::ReadContact(card, m_record, vcard::LIST_FIELDS);
        stored.birthday = StoreDay(m_record.birthday);
        stored.anniversary = StoreDay(m_record.anniversary);
        stored.begin = static_cast<uint32_t>(offset + card.begin);
        stored.end = static_cast<uint32_t>(offset + card.end);
        const char* bytes = text + card.begin;
        size_t size = card.end - card.begin;
        stored.hash = CardHash(bytes, size);
        // A card without UID is named by the FNV hash of its bytes, as it always was.
        stored.baseOid = m_record.uid.empty() ? ContentOid(Fnv64(bytes, size)) : OidFromText("uid:" + m_record.uid);
        m_cards->Add(stored, m_record.name);
        if (m_cards->size() == ESTIMATE_AFTER)
            ReserveForTheRest(stored.end);
    }

    std::shared_ptr<CFileCards> Done()
    {
        m_cards->Fit();
        return m_cards;
    }

private:
    static const size_t ESTIMATE_AFTER = 64;

    // Room for as many cards as the file holds at the rate of the first ones, so that the cards are
    // not moved (and held twice) as they grow.
    void ReserveForTheRest(uint64_t readBytes)
    {
        if (readBytes == 0 || readBytes >= m_fileBytes)
            return;
        double share = static_cast<double>(m_fileBytes) / static_cast<double>(readBytes);
        size_t cards = static_cast<size_t>(ESTIMATE_AFTER * share * 1.1) + ESTIMATE_AFTER;
        size_t names = static_cast<size_t>(static_cast<double>(m_cards->NameBytes()) * share * 1.1) + 64;
        m_cards->Reserve(cards, names);
    }

    std::shared_ptr<CFileCards> m_cards;
    vcard::CContactRecord m_record;
    ULONGLONG m_fileBytes;
};

// The cards of a whole file's bytes: UTF-16 converted first (its card offsets then refer to the
// converted text), any other file read as it is.
void ReadWholeCards(CStoreFile& file, std::string& bytes, CCardCollector& collector)
{
    std::string converted;
    file.utf16 = vcard::ConvertUtf16File(bytes, converted);
    if (file.utf16)
        std::string().swap(bytes);
    const std::string& text = file.utf16 ? converted : bytes;
    vcard::CVCardReader reader(text.data(), text.size());
    vcard::CVCard card;
    while (reader.Next(card))
        collector.Take(card, text.data(), 0);
}

} // namespace

bool ReadCards(CStoreFile& file)
{
    HANDLE h = CreateFileW(LongPath(file.path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(h, &size) || static_cast<ULONGLONG>(size.QuadPart) > MAX_ADDRESS_BOOK_FILE)
    {
        CloseHandle(h);
        return false;
    }
    // The bytes the file had when its size was taken; a file that ends sooner is a failed read.
    ULONGLONG left = static_cast<ULONGLONG>(size.QuadPart);
    auto fill = [&](char* buffer, size_t room) -> long long {
        DWORD want = static_cast<DWORD>(std::min<ULONGLONG>(std::min<size_t>(room, 1u << 24), left)), got = 0;
        if (want == 0)
            return 0;
        if (!ReadFile(h, buffer, want, &got, nullptr) || got == 0)
            return -1;
        left -= got;
        return got;
    };
    CCardCollector collector(static_cast<ULONGLONG>(size.QuadPart));
    // A file in UTF-16 starts with a byte-order mark or has a zero byte in its first character:
    // its first bytes send it to be read whole (and converted when it is UTF-16 indeed).
    bool whole = false, first = true;
    auto fillUnlessWide = [&](char* buffer, size_t room) -> long long {
        long long got = fill(buffer, room);
        if (first && got >= 2)
            whole = buffer[0] == 0 || buffer[1] == 0 || (buffer[0] == '\xFF' && buffer[1] == '\xFE') ||
                    (buffer[0] == '\xFE' && buffer[1] == '\xFF');
        first = false;
        return whole ? -1 : got;
    };
    auto take = [&](const vcard::CVCard& card, const char* text, uint64_t offset) { collector.Take(card, text, offset); };
    file.utf16 = false;
    bool read = vcard::ReadCardsInWindows(fillUnlessWide, std::min<size_t>(WINDOW_BYTES, static_cast<size_t>(size.QuadPart) + 16),
                                          take);
    CloseHandle(h);
    if (whole)
    {
        std::string bytes;
        read = ReadFileBytes(file.path, bytes, MAX_ADDRESS_BOOK_FILE);
        if (read)
            ReadWholeCards(file, bytes, collector);
    }
    if (!read)
        return false;
    file.cards = collector.Done();
    return true;
}
