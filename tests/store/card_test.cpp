// The contact editor and card window driven with real messages; the file afterwards; another process hears of a save.
#include "platform/store/resource.h"
#include "tests/store/peercards.h"
#include "tests/store/register_store.h"
#include "tests/store/store_fixture.h"
#include "tests/store/unixfile.h"

#include <commctrl.h>

#include <fstream>
#include <functional>
#include <sstream>

namespace {

const char PHOTO[] = "PHOTO;ENCODING=b;TYPE=PNG:iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mP8z8BQ\r\n"
                     " DwAEhQGAhKmMIQAAAABJRU5ErkJggg==\r\n";

std::string Anna(const std::string& mobile = "+46 70 123 45 67", const std::string& birthday = "1980-03-15")
{
    return "BEGIN:VCARD\r\nVERSION:3.0\r\nPRODID:-//Other program//EN\r\nN:Lind;Anna;;;\r\nFN:Anna Lind\r\n"
           "item1.TEL;type=CELL;type=pref:" + mobile + "\r\nitem1.X-ABLABEL:mobile\r\n"
           "BDAY;VALUE=date:" + birthday + "\r\nX-SOCIALPROFILE;type=twitter:x:y\r\n" + PHOTO +
           "NOTE;CHARSET=ISO-8859-1;ENCODING=QUOTED-PRINTABLE:Gr=FC=DFe\r\nUID:anna-1\r\nEND:VCARD\r\n";
}

const char OLOF[] = "BEGIN:VCARD\r\nVERSION:2.1\r\nN:Berg;Olof\r\nBDAY:19700101\r\nEND:VCARD\r\n";

std::string ReadAll(const std::wstring& path)
{
    std::ifstream in(path.c_str(), std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

int CountFiles(const std::wstring& folder)
{
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
    int count = 0;
    if (find == INVALID_HANDLE_VALUE)
        return 0;
    do
        count += (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? 0 : 1;
    while (FindNextFileW(find, &data));
    FindClose(find);
    return count;
}

struct CFind
{
    const wchar_t* title;
    HWND window;
};

BOOL CALLBACK FindTitled(HWND window, LPARAM param)
{
    CFind* find = reinterpret_cast<CFind*>(param);
    wchar_t name[64] = {}, text[256] = {};
    GetClassNameW(window, name, 64);
    GetWindowTextW(window, text, 256);
    if (wcscmp(name, L"#32770") == 0 && wcscmp(text, find->title) == 0)
    {
        find->window = window;
        return FALSE;
    }
    return TRUE;
}

HWND FindDialog(const wchar_t* title)
{
    CFind find = {title, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), FindTitled, reinterpret_cast<LPARAM>(&find));
    return find.window;
}

BOOL CALLBACK AppendStaticText(HWND child, LPARAM param)
{
    wchar_t name[32] = {}, text[1024] = {};
    GetClassNameW(child, name, 32);
    if (_wcsicmp(name, L"Static") == 0 && GetWindowTextW(child, text, 1024) > 0)
        *reinterpret_cast<std::wstring*>(param) += text;
    return TRUE;
}

// What a test does inside the editor's modal loop: a thread timer finds the sheet, acts, presses a button.
struct CEditorDriver
{
    std::function<void(HWND sheet)> act;
    // After a message box the sheet stayed open: true presses OK again, false (or none) Cancel.
    std::function<bool(HWND sheet)> retry;
    bool cancel = false;
    bool acted = false;
    int ticksAfter = 0;
    int boxes = 0;
    int boxesAnswered = 0;
    std::wstring boxText; // of the message boxes the editor showed
};
CEditorDriver* g_driver = nullptr;

HWND Page(HWND sheet, int index)
{
    SendMessageW(sheet, PSM_SETCURSEL, index, 0);
    return reinterpret_cast<HWND>(SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
}

void SetDate(HWND page, int id, WORD year, WORD month, WORD day)
{
    SYSTEMTIME st = {};
    st.wYear = year;
    st.wMonth = month;
    st.wDay = day;
    EXPECT_NE(0, SendDlgItemMessageW(page, id, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&st)));
}

void CALLBACK DriveEditor(HWND, UINT, UINT_PTR, DWORD)
{
    HWND box = FindDialog(L"Contacts");
    if (box)
    {
        EnumChildWindows(box, AppendStaticText, reinterpret_cast<LPARAM>(&g_driver->boxText));
        ++g_driver->boxes;
        SendMessageW(box, WM_COMMAND, IDOK, 0);
        return;
    }
    HWND sheet = FindDialog(L"Edit contact");
    if (!sheet)
        return;
    if (g_driver->acted && g_driver->boxes > g_driver->boxesAnswered)
    {
        g_driver->boxesAnswered = g_driver->boxes;
        bool again = g_driver->retry && g_driver->retry(sheet);
        SendMessageW(GetDlgItem(sheet, again ? IDOK : IDCANCEL), BM_CLICK, 0, 0);
        return;
    }
    if (g_driver->acted)
    {
        // A sheet that does not close on its button is a failure, not a hang.
        if (++g_driver->ticksAfter == 100)
        {
            ADD_FAILURE() << "the editor stayed open";
            SendMessageW(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
        }
        return;
    }
    g_driver->acted = true;
    if (g_driver->act)
        g_driver->act(sheet);
    SendMessageW(GetDlgItem(sheet, g_driver->cancel ? IDCANCEL : IDOK), BM_CLICK, 0, 0);
}

HRESULT RunEditor(IItem* item, CEditorDriver& driver)
{
    g_driver = &driver;
    UINT_PTR timer = SetTimer(nullptr, 0, 30, DriveEditor);
    HWND window = reinterpret_cast<HWND>(0xdeadbeef);
    HRESULT hr = item->Edit(&window);
    KillTimer(nullptr, timer);
    g_driver = nullptr;
    EXPECT_EQ(nullptr, window);
    EXPECT_TRUE(driver.acted);
    return hr;
}

void BirthdayTo(HWND sheet, WORD year, WORD month, WORD day)
{
    SetDate(Page(sheet, 0), IDC_BIRTHDAY, year, month, day);
}

void Pump(DWORD milliseconds)
{
    DWORD start = GetTickCount();
    while (GetTickCount() - start < milliseconds)
    {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}

class CardTest : public StoreTest
{
protected:
    // Writes the book and opens the named contact.
    IItem* OpenContact(const std::wstring& file, const std::string& text, const wchar_t* name)
    {
        m_path = file;
        m_written = text;
        std::ofstream(file.c_str(), std::ios::binary) << text;
        // A file written again is taken in when the system's notification of the write arrives,
        // which on a loaded machine can come after the first look.
        for (ULONGLONG deadline = GetTickCount64() + 5000; !m_item && GetTickCount64() < deadline;)
        {
            for (const CListedContact& c : List())
                if (c.name == name)
                {
                    m_oid = c.oid;
                    m_item = ItemOf(c.oid);
                }
            if (!m_item)
                MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        }
        EXPECT_NE(nullptr, m_item);
        return m_item;
    }
    void TearDown() override
    {
        if (m_item)
            m_item->Release();
        // What the store wrote of the book, for the peer check (a deleted book wrote nothing).
        std::string now = m_path.empty() ? std::string() : ReadAll(m_path);
        if (!now.empty() && now != m_written)
            KeepForPeers(m_written, &now);
        SetFileAttributesW(m_path.c_str(), FILE_ATTRIBUTE_NORMAL);
        StoreTest::TearDown();
    }

    std::wstring m_path;
    std::string m_written; // the book as the test wrote it
    LONG m_oid = 0;
    IItem* m_item = nullptr;
};

} // namespace

TEST_F(CardTest, ChangedBirthdayIsWrittenAndEveryOtherByteStays)
{
    std::string book = Anna() + OLOF;
    IItem* item = OpenContact(m_dir.File(L"book.vcf"), book, L"Anna Lind");
    ASSERT_NE(nullptr, item);
    CEditorDriver driver;
    driver.act = [](HWND sheet) { BirthdayTo(sheet, 1980, 3, 5); };
    EXPECT_EQ(S_OK, RunEditor(item, driver));
    EXPECT_EQ(Anna("+46 70 123 45 67", "1980-03-05") + OLOF, ReadAll(m_path));
    EXPECT_EQ(0, driver.boxes);
    EXPECT_EQ(1, CountFiles(m_dir.Path())) << "no temporary file is left behind";
    DATE birthday = 0;
    for (const CListedContact& c : List())
        birthday = c.oid == m_oid ? c.birthday : birthday;
    EXPECT_EQ(OleDate(1980, 3, 5), birthday);
}

TEST_F(CardTest, CancelAndUntouchedOkLeaveTheFileAlone)
{
    std::string book = OLOF + Anna();
    IItem* item = OpenContact(m_dir.File(L"book.vcf"), book, L"Anna Lind");
    ASSERT_NE(nullptr, item);
    CEditorDriver cancel;
    cancel.cancel = true;
    cancel.act = [](HWND sheet) { SetDlgItemTextW(Page(sheet, 0), IDC_LAST_NAME, L"Holm"); };
    EXPECT_EQ(S_FALSE, RunEditor(item, cancel));
    CEditorDriver untouched;
    untouched.act = [](HWND sheet) {
        for (int page = 0; page < 4; ++page)
            Page(sheet, page);
    };
    EXPECT_EQ(S_OK, RunEditor(item, untouched));
    EXPECT_EQ(book, ReadAll(m_path));
}

TEST_F(CardTest, ChangeByAnotherProgramDuringTheEditIsKept)
{
    IItem* item = OpenContact(m_dir.File(L"book.vcf"), Anna() + OLOF, L"Anna Lind");
    ASSERT_NE(nullptr, item);
    std::string theirs = OLOF + Anna("+46 70 999") + "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:New\r\nEND:VCARD\r\n";
    std::wstring path = m_path;
    CEditorDriver driver;
    driver.act = [&](HWND sheet) {
        BirthdayTo(sheet, 1980, 3, 5);
        std::ofstream(path.c_str(), std::ios::binary) << theirs;
    };
    EXPECT_EQ(S_OK, RunEditor(item, driver));
    EXPECT_EQ(OLOF + Anna("+46 70 999", "1980-03-05") + "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:New\r\nEND:VCARD\r\n",
              ReadAll(m_path));
    EXPECT_EQ(0, driver.boxes);
}

TEST_F(CardTest, ClashingChangeByAnotherProgramWinsAndTheUserIsTold)
{
    IItem* item = OpenContact(m_dir.File(L"book.vcf"), Anna() + OLOF, L"Anna Lind");
    ASSERT_NE(nullptr, item);
    std::string theirs = Anna("+46 70 123 45 67", "1981-01-01") + OLOF;
    std::wstring path = m_path;
    CEditorDriver driver;
    driver.act = [&](HWND sheet) {
        BirthdayTo(sheet, 1980, 3, 5);
        SetDlgItemTextW(Page(sheet, 2), IDC_PHONE + 7, L"555"); // pager
        std::ofstream(path.c_str(), std::ios::binary) << theirs;
    };
    EXPECT_EQ(S_OK, RunEditor(item, driver));
    std::string written = ReadAll(m_path);
    EXPECT_NE(std::string::npos, written.find("BDAY;VALUE=date:1981-01-01\r\n"));
    EXPECT_NE(std::string::npos, written.find("TEL;TYPE=PAGER:555\r\nEND:VCARD"));
    EXPECT_EQ(1, driver.boxes);
    EXPECT_NE(std::wstring::npos, driver.boxText.find(L"Birthday"));
}

// A failed save is reported and keeps the editor open with what the user typed: OK again saves
// it once the file can be written, Cancel leaves the file as it was.
TEST_F(CardTest, FailedSaveKeepsTheEditorOpenWithTheTypedValues)
{
    std::string book = Anna() + OLOF;
    struct
    {
        bool tryAgain;
        std::string expected;
    } cases[] = {{true, Anna("+46 70 123 45 67", "1980-03-05") + OLOF}, {false, book}};
    for (const auto& c : cases)
    {
        IItem* item = OpenContact(m_dir.File(L"book.vcf"), book, L"Anna Lind");
        ASSERT_NE(nullptr, item);
        SetFileAttributesW(m_path.c_str(), FILE_ATTRIBUTE_READONLY);
        std::wstring path = m_path;
        CEditorDriver driver;
        driver.act = [](HWND sheet) { BirthdayTo(sheet, 1980, 3, 5); };
        driver.retry = [&](HWND) {
            if (c.tryAgain)
                SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            return c.tryAgain;
        };
        HRESULT hr = RunEditor(item, driver);
        EXPECT_EQ(c.tryAgain, SUCCEEDED(hr));
        EXPECT_EQ(1, driver.boxesAnswered) << "the editor stayed open after the failure";
        EXPECT_NE(std::wstring::npos, driver.boxText.find(L"could not be saved")) << driver.boxText.c_str();
        EXPECT_EQ(c.expected, ReadAll(m_path));
        EXPECT_EQ(1, CountFiles(m_dir.Path()));
        SetFileAttributesW(m_path.c_str(), FILE_ATTRIBUTE_NORMAL);
        item->Release();
        m_item = nullptr;
    }
}

// A card another program deleted while its editor was open is reported as deleted, also when a
// card of the same names without UID is left, which must not take the edit.
TEST_F(CardTest, EditOfACardAnotherProgramDeletedIsRefused)
{
    auto olof = [](const char* birthday) {
        return "BEGIN:VCARD\r\nVERSION:2.1\r\nN:Berg;Olof\r\nBDAY:" + std::string(birthday) + "\r\nEND:VCARD\r\n";
    };
    struct
    {
        bool ownFile; // the card is alone in its file, which the other program deletes
    } cases[] = {{false}, {true}};
    for (const auto& c : cases)
    {
        std::wstring path = m_dir.File(c.ownFile ? L"olof.vcf" : L"book.vcf");
        IItem* item = OpenContact(path, olof("19700101") + (c.ownFile ? "" : olof("19800101")), L"Olof Berg");
        ASSERT_NE(nullptr, item);
        DATE opened = 0;
        for (const CListedContact& listed : List())
            opened = listed.oid == m_oid ? listed.birthday : opened;
        std::string left = c.ownFile ? "" : olof(opened == OleDate(1970, 1, 1) ? "19800101" : "19700101");
        CEditorDriver driver;
        driver.act = [&](HWND sheet) {
            SetDlgItemTextW(Page(sheet, 0), IDC_FIRST_NAME, L"Olle");
            if (c.ownFile)
                DeleteFileW(path.c_str());
            else
                std::ofstream(path.c_str(), std::ios::binary) << left;
        };
        EXPECT_TRUE(FAILED(RunEditor(item, driver)));
        EXPECT_NE(std::wstring::npos, driver.boxText.find(L"deleted")) << driver.boxText.c_str();
        EXPECT_EQ(c.ownFile ? 0 : 1, CountFiles(m_dir.Path()));
        if (!c.ownFile)
        {
            EXPECT_EQ(left, ReadAll(path));
        }
        DeleteFileW(path.c_str());
        item->Release();
        m_item = nullptr;
        CloseStore();
    }
}

// Sync tools know a card by its UID: a card without one gets one at its first save, once.
TEST_F(CardTest, FirstSaveGivesACardWithoutUidOne)
{
    ASSERT_NE(nullptr, OpenContact(m_dir.File(L"book.vcf"), Anna() + OLOF, L"Olof Berg"));
    for (WORD day : {5, 6})
    {
        // The contact as the list has it now.
        for (const CListedContact& c : List())
            if (c.name == L"Olof Berg" && c.oid != m_oid)
            {
                m_item->Release();
                m_oid = c.oid;
                m_item = ItemOf(c.oid);
            }
        ASSERT_NE(nullptr, m_item);
        CEditorDriver driver;
        driver.act = [&](HWND sheet) { BirthdayTo(sheet, 1970, 1, day); };
        EXPECT_EQ(S_OK, RunEditor(m_item, driver));
    }
    std::string written = ReadAll(m_path);
    ASSERT_EQ(0u, written.find(Anna() + "BEGIN:VCARD\r\nVERSION:2.1\r\nN:Berg;Olof\r\nBDAY:19700106\r\nUID:")) << written;
    EXPECT_EQ(written.rfind("UID:"), written.find("UID:", Anna().size())) << written;
    EXPECT_EQ("\r\nEND:VCARD\r\n", written.substr(written.rfind("UID:") + 4 + 36)) << "a UUID";
}

TEST_F(CardTest, MissingFolderIsReportedAndNothingIsCreated)
{
    std::wstring folder = m_dir.File(L"sub"), moved = m_dir.File(L"moved");
    CreateDirectoryW(folder.c_str(), nullptr);
    SetAddressBook(folder);
    std::string book = Anna() + OLOF;
    IItem* item = OpenContact(folder + L"\\book.vcf", book, L"Anna Lind");
    ASSERT_NE(nullptr, item);
    CEditorDriver driver;
    driver.act = [&](HWND sheet) {
        BirthdayTo(sheet, 1980, 3, 5);
        EXPECT_TRUE(MoveFileW(folder.c_str(), moved.c_str()));
    };
    EXPECT_TRUE(FAILED(RunEditor(item, driver)));
    EXPECT_EQ(1, driver.boxes);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(folder.c_str()));
    EXPECT_EQ(book, ReadAll(moved + L"\\book.vcf"));
    m_path = moved + L"\\book.vcf";
    DeleteFileW(m_path.c_str());
    RemoveDirectoryW(moved.c_str());
}

TEST_F(CardTest, YearlessBirthdayStaysYearless)
{
    // The tab in the untouched name stays too.
    std::string book = "BEGIN:VCARD\r\nVERSION:4.0\r\nUID:ada\r\nFN:Ada\r\nN:Lo\tvelace;Ada\r\nBDAY:--0315\r\nEND:VCARD\r\n";
    IItem* item = OpenContact(m_dir.File(L"ada.vcf"), book, L"Ada");
    ASSERT_NE(nullptr, item);
    CEditorDriver driver;
    driver.act = [](HWND sheet) {
        HWND page = Page(sheet, 0);
        EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(page, IDC_BIRTHDAY_NO_YEAR));
        SetDate(page, IDC_BIRTHDAY, 2000, 2, 29);
    };
    EXPECT_EQ(S_OK, RunEditor(item, driver));
    EXPECT_EQ("BEGIN:VCARD\r\nVERSION:4.0\r\nUID:ada\r\nFN:Ada\r\nN:Lo\tvelace;Ada\r\nBDAY:--0229\r\nEND:VCARD\r\n", ReadAll(m_path));
}

TEST_F(CardTest, CardWindowShowsTheContactAndClosesWithEscape)
{
    IItem* item = OpenContact(m_dir.File(L"book.vcf"), Anna() + OLOF, L"Anna Lind");
    ASSERT_NE(nullptr, item);
    EXPECT_EQ(S_OK, item->Display(nullptr));
    EXPECT_EQ(S_OK, item->Display(nullptr)); // the open card comes to the front, no second one
    HWND card = FindDialog(L"Anna Lind");
    ASSERT_NE(nullptr, card);
    EXPECT_EQ(nullptr, GetWindow(card, GW_OWNER));
    HWND list = GetDlgItem(card, IDC_CARD_DETAILS);
    ASSERT_EQ(2, ListView_GetItemCount(list));
    wchar_t text[64] = {};
    ListView_GetItemText(list, 0, 0, text, 64);
    EXPECT_STREQ(L"Birthday", text);
    ListView_GetItemText(list, 0, 1, text, 64);
    EXPECT_STREQ(L"15 March 1980", text);
    ListView_GetItemText(list, 1, 0, text, 64);
    EXPECT_STREQ(L"Mobile", text);
    HBITMAP picture = reinterpret_cast<HBITMAP>(SendDlgItemMessageW(card, IDC_CARD_PICTURE, STM_GETIMAGE, IMAGE_BITMAP, 0));
    EXPECT_NE(nullptr, picture);
    // Esc reaches the card through the caller's own plain message loop.
    SetFocus(list);
    PostMessageW(list, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    Pump(200);
    EXPECT_FALSE(IsWindow(card));
}

// Run by the next test in a process of its own: logs on with a window and exits with 0 when
// 0x8102 arrives for Anna, 7 for any other notification, 3 when none arrives.
TEST(CardChild, DISABLED_ReportsNotifications)
{
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    IPOutlookApp2* app = nullptr;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_Application, nullptr, CLSCTX_INPROC_SERVER, IID_IPOutlookApp2,
                                     reinterpret_cast<void**>(&app)));
    HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    app->Logon(reinterpret_cast<LONG_PTR>(window));
    IFolder* folder = nullptr;
    IItem* notifications = nullptr;
    app->GetDefaultFolder(olFolderContacts, &folder);
    folder->QueryInterface(IID_IItem, reinterpret_cast<void**>(&notifications));
    CEPROPVAL value = {};
    value.propid = PIMPR_FOLDERNOTIFICATIONS;
    value.val.ulVal = PIMFOLDERNOTIFICATION_ALL;
    notifications->SetProps(0, 1, &value);
    HANDLE ready = OpenEventW(EVENT_MODIFY_STATE, FALSE, L"FestivoCardChildReady");
    SetEvent(ready);
    DWORD start = GetTickCount();
    int code = 3;
    while (code == 3 && GetTickCount() - start < 8000)
    {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            if (msg.hwnd == window && msg.message >= 0x8100 && msg.message <= 0x8107)
                code = msg.message == PIM_ITEM_CHANGED_LOCAL ? 0 : 7;
            else
                DispatchMessageW(&msg);
    }
    ExitProcess(code);
}

TEST_F(CardTest, SaveReachesAWindowLoggedOnInAnotherProcess)
{
    IItem* item = OpenContact(m_dir.File(L"book.vcf"), Anna() + OLOF, L"Anna Lind");
    ASSERT_NE(nullptr, item);
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, L"FestivoCardChildReady");
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring command = std::wstring(L"\"") + self +
                           L"\" --gtest_filter=CardChild.DISABLED_ReportsNotifications --gtest_also_run_disabled_tests";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    ASSERT_TRUE(CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process));
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(ready, 20000));
    CEditorDriver driver;
    driver.act = [](HWND sheet) { BirthdayTo(sheet, 1980, 3, 5); };
    EXPECT_EQ(S_OK, RunEditor(item, driver));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process.hProcess, 20000));
    DWORD code = 0xdeadbeef;
    GetExitCodeProcess(process.hProcess, &code);
    EXPECT_EQ(0u, code) << "0 = 0x8102 arrived, 7 = another notification, 3 = none";
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    CloseHandle(ready);
}

