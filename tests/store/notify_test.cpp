// Change notifications: the right message for each changed contact, to each logged-on window, and only then.
#include "platform/store/journal.h"
#include "tests/store/register_store.h"
#include "tests/store/store_fixture.h"

namespace {

struct CRecorded
{
    HWND window;
    UINT message;
    WPARAM oid;
    bool operator==(const CRecorded& o) const { return window == o.window && message == o.message && oid == o.oid; }
};

std::vector<CRecorded> g_recorded;

LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message >= 0x8100 && message <= 0x8107)
    {
        g_recorded.push_back({window, message, wParam});
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND CreateRecorder()
{
    WNDCLASSW wc = {};
    wc.lpfnWndProc = RecordingProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"StoreNotificationRecorder";
    RegisterClassW(&wc);
    return CreateWindowExW(0, wc.lpszClassName, L"", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                           wc.hInstance, nullptr);
}

// Dispatches messages until count notifications have arrived or the time is up.
void Pump(DWORD milliseconds, size_t count)
{
    DWORD start = GetTickCount();
    while (g_recorded.size() < count && GetTickCount() - start < milliseconds)
    {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&msg);
    }
}

// Dispatches everything but store notifications, which stay queued, until the time is up or (with a
// window) one is queued for that window.
void PumpOthers(DWORD milliseconds, HWND window = nullptr)
{
    DWORD start = GetTickCount();
    MSG msg;
    while (!(window && PeekMessageW(&msg, window, 0x8100, 0x8107, PM_NOREMOVE)) && GetTickCount() - start < milliseconds)
    {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        while (PeekMessageW(&msg, nullptr, 0, 0x80FF, PM_REMOVE) || PeekMessageW(&msg, nullptr, 0x8108, 0xFFFFFFFF, PM_REMOVE))
            DispatchMessageW(&msg);
    }
}

// The longest a change may take to reach a window; a wait ends as soon as the messages are in.
const DWORD WAIT = 1500;

class NotifyTest : public StoreTest
{
protected:
    void SetUp() override
    {
        StoreTest::SetUp();
        g_recorded.clear();
        m_window = CreateRecorder();
        m_other = CreateRecorder();
    }
    void TearDown() override
    {
        StoreTest::TearDown();
        DestroyWindow(m_window);
        DestroyWindow(m_other);
    }

    HRESULT Notify(IPOutlookApp2* app, ULONG value)
    {
        IFolder* folder = nullptr;
        IItem* item = nullptr;
        HRESULT hr = app->GetDefaultFolder(olFolderContacts, &folder);
        if (SUCCEEDED(hr))
            hr = folder->QueryInterface(IID_IItem, reinterpret_cast<void**>(&item));
        if (SUCCEEDED(hr))
        {
            CEPROPVAL value_ = {};
            value_.propid = PIMPR_FOLDERNOTIFICATIONS;
            value_.val.ulVal = value;
            hr = item->SetProps(0, 1, &value_);
            item->Release();
        }
        if (folder)
            folder->Release();
        return hr;
    }

    LONG OidOf(const wchar_t* name)
    {
        for (const CListedContact& c : List())
            if (c.name == name)
                return c.oid;
        return 0;
    }

    HWND m_window = nullptr;
    HWND m_other = nullptr;
};

std::string Person(const std::string& name, const std::string& birthday)
{
    return Card("3.0", {"UID:" + name, "FN:" + name, "BDAY:" + birthday});
}

} // namespace

TEST_F(NotifyTest, ChangesByOtherProgramsArriveAsRemoteMessages)
{
    WriteBook(L"a.vcf", Person("Ann", "1980-01-01") + Person("Bob", "1981-01-01"));
    IPOutlookApp2* app = Open(m_window);
    ASSERT_EQ(S_OK, Notify(app, PIMFOLDERNOTIFICATION_ALL));
    LONG ann = OidOf(L"Ann"), bob = OidOf(L"Bob");

    WriteBook(L"a.vcf", Person("Ann", "1980-01-02") + Person("Bob", "1981-01-01"));
    Pump(WAIT, 1);
    EXPECT_EQ((std::vector<CRecorded>{{m_window, PIM_ITEM_CHANGED_REMOTE, static_cast<WPARAM>(ann)}}), g_recorded);

    g_recorded.clear();
    WriteBook(L"b.vcf", Person("Cid", "1982-01-01"));
    WriteBook(L"a.vcf", Person("Ann", "1980-01-02"));
    Pump(WAIT, 2);
    LONG cid = OidOf(L"Cid");
    EXPECT_EQ((std::vector<CRecorded>{{m_window, PIM_ITEM_CREATED_REMOTE, static_cast<WPARAM>(cid)},
                                      {m_window, PIM_ITEM_DELETED_REMOTE, static_cast<WPARAM>(bob)}}),
              g_recorded);
}

