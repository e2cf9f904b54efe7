// The store over address books written by the tests: enumeration, oids, names, dates, properties, picture.
#include "platform/store/addressbook.h"
#include "tests/store/register_store.h"
#include "tests/store/store_fixture.h"

#include <cstring>
#include <set>

namespace {

std::vector<std::wstring> Names(const std::vector<CListedContact>& contacts)
{
    std::vector<std::wstring> names;
    for (const CListedContact& c : contacts)
        names.push_back(c.name);
    return names;
}

std::string Named(const std::string& name, const std::vector<std::string>& more = {})
{
    std::vector<std::string> lines = {"FN:" + name};
    lines.insert(lines.end(), more.begin(), more.end());
    return Card("3.0", lines);
}

// A 1x1 GIF: small enough to write inline, real enough for any decoder.
const unsigned char PICTURE[] = {0x47, 0x49, 0x46, 0x38, 0x39, 0x61, 0x01, 0x00, 0x01, 0x00, 0x80, 0x00, 0x00, 0xFF,
                                 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x21, 0xF9, 0x04, 0x01, 0x00, 0x00, 0x00, 0x00, 0x2C,
                                 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x01, 0x00, 0x00, 0x02, 0x02, 0x44, 0x01, 0x00,
                                 0x3B};
const char PICTURE_BASE64[] = "R0lGODlhAQABAIAAAP///wAAACH5BAEAAAAALAAAAAABAAEAAAICRAEAOw==";

std::string ReadStream(IStream* stream)
{
    std::string bytes;
    char buffer[256];
    ULONG got = 0;
    while (SUCCEEDED(stream->Read(buffer, sizeof(buffer), &got)) && got > 0)
        bytes.append(buffer, got);
    return bytes;
}

} // namespace

TEST_F(StoreTest, RegistrationIsMachineWideWithThreadingModelBoth)
{
    wchar_t model[32] = L"";
    DWORD size = sizeof(model);
    ASSERT_EQ(ERROR_SUCCESS, RegGetValueW(HKEY_CLASSES_ROOT,
                                          L"CLSID\\{05058F23-20BE-11D2-8F18-0000F87A4335}\\InprocServer32",
                                          L"ThreadingModel", RRF_RT_REG_SZ, nullptr, model, &size));
    EXPECT_STREQ(L"Both", model);
}

TEST_F(StoreTest, MissingAddressBookIsAnEmptyStore)
{
    ClearAddressBook();
    EXPECT_TRUE(List().empty());
    SetAddressBook(m_dir.File(L"nowhere"));
    EXPECT_TRUE(List().empty());
    SetAddressBook(m_dir.Path());
    EXPECT_TRUE(List().empty());
}

TEST_F(StoreTest, EnumeratesFilesByNameAndCardsInFileOrder)
{
    WriteBook(L"b.vcf", Named("Second") + Named("Third"));
    WriteBook(L"A.vcf", Named("First"));
    WriteBook(L"c.txt", Named("Not a vCard file"));
    WriteBook(L"d.vcf", "BEGIN:VCARD\r\nFN:Never ended\r\n" + Named("Fourth"));
    EXPECT_EQ((std::vector<std::wstring>{L"First", L"Second", L"Third", L"Fourth"}), Names(List()));

    IPOutlookApp2* app = m_apps.front();
    IFolder* folder = nullptr;
    ASSERT_EQ(S_OK, app->GetDefaultFolder(olFolderContacts, &folder));
    IPOutlookItemCollection* items = nullptr;
    ASSERT_EQ(S_OK, folder->get_Items(&items));
    IContact* contact = reinterpret_cast<IContact*>(0xdeadbeef);
    EXPECT_TRUE(FAILED(items->Item(0, &contact)));
    EXPECT_EQ(nullptr, contact);
    EXPECT_TRUE(FAILED(items->Item(5, &contact)));
    items->Release();
    folder->Release();
    EXPECT_TRUE(FAILED(app->GetDefaultFolder(9, &folder)));
}