// Two cards with one UID (after a bad merge): the second is the one shown and saved; when another
// program changed it meanwhile, so that it can no longer be told from the first, nothing is written.
TEST_F(CardTest, RepeatedUidAddressesTheCardThatWasOpened)
{
    const std::string first = "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:same\r\nFN:Anna Lind\r\nBDAY:1980-03-15\r\nEND:VCARD\r\n";
    auto second = [](const char* birthday) {
        return "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:same\r\nFN:Olof Berg\r\nBDAY:" + std::string(birthday) +
               "\r\nEND:VCARD\r\n";
    };
    struct
    {
        bool otherProgram; // changes the second card during the edit
        std::string expected;
        int boxes;
    } cases[] = {
        {false, first + second("1980-03-05"), 0},
        {true, first + second("1971-01-01"), 1},
    };
    for (const auto& c : cases)
    {
        IItem* item = OpenContact(m_dir.File(L"book.vcf"), first + second("1970-01-01"), L"Olof Berg");
        ASSERT_NE(nullptr, item);
        EXPECT_EQ(S_OK, item->Display(nullptr));
        HWND card = FindDialog(L"Olof Berg");
        EXPECT_NE(nullptr, card) << "the card window shows the second card";
        DestroyWindow(card);
        std::wstring path = m_path;
        std::string theirs = first + second("1971-01-01");
        CEditorDriver driver;
        driver.act = [&](HWND sheet) {
            BirthdayTo(sheet, 1980, 3, 5);
            if (c.otherProgram)
                std::ofstream(path.c_str(), std::ios::binary) << theirs;
        };
        RunEditor(item, driver);
        EXPECT_EQ(c.expected, ReadAll(m_path));
        EXPECT_EQ(c.boxes, driver.boxes);
        item->Release();
        m_item = nullptr;
    }
}

