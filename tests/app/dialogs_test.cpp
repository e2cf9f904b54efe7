// The popup list and the options dialog, opened for real and answered from inside their modal loops.
#include "app/firststart.h"
#include "app/optionsdialog.h"
#include "app/popupdialog.h"
#include "app/remindpart.h"
#include "app/resource.h"
#include "framework/infowin.h"
#include "platform/shell/device.h"
#include "platform/shell/shell.h"
#include "tests/app/fixture.h"

#include <commctrl.h>

namespace {

// What the test does once the modal dialog is up; runs from a timer inside the dialog's loop.
std::function<void(HWND)> g_whenOpen;
HWND g_main = nullptr;

BOOL CALLBACK FindDialog(HWND window, LPARAM found)
{
    wchar_t name[16] = L"";
    GetClassNameW(window, name, 16);
    if (wcscmp(name, L"#32770") == 0 && IsWindowVisible(window) && GetWindow(window, GW_OWNER) == g_main)
    {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

void CALLBACK OnTimer(HWND, UINT, UINT_PTR id, DWORD)
{
    HWND dialog = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindDialog, reinterpret_cast<LPARAM>(&dialog));
    if (!dialog)
        return;
    KillTimer(nullptr, id);
    g_whenOpen(dialog);
}

// Arms the answer for the next modal dialog of the main window.
void WhenOpen(HWND main, const std::function<void(HWND)>& action)
{
    g_main = main;
    g_whenOpen = action;
    SetTimer(nullptr, 0, 20, OnTimer);
}

struct PopupOutcome
{
    bool confirmed = false;
    int selection = static_cast<int>(0xdeadbeef);
    RECT rect = {};
    RECT client = {};
    RECT main = {};
    int rowHeight = 0;
    int listCount = 0;
};

PopupOutcome RunPopup(CTestedApp& app, int items, UINT answer)
{
    CStrList list;
    for (int i = 0; i < items; i++)
        list.Add(L"+44 7700 900123");
    PopupOutcome outcome;
    GetWindowRect(app.GetMainWnd(), &outcome.main);
    WhenOpen(app.GetMainWnd(), [&](HWND dialog) {
        GetWindowRect(dialog, &outcome.rect);
        GetClientRect(dialog, &outcome.client);
        HWND listWindow = GetDlgItem(dialog, IDC_POPUP_LIST);
        outcome.listCount = static_cast<int>(SendMessageW(listWindow, LVM_GETITEMCOUNT, 0, 0));
        RECT row = {LVIR_BOUNDS, 0, 0, 0};
        SendMessageW(listWindow, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row));
        outcome.rowHeight = row.bottom - row.top;
        if (answer == IDOK)
            SendMessageW(listWindow, WM_KEYDOWN, VK_DOWN, 0);
        SendMessageW(dialog, WM_COMMAND, answer, 0);
    });
    outcome.selection = 0;
    outcome.confirmed = CPopupDialog::Run(&outcome.selection, L"Select phone number:", &list);
    return outcome;
}

} // namespace

TEST_F(MainProgram, PopupOfTwoItemsIsTwoRowsHighAtTheBottom)
{
    RunProgram([](CTestedApp& app) {
        PopupOutcome two = RunPopup(app, 2, IDOK);
        EXPECT_TRUE(two.confirmed);
        EXPECT_EQ(1, two.selection) << "Down, then OK";
        EXPECT_EQ(2, two.listCount);
        HFONT font = CreatePopupRowFont();
        int rowHeight = PopupRowHeight(font);
        DeleteObject(font);
        EXPECT_EQ(rowHeight, two.rowHeight) << "the list measured its rows with the popup's row height";
        EXPECT_EQ(two.main.bottom, two.rect.bottom);
        EXPECT_EQ(two.main.left, two.rect.left);
        EXPECT_EQ(two.main.right, two.rect.right);
        int frame = (two.rect.bottom - two.rect.top) - two.client.bottom;
        EXPECT_GE(frame, GetSystemMetrics(SM_CYCAPTION)) << "the caption is shown";
        EXPECT_EQ(2 * rowHeight + frame + DeviceScale(2), two.rect.bottom - two.rect.top);
    });
}

