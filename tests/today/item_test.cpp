// The Today item as a host drives it: creation, height, refresh policy, store changes, selection, menu.
#include "tests/today/panel.h"

#include "data/bookstate.h"
#include "data/settings.h"
#include "platform/phone/phone.h"
#include "today/todayitem.h"
#include "today/resource.h"
#include "tests/support/fixtures.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

const UINT STORE_CHANGED = 0x8102;

void StopAnsweringDialogs();

class TodayItem : public CPanelTest
{
protected:
    void SetUp() override
    {
        SetDeviceDpi(96);
        ASSERT_NO_FATAL_FAILURE(CPanelTest::SetUp());
        panel->SetDate(2026, 12, 2);
        host = std::make_unique<CRecordingHost>();
    }
    void TearDown() override
    {
        StopAnsweringDialogs();
        host.reset();
        CPanelTest::TearDown();
    }

    // Has the plug-in hand its call and composer requests to these instead of starting programs.
    void Record(PhoneRecorder addresses, CalledPartyRecorder parties)
    {
        auto set = reinterpret_cast<void (*)(PhoneRecorder, CalledPartyRecorder)>(
            reinterpret_cast<void*>(GetProcAddress(panel->Library(), "SetItemPhoneRecorder")));
        ASSERT_NE(nullptr, set);
        set(addresses, parties);
    }

    static void SetDeviceDpi(DWORD dpi)
    {
        HKEY key = nullptr;
        RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Festivo\\Device", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr);
        RegSetValueExW(key, L"Dpi", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi), sizeof(dpi));
        RegCloseKey(key);
    }

    static void SetMaxLines(int lines)
    {
        CSettings settings;
        settings.Read();
        settings.TodayMaxLines = lines;
        settings.Write();
    }

    HWND Create()
    {
        // A birthday months away, after the test's contacts: the address book has dates, so an item
        // without lines is its header alone (an address book without any adds the lines that say why).
        if (m_farBirthday)
        {
            bool present = false;
            for (const auto& contact : FakeStore().contacts)
                present = present || contact.oid == 900;
            if (!present)
                AddContact(900, L"Far", OleDate(1970, 7, 1));
        }
        record = TODAYLISTITEM{};
        record.fEnabled = TRUE;
        item = panel->initialize(&record, host->Window());
        if (item)
            SetWindowPos(item, nullptr, 0, 0, 240, 200, SWP_NOZORDER);
        return item;
    }

    LRESULT Query()
    {
        return SendMessageW(item, WM_TODAYCUSTOM_QUERYREFRESHCACHE, reinterpret_cast<WPARAM>(&record), 0);
    }

    // The refresh requests the host got, without the colour and background queries of painting.
    std::vector<HostMessage> Refreshes() const
    {
        std::vector<HostMessage> refreshes;
        for (const HostMessage& m : host->messages)
            if (m.message == TODAYM_REQUESTREFRESH)
                refreshes.push_back(m);
        return refreshes;
    }

    int LineHeight()
    {
        // With no events the item is exactly one line high.
        return static_cast<int>(record.cyp);
    }

    std::unique_ptr<CRecordingHost> host;
    TODAYLISTITEM record = {};
    HWND item = nullptr;

    bool m_farBirthday = true;
};

} // namespace

TEST_F(TodayItem, DisabledRecordGivesNoWindow)
{
    record = TODAYLISTITEM{};
    record.fEnabled = FALSE;
    record.cyp = 0xdeadbeef;
    EXPECT_EQ(nullptr, panel->initialize(&record, host->Window()));
    EXPECT_EQ(0xdeadbeefu, record.cyp);
}

TEST_F(TodayItem, WindowIsAVisibleChildOfTheHost)
{
    ASSERT_NE(nullptr, Create());
    wchar_t name[64] = {};
    GetClassNameW(item, name, 64);
    EXPECT_STREQ(L"FestivoTodayPPC", name);
    EXPECT_EQ(host->Window(), GetParent(item));
    EXPECT_TRUE(IsWindowVisible(item));
    EXPECT_EQ(item, FakeStore().loggedOnWindow);
}