// A private file stays private and a linked file is written where the link points, the link kept.
TEST_F(CardTest, SaveKeepsTheFilesPermissionsAndLinks)
{
    if (!HaveUnixFiles())
        GTEST_SKIP() << "needs Wine on Linux";
    CreateDirectoryW(m_dir.File(L"real").c_str(), nullptr);
    struct
    {
        long mode;
        bool link;
    } cases[] = {{0600, false}, {0640, false}, {0600, true}};
    for (const auto& c : cases)
    {
        std::wstring file = c.link ? m_dir.File(L"real\\book.vcf") : m_dir.File(L"book.vcf");
        std::wstring link = m_dir.File(L"book.vcf");
        std::ofstream(file.c_str(), std::ios::binary) << Anna();
        ASSERT_TRUE(SetUnixMode(file, c.mode));
        if (c.link)
        {
            ASSERT_TRUE(MakeUnixLink("real/book.vcf", link));
        }
        IItem* item = OpenContact(link, ReadAll(file), L"Anna Lind");
        ASSERT_NE(nullptr, item);
        CEditorDriver driver;
        driver.act = [](HWND sheet) { BirthdayTo(sheet, 1980, 3, 5); };
        EXPECT_EQ(S_OK, RunEditor(item, driver));
        EXPECT_EQ(Anna("+46 70 123 45 67", "1980-03-05"), ReadAll(file));
        EXPECT_EQ(0100000 | c.mode, UnixMode(file)) << std::oct << c.mode;
        EXPECT_EQ(c.link, IsUnixLink(link));
        item->Release();
        m_item = nullptr;
        RemoveUnixFile(link);
        DeleteFileW(file.c_str());
    }
    RemoveDirectoryW(m_dir.File(L"real").c_str());
}