TEST_F(MainProgram, PopupOfFortyItemsStaysWithinSeventyPercent)
{
    RunProgram([](CTestedApp& app) {
        PopupOutcome forty = RunPopup(app, 40, IDCANCEL);
        EXPECT_FALSE(forty.confirmed);
        EXPECT_EQ(0, forty.selection) << "Cancel leaves the selection alone";
        int mainHeight = forty.main.bottom - forty.main.top;
        int height = forty.rect.bottom - forty.rect.top;
        EXPECT_LE(height, mainHeight * 7 / 10);
        EXPECT_GT(height, mainHeight * 7 / 10 - forty.rowHeight - 1) << "as many rows as fit";
        EXPECT_EQ(40, forty.listCount);
    });
}

TEST_F(MainProgram, OptionsOkStoresAllFourValuesAndCancelNothing)
{
    RunProgram([](CTestedApp& app) {
        WhenOpen(app.GetMainWnd(), [](HWND container) {
            HWND page = FindWindowExW(container, nullptr, L"#32770", nullptr);
            ASSERT_NE(nullptr, page);
            EXPECT_EQ(static_cast<UINT>(BST_CHECKED), IsDlgButtonChecked(page, IDC_OPTIONS_ANNIVERSARIES));
            wchar_t body[100] = L"";
            GetDlgItemTextW(page, IDC_OPTIONS_BODY, body, 100);
            EXPECT_STREQ(L"Happy Birthday dear %FirstName% %LastName%!", body);
            CheckDlgButton(page, IDC_OPTIONS_ANNIVERSARIES, BST_UNCHECKED);
            CheckDlgButton(page, IDC_OPTIONS_FUTURE_AGE, BST_UNCHECKED);
            SetDlgItemTextW(page, IDC_OPTIONS_SUBJECT, L"");
            SetDlgItemTextW(page, IDC_OPTIONS_BODY, L"Dear %FirstName%,\r\nall the best!");
            SendMessageW(container, WM_COMMAND, IDOK, 0);
        });
        int before = FakeStore().enumerations;
        Command(app, IDM_OPTIONS);
        EXPECT_EQ(before + 1, FakeStore().enumerations) << "the list is refreshed after OK";
        CSettings stored;
        stored.Read();
        EXPECT_EQ(0, stored.ShowAnnivasaries);
        EXPECT_EQ(0, stored.ShowFutureAge);
        EXPECT_STREQ(L"", stored.MessageSubject);
        EXPECT_STREQ(L"Dear %FirstName%,\r\nall the best!", stored.MessageBody);
        EXPECT_EQ(5, static_cast<int>(app.Data().GetCount())) << "without the anniversary";

        WhenOpen(app.GetMainWnd(), [](HWND container) {
            HWND page = FindWindowExW(container, nullptr, L"#32770", nullptr);
            CheckDlgButton(page, IDC_OPTIONS_ANNIVERSARIES, BST_CHECKED);
            SetDlgItemTextW(page, IDC_OPTIONS_SUBJECT, L"changed");
            SendMessageW(container, WM_COMMAND, IDCANCEL, 0);
        });
        Command(app, IDM_OPTIONS);
        EXPECT_EQ(before + 2, FakeStore().enumerations) << "Cancel refreshes too";
        stored.Read();
        EXPECT_EQ(0, stored.ShowAnnivasaries);
        EXPECT_STREQ(L"", stored.MessageSubject);
    });
}