TEST_F(TodayItem, HeightIsOneLinePerShownEventAndTheHeader)
{
    ASSERT_NE(nullptr, Create());
    record.cyp = 0xdeadbeef;
    EXPECT_EQ(TRUE, Query());
    int line = LineHeight();
    // An 8 point font at 96 dpi: trunc(1.4 * (text height + leading + 1)).
    EXPECT_GT(line, 14);
    EXPECT_LT(line, 30);
    DestroyWindow(item);

    SetMaxLines(5);
    for (int i = 0; i < 12; i++)
        AddContact(100 + i, L"Contact", OleDate(1990, 12, 3 + i));
    ASSERT_NE(nullptr, Create());
    EXPECT_EQ(TRUE, Query());
    EXPECT_EQ(static_cast<DWORD>(6 * line), record.cyp);
}

TEST_F(TodayItem, QueriesReportTheHeightOncePerDay)
{
    AddContact(1, L"Anna", OleDate(1990, 12, 6));
    ASSERT_NE(nullptr, Create());
    EXPECT_EQ(TRUE, Query());
    DWORD height = record.cyp;
    EXPECT_EQ(FALSE, Query());
    EXPECT_EQ(height, record.cyp);

    // The next day reads the store again: a contact added meanwhile now shows.
    AddContact(2, L"Bert", OleDate(1980, 12, 20));
    panel->SetDate(2026, 12, 3);
    EXPECT_EQ(TRUE, Query());
    EXPECT_GT(record.cyp, height);
    EXPECT_EQ(FALSE, Query());
}

TEST_F(TodayItem, SameDayOfAnotherMonthIsADateChange)
{
    ASSERT_NE(nullptr, Create());
    EXPECT_EQ(TRUE, Query());
    DWORD height = record.cyp;
    AddContact(1, L"Anna", OleDate(1990, 1, 10));
    panel->SetDate(2027, 1, 2);
    EXPECT_EQ(TRUE, Query());
    EXPECT_EQ(2 * height, record.cyp);
}

TEST_F(TodayItem, CacheClearReportsAgainWithoutReadingTheStore)
{
    ASSERT_NE(nullptr, Create());
    EXPECT_EQ(TRUE, Query());
    DWORD height = record.cyp;
    EXPECT_EQ(FALSE, Query());
    AddContact(1, L"Anna", OleDate(1990, 12, 6));
    EXPECT_EQ(0, SendMessageW(item, WM_TODAYCUSTOM_CLEARCACHE, 0, 0));
    EXPECT_EQ(TRUE, Query());
    EXPECT_EQ(height, record.cyp);
}

TEST_F(TodayItem, StoreChangeReloadsAndAsksForRefresh)
{
    ASSERT_NE(nullptr, Create());
    EXPECT_EQ(TRUE, Query());
    DWORD height = record.cyp;
    EXPECT_EQ(FALSE, Query());
    AddContact(1, L"Anna", OleDate(1990, 12, 6));
    host->messages.clear();
    EXPECT_EQ(0, SendMessageW(item, STORE_CHANGED, 0, 0));
    FlushMessages();
    ASSERT_EQ(1u, Refreshes().size());
    EXPECT_EQ(reinterpret_cast<WPARAM>(item), Refreshes()[0].wParam);
    EXPECT_EQ(0, Refreshes()[0].lParam);
    EXPECT_EQ(TRUE, Query());
    EXPECT_EQ(2 * height, record.cyp);
}

TEST_F(TodayItem, BurstOfStoreChangesReloadsOnce)
{
    ASSERT_NE(nullptr, Create());
    Query();
    AddContact(1, L"Anna", OleDate(1990, 12, 6));
    host->messages.clear();
    int before = FakeStore().enumerations;
    // A sync rewriting many cards: one message per card, all queued at once.
    for (LONG oid = 1; oid <= 200; oid++)
        PostMessageW(item, STORE_CHANGED, static_cast<WPARAM>(oid), 0);
    FlushMessages(1000);
    EXPECT_EQ(before + 1, FakeStore().enumerations);
    EXPECT_EQ(1u, Refreshes().size());
}

