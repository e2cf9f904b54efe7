// The persistent index: a start reads only files whose listing changed, and never shows what the files no longer hold.
#include "platform/store/index.h"
#include "tests/store/store_fixture.h"

#include <cstring>
#include <fstream>
#include <iterator>

namespace {

std::string Person(const std::string& name, const std::string& birthday)
{
    return Card("3.0", {"UID:u-" + name, "FN:" + name, "BDAY:" + birthday});
}

std::vector<std::wstring> Described(const std::vector<CListedContact>& contacts)
{
    std::vector<std::wstring> result;
    for (const CListedContact& c : contacts)
    {
        SYSTEMTIME st = {};
        VariantTimeToSystemTime(c.birthday, &st);
        wchar_t text[80];
        swprintf(text, 80, L"%ls %04u-%02u-%02u", c.name.c_str(), st.wYear, st.wMonth, st.wDay);
        result.push_back(text);
    }
    return result;
}

std::string ReadFileBytes(const std::wstring& path)
{
    std::ifstream in(path.c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::wstring& path, const std::string& bytes)
{
    std::ofstream(path.c_str(), std::ios::binary | std::ios::trunc) << bytes;
}

class IndexTest : public StoreTest
{
protected:
    // Ann in a.vcf and Bob in b.vcf, read once and kept in the index; then no program runs.
    void IndexTwoFiles()
    {
        DeleteFileW(m_dir.File(L"c.vcf").c_str());
        WriteBook(L"a.vcf", Person("Ann", "1980-01-01"));
        WriteBook(L"b.vcf", Person("Bob", "1981-01-01"));
        LetStampsSettle();
        ASSERT_EQ((std::vector<std::wstring>{L"Ann 1980-01-01", L"Bob 1981-01-01"}), Described(List()));
        CloseStore();
    }
};

} // namespace

TEST_F(IndexTest, ChangesMadeWhileNoProgramRanShowAtStart)
{
    struct Case
    {
        const char* what;
        void (*change)(const CTempDir& dir);
        std::vector<std::wstring> expected;
    } cases[] = {
        {"file added", [](const CTempDir& d) { d.Write(L"c.vcf", Person("Cid", "1982-01-01")); },
         {L"Ann 1980-01-01", L"Bob 1981-01-01", L"Cid 1982-01-01"}},
        {"file removed", [](const CTempDir& d) { DeleteFileW(d.File(L"a.vcf").c_str()); }, {L"Bob 1981-01-01"}},
        {"file renamed", [](const CTempDir& d) { MoveFileW(d.File(L"a.vcf").c_str(), d.File(L"c.vcf").c_str()); },
         {L"Bob 1981-01-01", L"Ann 1980-01-01"}},
        {"file rewritten with the same size and times",
         [](const CTempDir& d) {
             std::wstring path = d.File(L"a.vcf");
             HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
             FILETIME written;
             GetFileTime(h, nullptr, nullptr, &written);
             CloseHandle(h);
             d.Write(L"a.vcf", Person("Ann", "1980-01-02"));
             h = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
             SetFileTime(h, nullptr, nullptr, &written);
             CloseHandle(h);
         },
         {L"Ann 1980-01-02", L"Bob 1981-01-01"}},
        {"file grown", [](const CTempDir& d) { d.Write(L"b.vcf", Person("Bob", "1981-01-01") + Person("Dan", "1983-01-01")); },
         {L"Ann 1980-01-01", L"Bob 1981-01-01", L"Dan 1983-01-01"}},
        {"file emptied", [](const CTempDir& d) { d.Write(L"a.vcf", ""); }, {L"Bob 1981-01-01"}},
    };
    for (const Case& c : cases)
    {
        IndexTwoFiles();
        c.change(m_dir);
        EXPECT_EQ(c.expected, Described(List())) << c.what;
        CloseStore();
    }
}

TEST_F(IndexTest, FileThatCannotBeReadAtStartShowsWhatTheIndexHolds)
{
    IndexTwoFiles();
    // Another program holds b.vcf without sharing it: unchanged, it is taken from the index unread.
    HANDLE held = CreateFileW(m_dir.File(L"b.vcf").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    EXPECT_EQ((std::vector<std::wstring>{L"Ann 1980-01-01", L"Bob 1981-01-01"}), Described(List()));
    CloseStore();

    // Rewritten while held, it cannot be read at the next start either: its last good contents stay.
    std::string text = Person("Bob", "1981-01-05");
    DWORD wrote = 0;
    WriteFile(held, text.data(), static_cast<DWORD>(text.size()), &wrote, nullptr);
    SetEndOfFile(held);
    EXPECT_EQ((std::vector<std::wstring>{L"Ann 1980-01-01", L"Bob 1981-01-01"}), Described(List()));
    CloseStore();

    CloseHandle(held);
    EXPECT_EQ((std::vector<std::wstring>{L"Ann 1980-01-01", L"Bob 1981-01-05"}), Described(List()));
}

TEST_F(IndexTest, DamagedIndexIsIgnored)
{
    struct Case
    {
        const char* what;
        void (*damage)(std::string& index);
    } cases[] = {
        {"a name changed", [](std::string& b) { b[b.find("Bob")] = 'X'; }},
        {"cut short", [](std::string& b) { b.resize(b.size() - 9); }},
        {"empty", [](std::string& b) { b.clear(); }},
    };
    for (const Case& c : cases)
    {
        IndexTwoFiles();
        std::wstring path = IndexPath(m_dir.Path());
        std::string bytes = ReadFileBytes(path);
        ASSERT_NE(std::string::npos, bytes.find("Bob")) << c.what;
        c.damage(bytes);
        WriteFileBytes(path, bytes);
        EXPECT_EQ((std::vector<std::wstring>{L"Ann 1980-01-01", L"Bob 1981-01-01"}), Described(List())) << c.what;
        CloseStore();
    }
}

TEST_F(IndexTest, IndexWhoseCardsNoReadingCouldGiveIsIgnored)
{
    // Damage that the checksum does not catch (the index made by hand): Bob's card, the only one of
    // b.vcf, written again with its numbers five bytes long and one field what no file could give.
    const uint32_t firstDay = static_cast<uint32_t>(-109205);
    struct Case
    {
        const char* what;
        uint32_t length, nameAt, oid, birthday;
    } cases[] = {
        {"name outside the names", 60, 4096, 7, 138792},
        {"card ending before it begins", 0xFFFFFFFF, 0, 7, 138792},
        {"birthday no date can have", 60, 0, 7, 0x7FFFFFFF - firstDay},
        {"oid 0", 60, 0, 0, 138792},
    };
    for (const Case& c : cases)
    {
        IndexTwoFiles();
        std::wstring path = IndexPath(m_dir.Path());
        std::string bytes = ReadFileBytes(path);
        size_t names = bytes.rfind("Bob");
        ASSERT_NE(std::string::npos, names) << c.what;
        // Before the card: its file's count of cards (1), of their bytes, and of their names (3).
        size_t cardBytes = 0;
        for (uint32_t n = 3; !cardBytes && n < 64 && names >= n + 12; ++n)
        {
            uint32_t counts[3];
            memcpy(counts, &bytes[names - n - 12], 12);
            if (counts[0] == 1 && counts[1] == n && counts[2] == 3)
                cardBytes = n;
        }
        ASSERT_NE(0u, cardBytes) << c.what;
        size_t card = names - cardBytes;
        std::string made(1, '\x05'); // follows its file's start; oid and birthday given
        made += bytes.substr(card + 1, 8);
        made.append(reinterpret_cast<const char*>(&c.oid), 4);
        for (uint32_t value : {c.length, c.nameAt, c.birthday})
        {
            for (int i = 0; i < 4; ++i, value >>= 7)
                made += static_cast<char>((value & 0x7F) | 0x80);
            made += static_cast<char>(value);
        }
        bytes.replace(card, cardBytes, made);
        uint32_t madeBytes = static_cast<uint32_t>(made.size());
        memcpy(&bytes[card - 8], &madeBytes, 4);
        uint64_t payload = bytes.size() - 32;
        memcpy(&bytes[16], &payload, 8);
        uint64_t checksum = IndexChecksum(bytes.data() + 32, bytes.size() - 32);
        memcpy(&bytes[24], &checksum, 8);
        WriteFileBytes(path, bytes);
        EXPECT_EQ((std::vector<std::wstring>{L"Ann 1980-01-01", L"Bob 1981-01-01"}), Described(List())) << c.what;
        CloseStore();
    }
}

TEST_F(IndexTest, IndexOfTheSmallestCardsHoldsAtMostHalfTheBookAndGivesTheListBack)
{
    struct Case
    {
        const char* what;
        std::string card;
    } cases[] = {
        {"a name alone", "BEGIN:VCARD\nFN:a\nEND:VCARD\n"},
        {"with a UID and dates", "BEGIN:VCARD\nUID:#\nFN:#\nBDAY:1980-01-02\nANNIVERSARY:2001-03-04\nEND:VCARD\n"},
    };
    for (const Case& c : cases)
    {
        std::string book;
        for (int i = 0; i < 3000; ++i)
        {
            std::string card = c.card;
            for (size_t at; (at = card.find('#')) != std::string::npos;)
                card.replace(at, 1, std::to_string(i));
            book += card;
        }
        WriteBook(L"a.vcf", book);
        LetStampsSettle();
        std::vector<CListedContact> read = List();
        ASSERT_EQ(3000u, read.size()) << c.what;
        CloseStore();
        EXPECT_LE(ReadFileBytes(IndexPath(m_dir.Path())).size(), book.size() / 2) << c.what;
        std::vector<CListedContact> indexed = List();
        ASSERT_EQ(read.size(), indexed.size()) << c.what;
        for (size_t i = 0; i < read.size(); ++i)
        {
            EXPECT_EQ(read[i].oid, indexed[i].oid) << c.what << i;
            EXPECT_EQ(read[i].name, indexed[i].name) << c.what << i;
            EXPECT_EQ(read[i].birthday, indexed[i].birthday) << c.what << i;
            EXPECT_EQ(read[i].anniversary, indexed[i].anniversary) << c.what << i;
        }
        CloseStore();
    }
}

TEST_F(IndexTest, IndexHoldsAtMostHalfTheBookAndAStartFromItStillReadsEveryField)
{
    std::string book;
    for (int i = 0; i < 200; ++i)
    {
        std::string n = std::to_string(i);
        book += Card("3.0", {"UID:bench-" + n, "N:Family" + n + ";Given" + n + ";;;", "FN:Given" + n + " Family" + n,
                             "BDAY:1980-01-02", "TEL;TYPE=CELL:+1 555 " + n, "EMAIL;TYPE=INTERNET:g" + n + "@example.com"});
    }
    // A UTF-16 file is read the same way: its cards' places refer to the converted text.
    std::string wide = "\xFF\xFE";
    for (char c : Card("3.0", {"FN:Wide", "TEL;TYPE=HOME:+1 777"}))
        wide += std::string(1, c) + '\0';
    WriteBook(L"a.vcf", book);
    WriteBook(L"b.vcf", wide);
    LetStampsSettle();
    ASSERT_EQ(201u, List().size());
    CloseStore();
    std::string index = ReadFileBytes(IndexPath(m_dir.Path()));
    EXPECT_LE(index.size(), book.size() / 2);

    std::vector<CListedContact> contacts = List();
    ASSERT_EQ(201u, contacts.size());
    struct Case
    {
        size_t contact;
        CEPROPID id;
        const wchar_t* expected;
    } cases[] = {
        {7, PIMPR_MOBILE_TELEPHONE_NUMBER, L"+1 555 7"},
        {7, PIMPR_EMAIL1_ADDRESS, L"g7@example.com"},
        {199, PIMPR_MOBILE_TELEPHONE_NUMBER, L"+1 555 199"},
        {200, PIMPR_HOME_TELEPHONE_NUMBER, L"+1 777"},
    };
    for (const Case& c : cases)
    {
        IItem* item = ItemOf(contacts[c.contact].oid);
        ASSERT_NE(nullptr, item) << c.contact;
        CEPROPVAL* values = nullptr;
        ULONG size = 0;
        ASSERT_EQ(S_OK, item->GetProps(&c.id, CEDB_ALLOWREALLOC, 1, &values, &size, nullptr)) << c.contact;
        EXPECT_STREQ(c.expected, values[0].val.lpwstr) << c.contact;
        HeapFree(GetProcessHeap(), 0, values);
        item->Release();
    }
    IContact* contact = nullptr;
    IItem* item = ItemOf(contacts[7].oid);
    ASSERT_EQ(S_OK, item->QueryInterface(IID_IContact, reinterpret_cast<void**>(&contact)));
    BSTR first = nullptr;
    EXPECT_EQ(S_OK, contact->get_FirstName(&first));
    EXPECT_STREQ(L"Given7", first);
    SysFreeString(first);
    contact->Release();
    item->Release();
}

TEST_F(IndexTest, IndexLargerThanOneWindowIsReadWhole)
{
    // A name of 1.5 MB makes the card larger than the window a file is read through, and the index
    // larger than the one it is read back through; b.vcf held unshared proves the index is what is read.
    std::string huge(3u << 19, 'x');
    WriteBook(L"a.vcf", Person("Ann", "1980-01-01"));
    WriteBook(L"b.vcf", Person(huge, "1981-01-01") + Person("Bob", "1982-01-01"));
    LetStampsSettle();
    ASSERT_EQ(3u, List().size());
    CloseStore();
    HANDLE held = CreateFileW(m_dir.File(L"b.vcf").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    std::vector<std::wstring> names;
    for (const CListedContact& c : List())
        names.push_back(c.name);
    CloseHandle(held);
    EXPECT_EQ((std::vector<std::wstring>{L"Ann", std::wstring(huge.begin(), huge.end()), L"Bob"}), names);
}