TEST_F(NotifyTest, ChangesThroughTheStoreArriveAsLocalMessages)
{
    WriteBook(L"a.vcf", Person("Ann", "1980-01-01"));
    IPOutlookApp2* app = Open(m_window);
    ASSERT_EQ(S_OK, Notify(app, PIMFOLDERNOTIFICATION_ALL));
    LONG ann = OidOf(L"Ann");

    std::wstring path = WriteBook(L"a.vcf", Person("Ann", "1980-01-03") + Person("Dan", "1983-01-01"));
    CWriteJournal::Record(path.c_str());
    Pump(WAIT, 2);
    LONG dan = OidOf(L"Dan");
    EXPECT_EQ((std::vector<CRecorded>{{m_window, PIM_ITEM_CHANGED_LOCAL, static_cast<WPARAM>(ann)},
                                      {m_window, PIM_ITEM_CREATED_LOCAL, static_cast<WPARAM>(dan)}}),
              g_recorded);

    g_recorded.clear();
    DeleteFileW(path.c_str());
    CWriteJournal::Record(path.c_str());
    Pump(WAIT, 2);
    EXPECT_EQ((std::vector<CRecorded>{{m_window, PIM_ITEM_DELETED_LOCAL, static_cast<WPARAM>(ann)},
                                      {m_window, PIM_ITEM_DELETED_LOCAL, static_cast<WPARAM>(dan)}}),
              g_recorded);
}

TEST_F(NotifyTest, EveryLoggedOnWindowAndNoOther)
{
    WriteBook(L"a.vcf", Person("Ann", "1980-01-01"));
    HWND bystander = CreateRecorder();
    Notify(Open(m_window), PIMFOLDERNOTIFICATION_ALL);
    Notify(Open(m_other), PIMFOLDERNOTIFICATION_ALL);
    LONG ann = OidOf(L"Ann");

    WriteBook(L"a.vcf", Person("Ann", "1980-01-05"));
    Pump(WAIT, 2);
    Pump(200, 3);
    EXPECT_EQ((std::vector<CRecorded>{{m_window, PIM_ITEM_CHANGED_REMOTE, static_cast<WPARAM>(ann)},
                                      {m_other, PIM_ITEM_CHANGED_REMOTE, static_cast<WPARAM>(ann)}}),
              g_recorded);
    DestroyWindow(bystander);
}

TEST_F(NotifyTest, NothingWhileOffOrAfterLogoff)
{
    WriteBook(L"a.vcf", Person("Ann", "1980-01-01"));
    IPOutlookApp2* app = Open(m_window);
    ASSERT_EQ(S_OK, Notify(app, PIMFOLDERNOTIFICATION_ALL));
    ASSERT_EQ(S_OK, Notify(app, PIMFOLDERNOTIFICATION_NONE));
    WriteBook(L"a.vcf", Person("Ann", "1980-01-06"));
    Pump(WAIT, 1);
    EXPECT_TRUE(g_recorded.empty());

    // Turning them on again does not report what changed while they were off.
    ASSERT_EQ(S_OK, Notify(app, PIMFOLDERNOTIFICATION_ALL));
    Pump(WAIT, 1);
    EXPECT_TRUE(g_recorded.empty());

    ASSERT_EQ(S_OK, app->Logoff());
    WriteBook(L"a.vcf", Person("Ann", "1980-01-07"));
    Pump(WAIT, 1);
    EXPECT_TRUE(g_recorded.empty());
    EXPECT_EQ(E_INVALIDARG, Notify(app, 7));
}

TEST_F(NotifyTest, FileThatCannotBeReadKeepsItsContactsUntilItCanBe)
{
    std::wstring path = WriteBook(L"a.vcf", Person("Ann", "1980-01-01"));
    IPOutlookApp2* app = Open(m_window);
    ASSERT_EQ(S_OK, Notify(app, PIMFOLDERNOTIFICATION_ALL));
    LONG ann = OidOf(L"Ann");

    // Another program rewrites the file and keeps it open without sharing it for reading.
    HANDLE held = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    std::string text = Person("Ann", "1980-01-09");
    DWORD wrote = 0;
    WriteFile(held, text.data(), static_cast<DWORD>(text.size()), &wrote, nullptr);
    Pump(WAIT, 1);
    EXPECT_TRUE(g_recorded.empty());
    std::vector<CListedContact> during = List();
    ASSERT_EQ(1u, during.size());
    EXPECT_EQ(OleDate(1980, 1, 1), during[0].birthday);

    CloseHandle(held);
    Pump(WAIT, 1);
    EXPECT_EQ((std::vector<CRecorded>{{m_window, PIM_ITEM_CHANGED_REMOTE, static_cast<WPARAM>(ann)}}), g_recorded);
    ASSERT_EQ(1u, List().size());
    EXPECT_EQ(OleDate(1980, 1, 9), List()[0].birthday);
}