TEST_F(TodayItem, ItemMadeAgainReportsItsHeightAtTheFirstQuery)
{
    ASSERT_NE(nullptr, Create());
    EXPECT_EQ(TRUE, Query());
    DWORD height = record.cyp;
    DestroyWindow(item);
    // A host that keeps the old height in its record while it creates the item again.
    item = panel->initialize(&record, host->Window());
    ASSERT_NE(nullptr, item);
    record.cyp = 0xdeadbeef;
    EXPECT_EQ(TRUE, Query());
    EXPECT_EQ(height, record.cyp);
}

TEST_F(TodayItem, NavigationStaysWithinTheHeaderAndShownLines)
{
    AddContact(1, L"Anna", OleDate(1990, 12, 6));
    AddContact(2, L"Bert", OleDate(1980, 12, 20));
    ASSERT_NE(nullptr, Create());
    Query();
    struct Step
    {
        UINT message;
        WPARAM key;
        LRESULT result;
    };
    const Step steps[] = {
        {WM_TODAYCUSTOM_RECEIVEDSELECTION, VK_DOWN, TRUE},   // header
        {WM_TODAYCUSTOM_USERNAVIGATION, VK_UP, FALSE},       // above the header: leaves
        {WM_TODAYCUSTOM_LOSTSELECTION, 0, 0},
        {WM_TODAYCUSTOM_RECEIVEDSELECTION, VK_RETURN, FALSE}, // not a navigation key
        {WM_TODAYCUSTOM_USERNAVIGATION, VK_DOWN, TRUE},      // Anna
        {WM_TODAYCUSTOM_USERNAVIGATION, VK_DOWN, TRUE},      // Bert
        {WM_TODAYCUSTOM_USERNAVIGATION, VK_DOWN, FALSE},     // below the last line: leaves
        {WM_TODAYCUSTOM_LOSTSELECTION, 0, 0},
        {WM_TODAYCUSTOM_RECEIVEDSELECTION, VK_UP, TRUE},
        {WM_TODAYCUSTOM_USERNAVIGATION, VK_DOWN, TRUE},
        {WM_TODAYCUSTOM_USERNAVIGATION, VK_UP, TRUE},        // back on the header
        {WM_TODAYCUSTOM_USERNAVIGATION, VK_LEFT, TRUE},      // other keys change nothing
    };
    for (size_t i = 0; i < sizeof(steps) / sizeof(steps[0]); i++)
        EXPECT_EQ(steps[i].result, SendMessageW(item, steps[i].message, steps[i].key, 0)) << "step " << i;
}

TEST_F(TodayItem, NoEventsLeaveOnlyTheHeaderToSelect)
{
    ASSERT_NE(nullptr, Create());
    Query();
    EXPECT_EQ(TRUE, SendMessageW(item, WM_TODAYCUSTOM_RECEIVEDSELECTION, VK_DOWN, 0));
    EXPECT_EQ(FALSE, SendMessageW(item, WM_TODAYCUSTOM_USERNAVIGATION, VK_DOWN, 0));
}

TEST_F(TodayItem, TapOnAnUnselectedItemTakesTheSelection)
{
    AddContact(1, L"Anna", OleDate(1990, 12, 6));
    ASSERT_NE(nullptr, Create());
    Query();
    int line = static_cast<int>(record.cyp) / 2;
    FlushMessages();
    host->messages.clear();
    // The release is already queued: a tap, not a tap-and-hold.
    PostMessageW(item, WM_LBUTTONUP, 0, MAKELPARAM(10, line + 2));
    SendMessageW(item, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, line + 2));
    FlushMessages();
    std::vector<HostMessage> took;
    for (const HostMessage& m : host->messages)
        if (m.message == TODAYM_TOOKSELECTION)
            took.push_back(m);
    ASSERT_EQ(1u, took.size());
    EXPECT_EQ(reinterpret_cast<WPARAM>(item), took[0].wParam);
    EXPECT_EQ(0, took[0].lParam);
    // The tapped line is the selection: one step down leaves the item.
    EXPECT_EQ(FALSE, SendMessageW(item, WM_TODAYCUSTOM_USERNAVIGATION, VK_DOWN, 0));
}