// Released contacts are handed out again: one still held keeps its own card whatever is handed out
// after it, also across a file without cards.
TEST_F(StoreTest, AHeldContactKeepsItsCardWhateverIsHandedOutAfter)
{
    WriteBook(L"a.vcf", Named("First"));
    WriteBook(L"b.vcf", "");
    WriteBook(L"c.vcf", Named("Second") + Named("Third"));
    ASSERT_EQ(3u, List().size());
    IFolder* folder = nullptr;
    ASSERT_EQ(S_OK, m_apps.front()->GetDefaultFolder(olFolderContacts, &folder));
    IPOutlookItemCollection* items = nullptr;
    ASSERT_EQ(S_OK, folder->get_Items(&items));
    auto name = [](IContact* contact) {
        BSTR text = nullptr;
        contact->get_FileAs(&text);
        std::wstring result = text ? text : L"";
        SysFreeString(text);
        return result;
    };
    IContact* first = nullptr;
    IContact* second = nullptr;
    IContact* third = nullptr;
    ASSERT_EQ(S_OK, items->Item(1, &first));
    first->AddRef();
    first->Release();
    ASSERT_EQ(S_OK, items->Item(2, &second));
    EXPECT_NE(first, second);
    second->Release();
    ASSERT_EQ(S_OK, items->Item(3, &third));
    EXPECT_EQ(L"First", name(first));
    EXPECT_EQ(L"Third", name(third));
    first->Release();
    third->Release();
    items->Release();
    folder->Release();
}

TEST_F(StoreTest, SingleFileAddressBook)
{
    std::wstring file = WriteBook(L"book.vcf", Named("One") + Named("Two"));
    SetAddressBook(file);
    EXPECT_EQ((std::vector<std::wstring>{L"One", L"Two"}), Names(List()));
}

// A folder that holds no cards but folders of them (one per collection, as a CardDAV sync keeps
// them) is read one level down; cards of its own make it an address book by itself.
TEST_F(StoreTest, CollectionsOneLevelDownWhenTheFolderHasNoCards)
{
    for (const wchar_t* sub : {L"work-book", L"b-book", L"b-book\\deeper", L"empty"})
        CreateDirectoryW(m_dir.File(sub).c_str(), nullptr);
    WriteBook(L"work-book\\w.vcf", Named("Work"));
    WriteBook(L"b-book\\x.vcf", Named("Friend"));
    WriteBook(L"b-book\\deeper\\y.vcf", Named("Two levels down"));
    WriteBook(L"notes.txt", Named("Not a vCard file"));
    EXPECT_EQ((std::vector<std::wstring>{L"Friend", L"Work"}), Names(List()));
    CloseStore();
    WriteBook(L"own.vcf", Named("Own"));
    EXPECT_EQ((std::vector<std::wstring>{L"Own"}), Names(List()));
}

TEST_F(StoreTest, OidsArePositiveUniqueAndStable)
{
    WriteBook(L"a.vcf", Named("Uid", {"UID:urn:uuid:1234"}) + Named("NoUid") + Named("SameUid", {"UID:urn:uuid:1234"}));
    std::vector<CListedContact> first = List();
    ASSERT_EQ(3u, first.size());
    for (size_t i = 0; i < first.size(); ++i)
    {
        EXPECT_GT(first[i].oid, 0);
        for (size_t k = 0; k < i; ++k)
            EXPECT_NE(first[i].oid, first[k].oid);
    }

    // The oids every version of the store gave these cards (programs keep them between runs): from
    // the UID, and from the card's bytes without one; the third repeats the first's UID.
    EXPECT_EQ((std::vector<LONG>{781765225, 260954928, 781765226}), (std::vector<LONG>{first[0].oid, first[1].oid, first[2].oid}));

    // Another file changes and a new store object reads everything again: the oids stay.
    WriteBook(L"b.vcf", Named("Later"));
    for (IPOutlookApp2* app : m_apps)
        app->Release();
    m_apps.clear();
    std::vector<CListedContact> second = List();
    ASSERT_EQ(4u, second.size());
    for (size_t i = 0; i < 3; ++i)
        EXPECT_EQ(first[i].oid, second[i].oid);

    // With a UID the oid follows the contact to another file and position.
    CloseStore();
    WriteBook(L"a.vcf", Named("Moved"));
    WriteBook(L"0.vcf", Named("Other") + Named("Uid", {"UID:urn:uuid:1234"}));
    std::vector<CListedContact> third = List();
    ASSERT_EQ(4u, third.size());
    EXPECT_EQ(first[0].oid, third[1].oid);

    IContact* contact = nullptr;
    EXPECT_EQ(S_OK, m_apps.front()->GetItemFromOid(third[1].oid, &contact));
    ASSERT_NE(nullptr, contact);
    contact->Release();
    LONG unknown = third[0].oid == 1 ? 2 : 1;
    contact = reinterpret_cast<IContact*>(0xdeadbeef);
    EXPECT_TRUE(FAILED(m_apps.front()->GetItemFromOid(unknown, &contact)));
    EXPECT_EQ(nullptr, contact);
}