TEST_F(CardTest, CardHeadingIsTheNameTheListShows)
{
    struct
    {
        const char* lines;
        const wchar_t* name;
    } cases[] = {
        {"ORG:Acme AB;Sales\r\nEMAIL:info@acme.example", L"Acme AB"},
        {"N:Berg;Olof\r\nEMAIL:olof@example.org", L"Olof Berg"},
    };
    for (const auto& c : cases)
    {
        IItem* item =
            OpenContact(m_dir.File(L"book.vcf"), std::string("BEGIN:VCARD\r\nVERSION:3.0\r\n") + c.lines + "\r\nEND:VCARD\r\n", c.name);
        ASSERT_NE(nullptr, item);
        EXPECT_EQ(S_OK, item->Display(nullptr));
        HWND card = FindDialog(c.name);
        EXPECT_NE(nullptr, card) << c.name;
        wchar_t heading[64] = {};
        GetDlgItemTextW(card, IDC_CARD_NAME, heading, 64);
        EXPECT_STREQ(c.name, heading);
        DestroyWindow(card);
        item->Release();
        m_item = nullptr;
    }
}

// A name in a character set that cannot be read is shown read-only with a note and written back untouched.
TEST_F(CardTest, UndecodedFieldIsReadOnlyAndKept)
{
    std::string book = "BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=X-UNKNOWN:\x8E\xA1;\x8E\xA2\r\nFN:Mika\r\nUID:mika\r\nEND:VCARD\r\n";
    IItem* item = OpenContact(m_dir.File(L"book.vcf"), book, L"Mika");
    ASSERT_NE(nullptr, item);
    CEditorDriver driver;
    DWORD style = 0xdeadbeef;
    BOOL noteShown = 0xdeadbeef;
    driver.act = [&](HWND sheet) {
        HWND page = Page(sheet, 0);
        style = static_cast<DWORD>(GetWindowLongW(GetDlgItem(page, IDC_FIRST_NAME), GWL_STYLE));
        noteShown = IsWindowVisible(GetDlgItem(page, IDC_READONLY_NOTE));
        SetDlgItemTextW(page, IDC_FIRST_NAME, L"Changed");
        SetDlgItemTextW(page, IDC_DISPLAY_NAME, L"Mika K");
    };
    EXPECT_EQ(S_OK, RunEditor(item, driver));
    EXPECT_NE(0u, style & ES_READONLY);
    EXPECT_TRUE(noteShown);
    EXPECT_EQ("BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=X-UNKNOWN:\x8E\xA1;\x8E\xA2\r\nFN:Mika K\r\nUID:mika\r\nEND:VCARD\r\n", ReadAll(m_path));
    EXPECT_EQ(0, driver.boxes);
}

