// Fixture of the store tests: COM, the registered store, and a scratch address book per test.
#include "tests/store/store_fixture.h"

#include "platform/store/index.h"
#include "tests/store/register_store.h"

void StoreTest::SetUpTestSuite()
{
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    ASSERT_TRUE(RegisterContactStore());
}

void StoreTest::SetUp()
{
    SetAddressBook(m_dir.Path());
}

void StoreTest::TearDown()
{
    CloseStore();
    DeleteFileW(IndexPath(m_dir.Path()).c_str());
    ClearAddressBook();
}

void StoreTest::CloseStore()
{
    for (IPOutlookApp2* app : m_apps)
    {
        app->Logoff();
        app->Release();
    }
    m_apps.clear();
}

void StoreTest::LetStampsSettle()
{
    Sleep(STAMP_SETTLE_MS + 50);
}

IPOutlookApp2* StoreTest::Open(HWND window)
{
    IPOutlookApp2* app = nullptr;
    HRESULT hr = CoCreateInstance(CLSID_Application, nullptr, CLSCTX_INPROC_SERVER, IID_IPOutlookApp2,
                                  reinterpret_cast<void**>(&app));
    EXPECT_EQ(S_OK, hr);
    if (!app)
        return nullptr;
    EXPECT_EQ(S_OK, app->Logon(reinterpret_cast<LONG_PTR>(window)));
    m_apps.push_back(app);
    return app;
}

std::vector<CListedContact> StoreTest::List()
{
    std::vector<CListedContact> result;
    IPOutlookApp2* app = m_apps.empty() ? Open() : m_apps.front();
    IFolder* folder = nullptr;
    if (!app || FAILED(app->GetDefaultFolder(olFolderContacts, &folder)))
        return result;
    IPOutlookItemCollection* items = nullptr;
    int count = -1;
    if (SUCCEEDED(folder->get_Items(&items)) && SUCCEEDED(items->get_Count(&count)))
        for (int i = 1; i <= count; ++i)
        {
            IContact* contact = nullptr;
            if (FAILED(items->Item(i, &contact)))
                continue;
            CListedContact c = {0, L"", 0, 0};
            BSTR name = nullptr;
            contact->get_Oid(&c.oid);
            contact->get_Birthday(&c.birthday);
            contact->get_Anniversary(&c.anniversary);
            contact->get_FileAs(&name);
            c.name = name ? name : L"";
            SysFreeString(name);
            contact->Release();
            result.push_back(c);
        }
    if (items)
        items->Release();
    folder->Release();
    return result;
}

IItem* StoreTest::ItemOf(LONG oid)
{
    IItem* item = nullptr;
    IPOutlookApp2* app = m_apps.empty() ? Open() : m_apps.front();
    if (app)
        app->GetItemFromOidEx(oid, 0, &item);
    return item;
}

std::string Card(const std::string& version, const std::vector<std::string>& lines)
{
    std::string text = "BEGIN:VCARD\r\nVERSION:" + version + "\r\n";
    for (const std::string& line : lines)
        text += line + "\r\n";
    return text + "END:VCARD\r\n";
}

DATE OleDate(int year, int month, int day)
{
    SYSTEMTIME st = {};
    st.wYear = static_cast<WORD>(year);
    st.wMonth = static_cast<WORD>(month);
    st.wDay = static_cast<WORD>(day);
    DATE date = 0;
    SystemTimeToVariantTime(&st, &date);
    return date;
}