TEST_F(MainProgram, OptionsPageScrollsTheFocusedEditIntoView)
{
    RunProgram([](CTestedApp& app) {
        WhenOpen(app.GetMainWnd(), [](HWND container) {
            HWND page = FindWindowExW(container, nullptr, L"#32770", nullptr);
            HWND body = GetDlgItem(page, IDC_OPTIONS_BODY);
            SetFocus(body);
            SendMessageW(page, WM_NULL, 0, 0);
            RECT client;
            RECT edit;
            GetClientRect(container, &client);
            GetWindowRect(body, &edit);
            MapWindowPoints(nullptr, container, reinterpret_cast<POINT*>(&edit), 2);
            EXPECT_LE(edit.bottom, client.bottom) << "the Text edit is fully visible";
            EXPECT_GE(edit.top, 0);
            SendMessageW(container, WM_COMMAND, IDCANCEL, 0);
        });
        Command(app, IDM_OPTIONS);
    });
}

namespace {

std::vector<std::wstring> g_calledParties;

void RecordCalledParty(const wchar_t* party)
{
    g_calledParties.push_back(party);
}

} // namespace

TEST_F(MainProgram, CallGoesToThePersonChosenEvenWhenTheListReloadsMeanwhile)
{
    FakeContact& anna = FakeStore().contacts[0];
    anna.properties[PIMPR_MOBILE_TELEPHONE_NUMBER] = L"555-0100";
    anna.properties[PIMPR_HOME_TELEPHONE_NUMBER] = L"555-0199";
    g_calledParties.clear();
    SetCalledPartyRecorder(RecordCalledParty);
    RunProgram([](CTestedApp& app) {
        Command(app, IDM_SORT_NAME);
        ASSERT_EQ(L"Anna", Row(app, 0));
        WhenOpen(app.GetMainWnd(), [&app](HWND dialog) {
            // A sync renames her while the numbers are offered: the list reloads inside the popup's loop.
            FakeStore().contacts[0].name = L"Anne";
            SendMessageW(app.GetMainWnd(), PIM_ITEM_CHANGED_REMOTE, 1, 0);
            Flush(100);
            SendMessageW(dialog, WM_COMMAND, IDOK, 0);
        });
        Command(app, IDM_CALL_CONTACT);
        EXPECT_EQ(L"Anne", Row(app, 0)) << "the list did reload";
    });
    SetCalledPartyRecorder(nullptr);
    ASSERT_EQ(1u, Requests().size());
    EXPECT_EQ(L"tel:5550100", Requests()[0]);
    EXPECT_EQ((std::vector<std::wstring>{L"Anna"}), g_calledParties) << "the name as it was when the call began";
}

TEST_F(MainProgram, OptionsOkKeepsTheTodayOptionsChangedMeanwhile)
{
    RunProgram([](CTestedApp& app) {
        WhenOpen(app.GetMainWnd(), [](HWND container) {
            CSettings plugIn;
            plugIn.Read();
            plugIn.TodayMaxLines = 2;
            plugIn.Write();
            SendMessageW(container, WM_COMMAND, IDOK, 0);
        });
        Command(app, IDM_OPTIONS);
        CSettings stored;
        stored.Read();
        EXPECT_EQ(2, stored.TodayMaxLines);
    });
}