// While the display name is the one first and last name give, it follows them; a typed one stays.
TEST_F(CardTest, DerivedDisplayNameFollowsTheNames)
{
    struct
    {
        const char* fn;
        const wchar_t* listed;
        const wchar_t* shown; // after the first name became "Anne"
        const char* written;
    } cases[] = {{"Anna Lind", L"Anna Lind", L"Anne Lind", "FN:Anne Lind\r\n"}, {"Boss", L"Boss", L"Boss", "FN:Boss\r\n"}};
    for (const auto& c : cases)
    {
        std::string book = "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Lind;Anna;;;\r\nFN:" + std::string(c.fn) + "\r\nEND:VCARD\r\n";
        IItem* item = OpenContact(m_dir.File(L"book.vcf"), book, c.listed);
        ASSERT_NE(nullptr, item);
        wchar_t display[64] = L"\xdead";
        CEditorDriver driver;
        driver.act = [&](HWND sheet) {
            HWND page = Page(sheet, 0);
            SetDlgItemTextW(page, IDC_FIRST_NAME, L"Anne");
            GetDlgItemTextW(page, IDC_DISPLAY_NAME, display, 64);
        };
        EXPECT_EQ(S_OK, RunEditor(item, driver));
        EXPECT_STREQ(c.shown, display);
        EXPECT_NE(std::string::npos, ReadAll(m_path).find(c.written));
        item->Release();
        m_item = nullptr;
    }
}