TEST_F(NotifyTest, FileWrittenByAnotherProcessReachesTheWindow)
{
    WriteBook(L"a.vcf", Person("Ann", "1980-01-01"));
    std::wstring source = WriteBook(L"new.txt", Person("Ann", "1980-01-04") + Person("Eve", "1984-01-01"));
    Notify(Open(m_window), PIMFOLDERNOTIFICATION_ALL);
    LONG ann = OidOf(L"Ann");

    std::wstring command = L"cmd.exe /c copy /y \"" + source + L"\" \"" + m_dir.File(L"a.vcf") + L"\" >nul";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    ASSERT_TRUE(CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                               &startup, &process));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process.hProcess, 10000));
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    Pump(WAIT, 2);
    LONG eve = OidOf(L"Eve");
    EXPECT_EQ((std::vector<CRecorded>{{m_window, PIM_ITEM_CHANGED_REMOTE, static_cast<WPARAM>(ann)},
                                      {m_window, PIM_ITEM_CREATED_REMOTE, static_cast<WPARAM>(eve)}}),
              g_recorded);
}

// A folder that is deleted and made again, or renamed away and replaced, is watched anew: a file
// written into the new folder reaches the window within seconds, not at the next full look.
TEST_F(NotifyTest, FolderMadeAgainOrReplacedIsWatchedAnew)
{
    std::wstring folder = m_dir.File(L"book"), away = m_dir.File(L"away");
    for (bool rename : {false, true})
    {
        CreateDirectoryW(folder.c_str(), nullptr);
        m_dir.Write(L"book\\a.vcf", Person("Ann", "1980-01-01"));
        SetAddressBook(folder);
        Notify(Open(m_window), PIMFOLDERNOTIFICATION_ALL);
        if (rename)
            EXPECT_TRUE(MoveFileW(folder.c_str(), away.c_str()));
        else
        {
            DeleteFileW((folder + L"\\a.vcf").c_str());
            EXPECT_TRUE(RemoveDirectoryW(folder.c_str()));
        }
        Pump(WAIT, 1);
        CreateDirectoryW(folder.c_str(), nullptr);
        Pump(WAIT, 100);
        g_recorded.clear();
        m_dir.Write(L"book\\b.vcf", Person("Bob", "1981-01-01"));
        Pump(3 * WAIT, 1);
        EXPECT_EQ(1u, g_recorded.size()) << (rename ? "renamed" : "deleted");
        CloseStore();
        for (const std::wstring& f : {folder, away})
        {
            DeleteFileW((f + L"\\a.vcf").c_str());
            DeleteFileW((f + L"\\b.vcf").c_str());
            RemoveDirectoryW(f.c_str());
        }
    }
}

TEST_F(NotifyTest, BurstArrivesAsOneMessagePerWindowAndTheReloadSeesAllOfIt)
{
    auto book = [](const char* year) {
        std::string text;
        for (int i = 0; i < 40; ++i)
            text += Person("P" + std::to_string(i), std::string(year) + "-01-01");
        return text;
    };
    WriteBook(L"a.vcf", book("1980"));
    Notify(Open(m_window), PIMFOLDERNOTIFICATION_ALL);
    Notify(Open(m_other), PIMFOLDERNOTIFICATION_ALL);
    LONG first = OidOf(L"P0");

    // A second rewrite while the first burst's messages still wait adds none.
    WriteBook(L"a.vcf", book("1981"));
    PumpOthers(WAIT, m_window);
    WriteBook(L"a.vcf", book("1982"));
    PumpOthers(500);
    Pump(WAIT, 2);
    Pump(300, 3);
    EXPECT_EQ((std::vector<CRecorded>{{m_window, PIM_ITEM_CHANGED_REMOTE, static_cast<WPARAM>(first)},
                                      {m_other, PIM_ITEM_CHANGED_REMOTE, static_cast<WPARAM>(first)}}),
              g_recorded);
    std::vector<CListedContact> now = List();
    ASSERT_EQ(40u, now.size());
    for (const CListedContact& contact : now)
        EXPECT_EQ(OleDate(1982, 1, 1), contact.birthday);
}