TEST_F(TodayItem, ActionKeyOnTheHeaderOffersToOpenTheProgram)
{
    ASSERT_NE(nullptr, Create());
    Query();
    CMenuSpy spy(item);
    SendMessageW(item, WM_TODAYCUSTOM_RECEIVEDSELECTION, VK_DOWN, 0);
    SendMessageW(item, WM_TODAYCUSTOM_ACTION, VK_RETURN, 0);
    FlushMessages();
    const std::vector<std::wstring> expected = {L"Open Festivo", L"", L"Cancel"};
    EXPECT_EQ(expected, spy.items);
    EXPECT_TRUE(spy.commands.empty());
}

TEST_F(TodayItem, ActionKeyOnAnEventOffersTheContactActions)
{
    AddContact(1, L"Anna", OleDate(1990, 12, 6));
    ASSERT_NE(nullptr, Create());
    Query();
    CMenuSpy spy(item);
    SendMessageW(item, WM_TODAYCUSTOM_RECEIVEDSELECTION, VK_DOWN, 0);
    SendMessageW(item, WM_TODAYCUSTOM_USERNAVIGATION, VK_DOWN, 0);
    SendMessageW(item, WM_TODAYCUSTOM_ACTION, VK_RETURN, 0);
    FlushMessages();
    const std::vector<std::wstring> expected = {L"Open contact", L"Send message", L"Dial", L"", L"Cancel"};
    EXPECT_EQ(expected, spy.items);
}

TEST_F(TodayItem, EnterWithoutSelectionDoesNothing)
{
    ASSERT_NE(nullptr, Create());
    Query();
    CMenuSpy spy(item);
    SendMessageW(item, WM_TODAYCUSTOM_ACTION, VK_RETURN, 0);
    FlushMessages();
    EXPECT_TRUE(spy.items.empty());
}

TEST_F(TodayItem, OpenContactShowsTheSelectedContactsCard)
{
    AddContact(1, L"Anna", OleDate(1990, 12, 6));
    ASSERT_NE(nullptr, Create());
    Query();
    SendMessageW(item, WM_COMMAND, IDM_OPENCONTACT, 0);
    EXPECT_EQ(0, FakeStore().displays) << "the header line opens no contact";
    SendMessageW(item, WM_TODAYCUSTOM_RECEIVEDSELECTION, VK_DOWN, 0);
    SendMessageW(item, WM_TODAYCUSTOM_USERNAVIGATION, VK_DOWN, 0);
    SendMessageW(item, WM_COMMAND, IDM_OPENCONTACT, 0);
    EXPECT_EQ(1, FakeStore().displays);
    EXPECT_EQ(0, FakeStore().edits) << "the plug-in shows the card; it does not edit";
}

TEST_F(TodayItem, EnterTwiceOrADoubleClickOpenTheLinesContact)
{
    AddContact(1, L"Anna", OleDate(1990, 12, 6));
    AddContact(2, L"Bert", OleDate(1991, 12, 7));
    ASSERT_NE(nullptr, Create());
    Query();
    int lineHeight = static_cast<int>(record.cyp) / 3;
    SendMessageW(item, WM_TODAYCUSTOM_RECEIVEDSELECTION, VK_DOWN, 0);
    SendMessageW(item, WM_TODAYCUSTOM_USERNAVIGATION, VK_DOWN, 0);
    CMenuSpy spy(item, true);
    SendMessageW(item, WM_TODAYCUSTOM_ACTION, VK_RETURN, 0);
    FlushMessages();
    EXPECT_EQ(std::vector<UINT>{IDM_OPENCONTACT}, spy.commands) << "the menu opens on its main action";
    EXPECT_EQ(1, FakeStore().displays);

    SendMessageW(item, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(10, 2 * lineHeight + 2));
    FlushMessages();
    EXPECT_EQ(2, FakeStore().displays) << "a double click opens the line's contact";
    EXPECT_EQ(FALSE, SendMessageW(item, WM_TODAYCUSTOM_USERNAVIGATION, VK_DOWN, 0)) << "the second line is selected";
}