// Every page's last control lies inside the page area, also where the tabs wrap into two rows.
TEST_F(CardTest, EditorPagesFitTheirArea)
{
    IItem* item = OpenContact(m_dir.File(L"book.vcf"), Anna() + OLOF, L"Anna Lind");
    ASSERT_NE(nullptr, item);
    LONG overlap[4] = {0x7eadbeef, 0x7eadbeef, 0x7eadbeef, 0x7eadbeef};
    CEditorDriver driver;
    driver.act = [&](HWND sheet) {
        Pump(100);
        HWND tab = reinterpret_cast<HWND>(SendMessageW(sheet, PSM_GETTABCONTROL, 0, 0));
        for (int index = 0; index < 4; ++index)
        {
            HWND page = Page(sheet, index);
            RECT area, note;
            GetWindowRect(tab, &area);
            SendMessageW(tab, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
            GetWindowRect(GetDlgItem(page, IDC_READONLY_NOTE), &note);
            overlap[index] = note.bottom - area.bottom;
        }
    };
    EXPECT_EQ(S_OK, RunEditor(item, driver));
    for (LONG below : overlap)
        EXPECT_GE(0, below) << "pixels of the page below its area";
}

// A field holding a NUL byte cannot be shown whole by an edit box: saving another field keeps it as written.
TEST_F(CardTest, FieldWithANulByteIsKeptWhenAnotherFieldIsSaved)
{
    const std::string nul(1, '\0');
    const std::string lines[] = {"N:Lind;An" + nul + "na;;;\r\n", "TEL;TYPE=CELL:+46 70" + nul + "123\r\n",
                                 "EMAIL;TYPE=INTERNET:anna@" + nul + "example.org\r\n"};
    for (const std::string& line : lines)
    {
        std::string book = "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Anna Lind\r\n" + line + "UID:nul\r\nEND:VCARD\r\n";
        IItem* item = OpenContact(m_dir.File(L"book.vcf"), book, L"Anna Lind");
        ASSERT_NE(nullptr, item);
        CEditorDriver driver;
        driver.act = [](HWND sheet) { BirthdayTo(sheet, 1980, 3, 5); };
        EXPECT_EQ(S_OK, RunEditor(item, driver));
        std::string expected = book;
        expected.insert(expected.find("END:VCARD"), "BDAY:1980-03-05\r\n");
        EXPECT_EQ(expected, ReadAll(m_path)) << line;
        item->Release();
        m_item = nullptr;
    }
}

// The user empties the first e-mail address while another program changes or removes the second:
// the first goes, and the second is as the other program left it (the editor had moved it up).
TEST_F(CardTest, EmptiedFirstAddressMergesWithAnotherProgramsChangeOfTheSecond)
{
    const std::string head = "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Anna Lind\r\nEMAIL:a@home.se\r\n", end = "UID:mail\r\nEND:VCARD\r\n";
    struct
    {
        std::string theirs; // the second address after the other program's change
    } cases[] = {{"EMAIL:c@new.se\r\n"}, {""}};
    for (const auto& c : cases)
    {
        IItem* item = OpenContact(m_dir.File(L"book.vcf"), head + "EMAIL:b@work.se\r\n" + end, L"Anna Lind");
        ASSERT_NE(nullptr, item);
        std::wstring path = m_path;
        std::string theirs = head + c.theirs + end;
        CEditorDriver driver;
        driver.act = [&](HWND sheet) {
            for (int page = 0; page < 4; ++page)
                if (HWND shown = Page(sheet, page); GetDlgItem(shown, IDC_EMAIL))
                    SetDlgItemTextW(shown, IDC_EMAIL, L"");
            std::ofstream(path.c_str(), std::ios::binary) << theirs;
        };
        EXPECT_EQ(S_OK, RunEditor(item, driver));
        EXPECT_EQ("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Anna Lind\r\n" + c.theirs + end, ReadAll(m_path));
        item->Release();
        m_item = nullptr;
    }
}
