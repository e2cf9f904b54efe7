// The Today item's reminders as the shell sees them: one notification per moment, each reminder given once.
#include "tests/today/panel.h"

#include "data/settings.h"
#include "platform/shell/notify.h"
#include "platform/shell/recorder.h"
#include "today/resource.h"
#include "today/todayitem.h"
#include "tests/support/fixtures.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

struct Notified
{
    std::wstring call;
    std::wstring text;
};

std::vector<Notified> g_notified;

void RecordShell(const wchar_t* call, HWND, WPARAM, LPARAM lParam)
{
    std::wstring name(call);
    if (name == L"SHNotificationAdd")
    {
        const auto* data = reinterpret_cast<const SHNOTIFICATIONDATA*>(lParam);
        wchar_t text[256];
        NotificationPlainText(data->pszHTML, text, 256);
        g_notified.push_back({name, std::wstring(data->pszTitle) + L"|" + text + L"|" + data->rgskn[0].pszTitle});
    }
    else if (name == L"SHNotificationRemove")
        g_notified.push_back({name, L""});
}

class TodayReminders : public CPanelTest
{
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(CPanelTest::SetUp());
        auto setRecorder = reinterpret_cast<void (*)(ShellRecorder)>(
            reinterpret_cast<void*>(GetProcAddress(panel->Library(), "SetItemShellRecorder")));
        ASSERT_NE(nullptr, setRecorder);
        setRecorder(RecordShell);
        g_notified.clear();
        host = std::make_unique<CRecordingHost>();
    }
    void TearDown() override
    {
        host.reset();
        CPanelTest::TearDown();
    }

    HWND Create()
    {
        record = TODAYLISTITEM{};
        record.fEnabled = TRUE;
        return item = panel->initialize(&record, host->Window());
    }

    std::unique_ptr<CRecordingHost> host;
    TODAYLISTITEM record{};
    HWND item = nullptr;
};

} // namespace

TEST_F(TodayReminders, OneNotificationPerMomentGivenOnce)
{
    AddContact(1, L"Anna Berg", OleDate(1990, 12, 15));
    AddContact(2, L"Bo <Bear> & Co", OleDate(1980, 12, 15));
    panel->SetClock(2026, 12, 8, 8, 0);
    ASSERT_NE(nullptr, Create());
    FlushMessages();
    EXPECT_TRUE(g_notified.empty()) << "before the time of day nothing is due";

    panel->SetClock(2026, 12, 8, 9, 0);
    SendMessageW(item, WM_TIMER, REMIND_TIMER, 0);
    ASSERT_EQ(1u, g_notified.size());
    EXPECT_EQ(L"Festivo|Anna Berg: birthday in 7 days, Tue 15 Dec, turns 36\n"
              L"Bo <Bear> & Co: birthday in 7 days, Tue 15 Dec, turns 46|Open",
              g_notified[0].text);

    // A birthday entered for today reminds at once, added to the notification that is still up.
    FakeStore().contacts.push_back({3, L"Cleo", OleDate(2000, 12, 8), NO_DATE, false, nullptr, nullptr, {}});
    PostMessageW(item, 0x8102, 3, 0);
    FlushMessages();
    ASSERT_EQ(2u, g_notified.size());
    EXPECT_EQ(L"Festivo|Anna Berg: birthday in 7 days, Tue 15 Dec, turns 36\n"
              L"Bo <Bear> & Co: birthday in 7 days, Tue 15 Dec, turns 46\nCleo: birthday today, turns 26|Open",
              g_notified[1].text);

    SendMessageW(item, WM_COMMAND, IDM_REMINDERDISMISS, 0);
    ASSERT_EQ(3u, g_notified.size());
    EXPECT_EQ(L"SHNotificationRemove", g_notified[2].call);

    // An item made again (a second Today screen, a restart) does not repeat what was given.
    DestroyWindow(item);
    panel->SetClock(2026, 12, 8, 15, 0);
    ASSERT_NE(nullptr, Create());
    FlushMessages();
    EXPECT_EQ(3u, g_notified.size());
    DestroyWindow(item);
}