TEST_F(MainProgram, LongTemplatesAreCutToWhatTheOptionsHold)
{
    std::wstring longText(20000, L'a');
    HKEY key = nullptr;
    RegCreateKeyExW(HKEY_CURRENT_USER, SETTINGS_KEY, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    for (const wchar_t* name : {L"MessageSubject", L"MessageBody"})
        RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(longText.c_str()),
                       static_cast<DWORD>((longText.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    bool opened = false;
    RunProgram([&opened](CTestedApp& app) {
        EXPECT_EQ(MESSAGE_TEMPLATE_LIMIT, app.Data().GetSettings().MessageBody.GetLength());
        EXPECT_EQ(MESSAGE_TEMPLATE_LIMIT, app.Data().GetSettings().MessageSubject.GetLength());
        WhenOpen(app.GetMainWnd(), [&opened](HWND container) {
            opened = true;
            HWND page = FindWindowExW(container, nullptr, L"#32770", nullptr);
            for (int id : {IDC_OPTIONS_SUBJECT, IDC_OPTIONS_BODY})
            {
                HWND edit = GetDlgItem(page, id);
                EXPECT_EQ(MESSAGE_TEMPLATE_LIMIT, static_cast<int>(SendMessageW(edit, EM_GETLIMITTEXT, 0, 0)));
                EXPECT_EQ(MESSAGE_TEMPLATE_LIMIT, GetWindowTextLengthW(edit));
            }
            SendMessageW(container, WM_COMMAND, IDCANCEL, 0);
        });
        Command(app, IDM_OPTIONS);
    });
    EXPECT_TRUE(opened);
}

namespace {

// Lets the current user only read the settings key (another account's settings, a locked-down profile).
void SetSettingsAccess(DWORD access)
{
    HKEY key = nullptr;
    RegCreateKeyExW(HKEY_CURRENT_USER, SETTINGS_KEY, 0, nullptr, 0, READ_CONTROL | WRITE_DAC, nullptr, &key,
                    nullptr);
    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    PSID everyone = nullptr;
    AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone);
    BYTE aclBytes[256];
    auto* acl = reinterpret_cast<PACL>(aclBytes);
    InitializeAcl(acl, sizeof(aclBytes), ACL_REVISION);
    AddAccessAllowedAce(acl, ACL_REVISION, access, everyone);
    SECURITY_DESCRIPTOR descriptor;
    InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
    SetSecurityDescriptorDacl(&descriptor, TRUE, acl, FALSE);
    RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &descriptor);
    FreeSid(everyone);
    RegCloseKey(key);
}

} // namespace

TEST_F(MainProgram, ReadOnlySettingsAreReadAndAFailedSaveIsSaid)
{
    CSettings settings;
    settings.SetDefaults();
    settings.SortOrder = SORT_BY_NAME;
    settings.Write();
    SetSettingsAccess(KEY_READ);
    HKEY probe = nullptr;
    bool locked = RegOpenKeyExW(HKEY_CURRENT_USER, SETTINGS_KEY, 0, KEY_SET_VALUE, &probe) != ERROR_SUCCESS;
    if (probe)
        RegCloseKey(probe);
    if (locked)
    {
        auto run = [] {
            std::wstring said;
            int order = -1;
            RunProgram([&](CTestedApp& app) {
                order = app.Data().GetSettings().SortOrder;
                Command(app, IDM_SORT_DATE);
                said = app.GetInfoWindow()->GetText().GetBuffer();
            });
            exit(order == SORT_BY_NAME && said == L"The settings could not be saved." ? 0 : 3);
        };
        EXPECT_EXIT(run(), ::testing::ExitedWithCode(0), "");
    }
    SetSettingsAccess(KEY_ALL_ACCESS);
    EXPECT_TRUE(locked) << "the key could be locked for the test";
}

TEST_F(MainProgram, DateDialogSetsTheReferenceOnOkOnly)
{
    RunProgram([](CTestedApp& app) {
        SetReference(app, 2026, 5, 10);
        auto pick = [](WORD year, WORD month, WORD day, UINT answer) {
            return [=](HWND dialog) {
                SYSTEMTIME date = {};
                date.wYear = year;
                date.wMonth = month;
                date.wDay = day;
                HWND picker = GetDlgItem(dialog, IDC_DATE_PICKER);
                SendMessageW(picker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&date));
                SetFocus(picker);
                // Back goes to the picker; the dialog stays.
                SendMessageW(dialog, WM_HOTKEY, 0, MAKELPARAM(0, VK_TBACK));
                EXPECT_TRUE(IsWindowVisible(dialog));
                SendMessageW(dialog, WM_COMMAND, answer, 0);
            };
        };
        WhenOpen(app.GetMainWnd(), pick(2027, 1, 15, IDOK));
        Command(app, IDM_SELECT_DATE);
        EXPECT_EQ(0u, HeaderText(app).find(L"15 January"));
        EXPECT_EQ(2027, app.Data().GetReference().GetYear());
        WhenOpen(app.GetMainWnd(), pick(2028, 3, 3, IDCANCEL));
        Command(app, IDM_SELECT_DATE);
        EXPECT_EQ(0u, HeaderText(app).find(L"15 January")) << "Cancel keeps the date";
    });
}