TEST_F(StoreTest, NameComesFromFnThenNThenOrgThenEmail)
{
    WriteBook(L"a.vcf", Card("3.0", {"FN:Anna Formatted", "N:Family;Given;;;"}) + Card("3.0", {"N:Smith;John;;;"}) +
                            Card("3.0", {"ORG:Acme\\, Inc.;Sales"}) + Card("3.0", {"EMAIL:only@example.com"}) +
                            Card("4.0", {"FN:J\\;ohn\\nSmith"}));
    EXPECT_EQ((std::vector<std::wstring>{L"Anna Formatted", L"John Smith", L"Acme, Inc.", L"only@example.com",
                                         L"J;ohn\nSmith"}),
              Names(List()));

    IContact* contact = nullptr;
    ASSERT_EQ(S_OK, m_apps.front()->GetItemFromOid(List()[1].oid, &contact));
    BSTR first = nullptr, last = nullptr;
    EXPECT_EQ(S_OK, contact->get_FirstName(&first));
    EXPECT_EQ(S_OK, contact->get_LastName(&last));
    EXPECT_STREQ(L"John", first);
    EXPECT_STREQ(L"Smith", last);
    SysFreeString(first);
    SysFreeString(last);
    contact->Release();

    ASSERT_EQ(S_OK, m_apps.front()->GetItemFromOid(List()[2].oid, &contact));
    first = reinterpret_cast<BSTR>(0xdeadbeef);
    EXPECT_EQ(S_OK, contact->get_FirstName(&first));
    EXPECT_EQ(nullptr, first);
    contact->Release();
}

TEST_F(StoreTest, DatesInTheFormsExportersWrite)
{
    struct Case
    {
        std::string line;
        int year, month, day; // year 0: no date
    } cases[] = {
        {"BDAY:1980-03-15", 1980, 3, 15},
        {"BDAY:19800315", 1980, 3, 15},
        {"BDAY;VALUE=date:1980-03-15", 1980, 3, 15},
        {"BDAY:1980-03-15T23:30:00-08:00", 1980, 3, 15},
        {"BDAY:19800315T000000Z", 1980, 3, 15},
        {"BDAY:--0315", 1604, 3, 15},
        {"BDAY:--03-15", 1604, 3, 15},
        {"BDAY;X-APPLE-OMIT-YEAR=1604:1604-02-29", 1604, 2, 29},
        {"BDAY:2000-02-29", 2000, 2, 29},
        {"BDAY:2026-02-30", 0, 0, 0},
        {"BDAY:0000-00-00", 0, 0, 0},
        {"BDAY:1900-02-29", 0, 0, 0},
        {"BDAY;VALUE=text:circa 1800", 0, 0, 0},
        {"BDAY:1980-03", 0, 0, 0},
        {"NOTE:no birthday", 0, 0, 0},
    };
    std::string book;
    for (const Case& c : cases)
        book += Card("3.0", {"FN:x", c.line});
    WriteBook(L"a.vcf", book);
    std::vector<CListedContact> contacts = List();
    ASSERT_EQ(sizeof(cases) / sizeof(cases[0]), contacts.size());
    for (size_t i = 0; i < contacts.size(); ++i)
    {
        DATE expected = cases[i].year ? OleDate(cases[i].year, cases[i].month, cases[i].day) : NO_DATE;
        EXPECT_EQ(expected, contacts[i].birthday) << cases[i].line;
        EXPECT_EQ(NO_DATE, contacts[i].anniversary) << cases[i].line;
    }
}

TEST_F(StoreTest, AnniversaryAndItsExtensions)
{
    WriteBook(L"a.vcf", Card("4.0", {"FN:a", "ANNIVERSARY:20010602"}) + Card("3.0", {"FN:b", "X-ANNIVERSARY:2001-06-02"}) +
                            Card("3.0", {"FN:c", "X-EVOLUTION-ANNIVERSARY:2001-06-02"}) +
                            Card("3.0", {"FN:d", "item1.X-ABDATE;type=pref:2001-06-02", "item1.X-ABLabel:_$!<Anniversary>!$_"}) +
                            Card("3.0", {"FN:e", "item2.X-ABDATE:2001-06-02", "item2.X-ABLabel:_$!<Other>!$_"}));
    std::vector<CListedContact> contacts = List();
    ASSERT_EQ(5u, contacts.size());
    for (size_t i = 0; i < 4; ++i)
        EXPECT_EQ(OleDate(2001, 6, 2), contacts[i].anniversary) << i;
    EXPECT_EQ(NO_DATE, contacts[4].anniversary);
}