namespace {

std::wstring Text(HWND window)
{
    wchar_t text[200] = L"";
    GetWindowTextW(window, text, 200);
    return text;
}

// Answers the dialogs and message boxes of the thread from inside their modal loops: the next one with the
// action WhenDialog armed, any other by failing the test and cancelling it, so that a box nobody expected ends
// the test instead of waiting for ever.
std::function<void(HWND)> g_onDialog;
UINT_PTR g_dialogTimer = 0;

BOOL CALLBACK FindThreadDialog(HWND window, LPARAM found)
{
    wchar_t name[16] = L"";
    GetClassNameW(window, name, 16);
    if (wcscmp(name, L"#32770") != 0 || !IsWindowVisible(window))
        return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

void CALLBACK OnDialogTimer(HWND, UINT, UINT_PTR, DWORD)
{
    HWND dialog = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindThreadDialog, reinterpret_cast<LPARAM>(&dialog));
    if (!dialog)
        return;
    auto action = g_onDialog;
    g_onDialog = nullptr;
    if (action)
    {
        action(dialog);
        return;
    }
    ADD_FAILURE() << "a box nobody answers: " << Text(dialog) << L": " << Text(GetDlgItem(dialog, 0xFFFF));
    SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
}

void WhenDialog(const std::function<void(HWND)>& action)
{
    g_onDialog = action;
    if (!g_dialogTimer)
        g_dialogTimer = SetTimer(nullptr, 0, 20, OnDialogTimer);
}

void StopAnsweringDialogs()
{
    if (g_dialogTimer)
        KillTimer(nullptr, g_dialogTimer);
    g_dialogTimer = 0;
    g_onDialog = nullptr;
}

// What the plug-in asked the desktop to open, all of it taken by a program, and for whom.
std::vector<std::wstring> g_addresses;
std::vector<std::wstring> g_parties;

bool TakeAddress(const wchar_t* address)
{
    g_addresses.push_back(address);
    return true;
}

void TakeParty(const wchar_t* party)
{
    g_parties.push_back(party);
}

} // namespace

TEST_F(TodayItem, DialAndSendMessageOfferPicksAndSayWhatIsMissing)
{
    AddContact(1, L"Anna", OleDate(1990, 12, 6));
    FakeStore().contacts[0].properties[PIMPR_MOBILE_TELEPHONE_NUMBER] = L"555-0100";
    FakeStore().contacts[0].properties[PIMPR_HOME_TELEPHONE_NUMBER] = L"555-0199";
    FakeStore().contacts[0].properties[PIMPR_EMAIL1_ADDRESS] = L"anna@example.com";
    AddContact(2, L"Bert", OleDate(1980, 12, 20));
    g_addresses.clear();
    g_parties.clear();
    ASSERT_NO_FATAL_FAILURE(Record(TakeAddress, TakeParty));
    ASSERT_NE(nullptr, Create());
    Query();
    SendMessageW(item, WM_TODAYCUSTOM_RECEIVEDSELECTION, VK_DOWN, 0);
    SendMessageW(item, WM_TODAYCUSTOM_USERNAVIGATION, VK_DOWN, 0);

    std::wstring title;
    WhenDialog([&title](HWND dialog) {
        title = Text(dialog);
        SendMessageW(GetDlgItem(dialog, IDC_PICKLIST), WM_KEYDOWN, VK_DOWN, 0);
        SendMessageW(dialog, WM_COMMAND, IDOK, 0);
    });
    SendMessageW(item, WM_COMMAND, IDM_DIAL, 0);
    EXPECT_EQ(L"Select phone number:", title);
    SendMessageW(item, WM_COMMAND, IDM_SENDMESSAGE, 0);
    EXPECT_EQ((std::vector<std::wstring>{L"tel:5550199",
                                         L"mailto:anna@example.com?subject=Happy%20Birthday%21&body=Happy%20Birthday%20"
                                         L"dear%20%20%21"}),
              g_addresses);
    EXPECT_EQ((std::vector<std::wstring>{L"Anna"}), g_parties);

    SendMessageW(item, WM_TODAYCUSTOM_USERNAVIGATION, VK_DOWN, 0);
    std::vector<std::wstring> boxes;
    for (UINT command : {IDM_DIAL, IDM_SENDMESSAGE})
    {
        WhenDialog([&boxes](HWND box) {
            boxes.push_back(Text(box) + L": " + Text(GetDlgItem(box, 0xFFFF)));
            SendMessageW(box, WM_COMMAND, IDOK, 0);
        });
        SendMessageW(item, WM_COMMAND, command, 0);
    }
    EXPECT_EQ((std::vector<std::wstring>{L"Festivo: Phone number is missing!", L"Festivo: Address is missing!"}),
              boxes);
}