TEST_F(MainProgram, MouseWheelScrollsTheOptionsPage)
{
    RunProgram([](CTestedApp& app) {
        WhenOpen(app.GetMainWnd(), [](HWND container) {
            HWND page = FindWindowExW(container, nullptr, L"#32770", nullptr);
            HWND subject = GetDlgItem(page, IDC_OPTIONS_SUBJECT);
            SetFocus(subject);
            SendMessageW(page, WM_NULL, 0, 0);
            EXPECT_EQ(0, GetScrollPos(container, SB_VERT));
            // The wheel message goes to the focused control, which passes it to its parents.
            SendMessageW(subject, WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), 0);
            int down = GetScrollPos(container, SB_VERT);
            EXPECT_GT(down, 0) << "a turn of the wheel towards the user scrolls down";
            RECT pageRect;
            GetWindowRect(page, &pageRect);
            POINT origin = {0, 0};
            ClientToScreen(container, &origin);
            EXPECT_EQ(origin.y - down, pageRect.top) << "the page moves with the scroll bar";
            SendMessageW(subject, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
            EXPECT_EQ(0, GetScrollPos(container, SB_VERT));
            SendMessageW(container, WM_COMMAND, IDCANCEL, 0);
        });
        Command(app, IDM_OPTIONS);
    });
}

TEST_F(MainProgram, SmartphoneOptionsPageScrollsNoFurtherThanItsContent)
{
    CDeviceProfile smartphone(L"Smartphone", 96);
    RunProgram([](CTestedApp& app) {
        WhenOpen(app.GetMainWnd(), [](HWND container) {
            HWND page = FindWindowExW(container, nullptr, L"#32770", nullptr);
            SendMessageW(container, WM_VSCROLL, SB_BOTTOM, 0);
            RECT client;
            RECT pageRect;
            GetClientRect(container, &client);
            GetWindowRect(page, &pageRect);
            MapWindowPoints(nullptr, container, reinterpret_cast<POINT*>(&pageRect), 2);
            EXPECT_GE(pageRect.bottom, client.bottom) << "the page's end never rises above the container's";
            EXPECT_LE(pageRect.top, 0);
            SendMessageW(container, WM_COMMAND, IDCANCEL, 0);
        });
        Command(app, IDM_OPTIONS);
    });
}

namespace {

// The message box over the options: what it says, answered with OK from a timer of its own.
std::wstring g_boxText;
HWND g_boxOwner = nullptr;

void CALLBACK AnswerBox(HWND, UINT, UINT_PTR id, DWORD)
{
    HWND box = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), [](HWND window, LPARAM found) -> BOOL {
        if (IsWindowVisible(window) && GetWindow(window, GW_OWNER) == g_boxOwner)
        {
            *reinterpret_cast<HWND*>(found) = window;
            return FALSE;
        }
        return TRUE;
    }, reinterpret_cast<LPARAM>(&box));
    if (!box)
        return;
    KillTimer(nullptr, id);
    wchar_t text[300] = L"";
    GetDlgItemTextW(box, 0xFFFF, text, 300);
    g_boxText = text;
    SendMessageW(box, WM_COMMAND, IDOK, 0);
}

} // namespace