TEST_F(StoreTest, GetPropsInRequestOrderWithFlags)
{
    WriteBook(L"a.vcf", Card("2.1", {"FN:Phones", "TEL;WORK;VOICE:+1 111", "TEL;CELL:+1 222", "TEL;TYPE=work:+1 333",
                                     "TEL;TYPE=work:+1 444", "TEL;HOME:+1 555", "TEL;WORK;FAX:+1 666", "TEL;PAGER:+1 777",
                                     "TEL;CELL:+1 888", "EMAIL;INTERNET:a@example.com", "EMAIL:b@example.com"}));
    LONG oid = List()[0].oid;
    IItem* item = ItemOf(oid);
    ASSERT_NE(nullptr, item);
    const CEPROPID ids[] = {PIMPR_HOME2_TELEPHONE_NUMBER, PIMPR_BUSINESS2_TELEPHONE_NUMBER, PIMPR_SMS,
                            PIMPR_BUSINESS_TELEPHONE_NUMBER, PIMPR_EMAIL2_ADDRESS, PIMPR_EMAIL3_ADDRESS,
                            PIMPR_MOBILE_TELEPHONE_NUMBER, PIMPR_BUSINESS_FAX_NUMBER, PIMPR_PAGER_NUMBER,
                            PIMPR_HOME_TELEPHONE_NUMBER, PIMPR_EMAIL1_ADDRESS};
    const wchar_t* expected[] = {nullptr,   L"+1 333",   L"+1 222",       L"+1 111",  L"b@example.com", nullptr,
                                 L"+1 222", L"+1 666", L"+1 777", L"+1 555", L"a@example.com"};
    const WORD count = sizeof(ids) / sizeof(ids[0]);
    CEPROPVAL* values = nullptr;
    ULONG size = 0;
    ASSERT_EQ(S_OK, item->GetProps(ids, CEDB_ALLOWREALLOC, count, &values, &size, nullptr));
    ASSERT_NE(nullptr, values);
    EXPECT_GE(HeapSize(GetProcessHeap(), 0, values), size);
    for (WORD i = 0; i < count; ++i)
    {
        EXPECT_EQ(ids[i], values[i].propid) << i;
        if (expected[i])
        {
            EXPECT_EQ(0, values[i].wFlags) << i;
            EXPECT_STREQ(expected[i], values[i].val.lpwstr) << i;
        }
        else
            EXPECT_EQ(CEDB_PROPNOTFOUND, values[i].wFlags) << i;
    }
    EXPECT_TRUE(HeapFree(GetProcessHeap(), 0, values));

    // Without permission to allocate, a missing buffer is reported with the size it needs.
    values = nullptr;
    size = 0;
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER), item->GetProps(ids, 0, count, &values, &size, nullptr));
    EXPECT_GT(size, count * sizeof(CEPROPVAL));
    item->Release();
}

TEST_F(StoreTest, PictureStreamInEveryVersionsForm)
{
    std::string b64 = PICTURE_BASE64;
    WriteBook(L"a.vcf", Card("2.1", {"FN:v21", "PHOTO;GIF;ENCODING=BASE64:", "  " + b64.substr(0, 30), "  " + b64.substr(30), ""}) +
                            Card("3.0", {"FN:v30", "PHOTO;ENCODING=b;TYPE=GIF:" + b64}) +
                            Card("4.0", {"FN:v40", "PHOTO:data:image/gif;base64," + b64}) +
                            Card("3.0", {"FN:remote", "PHOTO;VALUE=uri:http://example.com/me.gif"}) +
                            Card("3.0", {"FN:none"}));
    std::vector<CListedContact> contacts = List();
    ASSERT_EQ(5u, contacts.size());
    for (size_t i = 0; i < contacts.size(); ++i)
    {
        IItem* item = ItemOf(contacts[i].oid);
        ASSERT_NE(nullptr, item);
        IStream* stream = reinterpret_cast<IStream*>(0xdeadbeef);
        HRESULT hr = item->OpenProperty(PIMPR_PICTURE, GENERIC_READ, &stream);
        if (i < 3)
        {
            ASSERT_EQ(S_OK, hr) << i;
            EXPECT_EQ(std::string(reinterpret_cast<const char*>(PICTURE), sizeof(PICTURE)), ReadStream(stream)) << i;
            stream->Release();
        }
        else
        {
            EXPECT_TRUE(FAILED(hr)) << i;
            EXPECT_EQ(nullptr, stream) << i;
        }
        item->Release();
    }
}