TEST_F(TodayItem, GreetingPickedWhileTheHostMadeTheItemAgainIsStillSent)
{
    AddContact(1, L"Anna", OleDate(1990, 12, 6));
    FakeStore().contacts[0].properties[PIMPR_EMAIL1_ADDRESS] = L"anna@example.com";
    FakeStore().contacts[0].properties[PIMPR_EMAIL2_ADDRESS] = L"anna@work.example";
    g_addresses.clear();
    ASSERT_NO_FATAL_FAILURE(Record(TakeAddress, nullptr));
    ASSERT_NE(nullptr, Create());
    Query();
    SendMessageW(item, WM_TODAYCUSTOM_RECEIVEDSELECTION, VK_DOWN, 0);
    SendMessageW(item, WM_TODAYCUSTOM_USERNAVIGATION, VK_DOWN, 0);

    HWND first = item;
    WhenDialog([this](HWND dialog) {
        // A settings change: the host makes its items again while the pick list is open.
        DestroyWindow(item);
        item = panel->initialize(&record, host->Window());
        SendMessageW(dialog, WM_COMMAND, IDOK, 0);
    });
    SendMessageW(first, WM_COMMAND, IDM_SENDMESSAGE, 0);
    EXPECT_EQ((std::vector<std::wstring>{L"mailto:anna@example.com?subject=Happy%20Birthday%21&body=Happy%20Birthday%20"
                                         L"dear%20%20%21"}),
              g_addresses);
}

TEST_F(TodayItem, OpenFestivoFromAWrongFolderSaysSoInItsOwnBox)
{
    const wchar_t folder[] = L"C:\\no-such-folder\\";
    HKEY key = nullptr;
    RegCreateKeyExW(HKEY_CURRENT_USER, SETTINGS_KEY, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    RegSetValueExW(key, L"APPPATH", 0, REG_SZ, reinterpret_cast<const BYTE*>(folder), sizeof(folder));
    RegCloseKey(key);
    ASSERT_NE(nullptr, Create());
    Query();
    SendMessageW(item, WM_TODAYCUSTOM_RECEIVEDSELECTION, VK_DOWN, 0);
    std::wstring caption = L"no box";
    WhenDialog([&caption](HWND box) {
        caption = Text(box);
        SendMessageW(box, WM_COMMAND, IDOK, 0);
    });
    SendMessageW(item, WM_COMMAND, IDM_OPENFESTIVO, 0);
    FlushMessages(100);
    EXPECT_EQ(L"Festivo", caption) << "the plug-in's own box, not the system's";
}

TEST_F(TodayItem, ItemWithoutDatesSaysWhyAndFollowsAnotherAddressBook)
{
    ASSERT_NE(nullptr, Create());
    EXPECT_EQ(TRUE, Query());
    DWORD line = record.cyp;
    DestroyWindow(item);

    FakeStore().contacts.clear();
    m_farBirthday = false;
    struct
    {
        const wchar_t* chosen;
        bool addsContact;
        DWORD lines;
    } cases[] = {
        {L"", false, 1 + EMPTY_TEXT_LINES},          // none chosen: says how to choose one
        {L"C:\\contacts.vcf", false, 1 + EMPTY_TEXT_LINES}, // chosen, without dates: says so
        {L"C:\\other.vcf", true, 2},                // another book: read again at once, one line
    };
    WriteChosenBook(cases[0].chosen);
    ASSERT_NE(nullptr, Create());
    for (const auto& c : cases)
    {
        WriteChosenBook(c.chosen);
        if (c.addsContact)
            AddContact(1, L"Anna", OleDate(1990, 12, 6));
        EXPECT_EQ(TRUE, Query()) << c.chosen;
        EXPECT_EQ(c.lines * line, record.cyp) << c.chosen;
    }
}