TEST_F(MainProgram, OptionsChooseAnAddressBookThatExistsOnly)
{
    CTempDir folder;
    RunProgram([&](CTestedApp& app) {
        bool stayed = false;
        g_boxText.clear();
        WhenOpen(app.GetMainWnd(), [&](HWND container) {
            HWND page = FindWindowExW(container, nullptr, L"#32770", nullptr);
            ASSERT_NE(nullptr, page);
            SetDlgItemTextW(page, IDC_OPTIONS_BOOK, L"C:\\no\\such\\book.vcf");
            g_boxOwner = container;
            SetTimer(nullptr, 0, 20, AnswerBox);
            SendMessageW(container, WM_COMMAND, IDOK, 0);
            stayed = IsWindow(container) && IsWindowVisible(container);
            SetDlgItemTextW(page, IDC_OPTIONS_BOOK, (L" \"" + folder.Path() + L"\" ").c_str());
            SendMessageW(container, WM_COMMAND, IDOK, 0);
        });
        Command(app, IDM_OPTIONS);
        EXPECT_TRUE(stayed) << "a book that does not exist is refused, the dialog stays";
        EXPECT_EQ(0u, g_boxText.find(L"The address book \"C:\\no\\such\\book.vcf\" cannot be found.")) << g_boxText;
        CStr chosen;
        ReadChosenBook(chosen);
        EXPECT_STREQ(folder.Path().c_str(), chosen) << "quotes and blanks of a pasted path are no part of it";
    });
}

TEST_F(MainProgram, FirstStartAsksOnceAndTheDemoIsTheUsersCopy)
{
    RunProgram([](CTestedApp& app) {
        struct
        {
            UINT button;
            bool chosen;
        } cases[] = {{IDC_FIRST_START_LATER, false}, {IDC_FIRST_START_DEMO, true}};
        for (const auto& c : cases)
        {
            DeleteChosenBook();
            WhenOpen(app.GetMainWnd(), [&](HWND dialog) { SendMessageW(dialog, WM_COMMAND, c.button, 0); });
            EXPECT_EQ(c.chosen, AskForAddressBookOnce());
            EXPECT_FALSE(AddressBookNeverAsked()) << "not asked again";
            EXPECT_FALSE(AskForAddressBookOnce());
        }
        CStr chosen;
        ReadChosenBook(chosen);
        std::wstring path = chosen.GetBuffer();
        EXPECT_NE(std::wstring::npos, path.find(L"\\Festivo\\demo-contacts.vcf")) << path;
        EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(chosen));
    });
}

TEST(RemindersPart, TimeOfDayIsHoursAndMinutes)
{
    const struct
    {
        const wchar_t* text;
        int minute;
    } cases[] = {{L"9:00", 540}, {L"09.05", 545}, {L"0:00", 0}, {L"23:59", 1439}, {L"24:00", -1}, {L"9:60", -1},
                 {L"9", -1},     {L"9:5", -1},    {L"", -1},     {L"9:00pm", -1}, {L"-1:00", -1}, {L"123:00", -1}};
    for (const auto& c : cases)
        EXPECT_EQ(c.minute, CRemindPart::ParseTime(c.text)) << c.text;
}

// On the desktop the first-start question's own buttons are its answers: no OK and Cancel row or
// window menu under them (Cancel, like Esc, is Later).
TEST_F(MainProgram, DesktopFirstStartShowsOnlyItsOwnButtons)
{
    CDeviceProfile desktop(L"Desktop", 96);
    RunProgram([](CTestedApp& app) {
        DeleteChosenBook();
        HWND ok = reinterpret_cast<HWND>(0xdeadbeef);
        HWND cancel = reinterpret_cast<HWND>(0xdeadbeef);
        HMENU menu = reinterpret_cast<HMENU>(0xdeadbeef);
        BOOL later = 0xdeadbeef;
        WhenOpen(app.GetMainWnd(), [&](HWND dialog) {
            HWND bar = SHFindMenuBar(dialog);
            ok = bar ? GetDlgItem(bar, IDOK) : nullptr;
            cancel = bar ? GetDlgItem(bar, IDCANCEL) : nullptr;
            menu = GetMenu(dialog);
            later = IsWindowVisible(GetDlgItem(dialog, IDC_FIRST_START_LATER));
            SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        });
        EXPECT_FALSE(AskForAddressBookOnce());
        EXPECT_EQ(nullptr, ok);
        EXPECT_EQ(nullptr, cancel);
        EXPECT_EQ(nullptr, menu);
        EXPECT_TRUE(later);
        EXPECT_FALSE(AddressBookNeverAsked()) << "Cancel is Later";
    });
}