// A program showing contact after contact reads each card once: the picture comes from the read that
// gave the numbers, so it is there even when the file has gone meanwhile.
TEST_F(StoreTest, NumbersAndPictureComeFromOneReadOfTheCard)
{
    std::wstring path = WriteBook(L"a.vcf", Card("3.0", {"FN:Ann", "TEL;TYPE=CELL:+1 555", "PHOTO;ENCODING=b;TYPE=GIF:" +
                                                                                 std::string(PICTURE_BASE64)}));
    std::vector<CListedContact> contacts = List();
    ASSERT_EQ(1u, contacts.size());
    IItem* item = ItemOf(contacts[0].oid);
    ASSERT_NE(nullptr, item);
    const CEPROPID mobile = PIMPR_MOBILE_TELEPHONE_NUMBER;
    CEPROPVAL* values = nullptr;
    ULONG size = 0;
    ASSERT_EQ(S_OK, item->GetProps(&mobile, CEDB_ALLOWREALLOC, 1, &values, &size, nullptr));
    EXPECT_STREQ(L"+1 555", values[0].val.lpwstr);
    HeapFree(GetProcessHeap(), 0, values);
    ASSERT_TRUE(DeleteFileW(path.c_str()));
    IStream* stream = nullptr;
    ASSERT_EQ(S_OK, item->OpenProperty(PIMPR_PICTURE, GENERIC_READ, &stream));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(PICTURE), sizeof(PICTURE)), ReadStream(stream));
    stream->Release();
    item->Release();
}

TEST_F(StoreTest, OidsWithoutUidFollowTheCardNotItsPosition)
{
    std::vector<std::string> base;
    for (const char* name : {"Ann", "Bob", "Cid", "Dan", "Eve"})
        base.push_back(Card("2.1", {std::string("FN:") + name, "TEL;CELL:+1 555"}));
    struct Case
    {
        const char* what;
        std::vector<std::string> cards; // the edited file
        std::vector<int> kept;          // which of the five base cards it still holds, in order
    } cases[] = {
        {"card inserted first", {Card("2.1", {"FN:New"}), base[0], base[1], base[2], base[3], base[4]}, {0, 1, 2, 3, 4}},
        {"card removed", {base[0], base[1], base[3], base[4]}, {0, 1, 3, 4}},
        {"card changed", {base[0], Card("2.1", {"FN:Bob", "TEL;CELL:+1 999"}), base[2], base[3], base[4]}, {0, 2, 3, 4}},
        {"identical card added", {base[0], base[1], base[2], base[3], base[4], base[2]}, {0, 1, 2, 3, 4}},
    };
    for (const Case& c : cases)
    {
        std::string text;
        for (const std::string& card : base)
            text += card;
        WriteBook(L"a.vcf", text);
        std::vector<CListedContact> before = List();
        ASSERT_EQ(5u, before.size());
        CloseStore();
        text.clear();
        for (const std::string& card : c.cards)
            text += card;
        WriteBook(L"a.vcf", text);
        std::vector<CListedContact> after = List();
        ASSERT_EQ(c.cards.size(), after.size()) << c.what;
        for (int k : c.kept)
        {
            bool found = false;
            for (const CListedContact& now : after)
                found = found || (now.oid == before[k].oid && now.name == before[k].name);
            EXPECT_TRUE(found) << c.what << ": " << k;
        }
        for (size_t i = 0; i < after.size(); ++i)
            for (size_t k = 0; k < i; ++k)
                EXPECT_NE(after[i].oid, after[k].oid) << c.what;
        CloseStore();
    }
}

TEST(OidAssignment, CardsSharingABaseCostAsMuchAsDifferentOnes)
{
    struct Case
    {
        const char* what;
        std::vector<LONG> bases;
    } cases[] = {
        {"one UID on 20,000 cards", std::vector<LONG>(20000, 5000)},
        {"two neighbouring bases taking turns", {}},
    };
    for (int i = 0; i < 20000; ++i)
        cases[1].bases.push_back(7000 + i % 2);
    for (const Case& c : cases)
    {
        std::vector<LONG> oids;
        size_t looked = AssignOids(c.bases, oids);
        EXPECT_LE(looked, 2 * c.bases.size()) << c.what;
        std::set<LONG> distinct(oids.begin(), oids.end());
        EXPECT_EQ(c.bases.size(), distinct.size()) << c.what;
        // The first card keeps its base, later ones take the next free oid, as they always did.
        EXPECT_EQ(c.bases[0], oids[0]) << c.what;
        EXPECT_EQ(c.bases[0] + 2, oids[2]) << c.what;
    }
}