// On the desktop a dialog of OK and Cancel only shows them as push buttons at its bottom right, below
// its content; a click on one is the soft key's command.
TEST_F(MainProgram, DesktopOkCancelAreButtonsBelowTheContent)
{
    struct Case
    {
        UINT command;
        int contentId;
        UINT button;
    };
    static const Case cases[] = {
        {0, IDC_POPUP_LIST, IDOK}, {0, IDC_POPUP_LIST, IDCANCEL}, {IDM_SELECT_DATE, IDC_DATE_PICKER, IDCANCEL}};
    CDeviceProfile desktop(L"Desktop", 96);
    RunProgram([](CTestedApp& app) {
        for (const Case& c : cases)
        {
            HWND ok = nullptr;
            HWND cancel = nullptr;
            HMENU menu = reinterpret_cast<HMENU>(0xdeadbeef);
            RECT okAt = {LONG(0xdeadbeef), LONG(0xdeadbeef), LONG(0xdeadbeef), LONG(0xdeadbeef)};
            RECT cancelAt = {LONG(0xdeadbeef), LONG(0xdeadbeef), LONG(0xdeadbeef), LONG(0xdeadbeef)};
            RECT content = {LONG(0xdeadbeef), LONG(0xdeadbeef), LONG(0xdeadbeef), LONG(0xdeadbeef)};
            RECT client = {LONG(0xdeadbeef), LONG(0xdeadbeef), LONG(0xdeadbeef), LONG(0xdeadbeef)};
            WhenOpen(app.GetMainWnd(), [&](HWND dialog) {
                menu = GetMenu(dialog);
                GetClientRect(dialog, &client);
                auto place = [dialog](HWND window, RECT* rect) {
                    GetWindowRect(window, rect);
                    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(rect), 2);
                };
                HWND bar = SHFindMenuBar(dialog);
                ok = bar ? GetDlgItem(bar, IDOK) : nullptr;
                cancel = bar ? GetDlgItem(bar, IDCANCEL) : nullptr;
                if (ok && cancel)
                {
                    place(ok, &okAt);
                    place(cancel, &cancelAt);
                }
                place(GetDlgItem(dialog, c.contentId), &content);
                if (ok && cancel && IsWindowVisible(ok) && IsWindowVisible(cancel))
                    SendMessageW(c.button == IDOK ? ok : cancel, BM_CLICK, 0, 0);
                else
                    SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
            });
            bool confirmed = false;
            if (c.command)
                Command(app, c.command);
            else
            {
                CStrList items;
                items.Add(L"Mobile: +44 7700 900123");
                items.Add(L"Work: +44 20 7946 0000");
                int selection = 0;
                confirmed = CPopupDialog::Run(&selection, L"Select phone number:", &items);
            }
            ASSERT_TRUE(ok && cancel) << c.contentId;
            EXPECT_EQ(nullptr, menu) << "no window menu";
            EXPECT_EQ(c.button == IDOK, confirmed) << c.contentId;
            EXPECT_LT(okAt.right, cancelAt.left) << "OK, then Cancel";
            EXPECT_GT(cancelAt.right, client.right - DeviceScale(16));
            EXPECT_GT(cancelAt.bottom, client.bottom - DeviceScale(16));
            EXPECT_LE(content.bottom, okAt.top) << c.contentId << ": content above the buttons";
            EXPECT_GT(content.bottom - content.top, DeviceScale(12)) << c.contentId;
        }
    });
}
