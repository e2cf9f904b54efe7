// A sync rewriting a whole address book: how often the main program and the Today item reload, and how soon they are current.
#include "app/app.h"
#include "app/mainview.h"
#include "app/resource.h"
#include "data/datalist.h"
#include "platform/store/contactstore.h"
#include "platform/today/today.h"
#include "tests/bench/bench.h"
#include "tests/bench/book.h"
#include "tests/store/register_store.h"

#include <commctrl.h>

#include <cstdio>
#include <string>

namespace {

const UINT kMeasure = WM_APP + 41;
// Quiet time after the last reload before the burst counts as over.
const DWORD kQuietMs = 2000;
const DWORD kGiveUpMs = 120000;

bool IsStoreMessage(UINT message)
{
    return (message >= PIM_ITEM_CREATED_LOCAL && message <= PIM_ITEM_CHANGED_LOCAL) ||
           (message >= PIM_ITEM_CREATED_REMOTE && message <= PIM_ITEM_CHANGED_REMOTE);
}

// The same book with every card changed: each name is new, each UID stays.
std::string Rewritten(int count)
{
    std::string text = Book(count, false);
    for (size_t at = text.find("Given"); at != std::string::npos; at = text.find("Given", at + 7))
        text.replace(at, 5, "Gwen_");
    return text;
}

struct CFigures
{
    int notifications = 0;
    int reloads = 0;
    double firstNotification = -1;
    double lastNotification = -1;
    double current = -1;
    double drained = -1;
    double load = 0;
};

// Every store message taken off the thread's queue, whether it is dispatched or not.
int g_storeMessages = 0;
CStopwatch* g_messageWatch = nullptr;
double g_firstStoreMessage = -1;
double g_lastStoreMessage = -1;

LRESULT CALLBACK CountStoreMessages(int code, WPARAM wParam, LPARAM lParam)
{
    auto* msg = reinterpret_cast<MSG*>(lParam);
    if (code == HC_ACTION && wParam == PM_REMOVE && IsStoreMessage(msg->message))
    {
        double now = g_messageWatch ? g_messageWatch->Milliseconds() : 0;
        if (g_storeMessages++ == 0)
            g_firstStoreMessage = now;
        g_lastStoreMessage = now;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Counts the list's refills (one per reload) through its item count.
WNDPROC g_listPrevious = nullptr;
int g_refills = 0;

LRESULT CALLBACK CountingListProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == LVM_SETITEMCOUNT)
        g_refills++;
    return CallWindowProcW(g_listPrevious, window, message, wParam, lParam);
}

class CBurstApp : public CApp
{
public:
    std::wstring path;
    int count = 0;
    CFigures figures;

    bool OnCreate() override
    {
        bool created = CApp::OnCreate();
        PostMessageW(GetMainWnd(), kMeasure, 0, 0);
        return created;
    }

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message != kMeasure)
            return CApp::WindowProc(message, wParam, lParam);
        Measure();
        PostMessageW(GetMainWnd(), WM_CLOSE, 0, 0);
        return 0;
    }

private:
    bool Current()
    {
        CDataList* data = GetDataList();
        return data->GetCount() == static_cast<uint32_t>(count) &&
               wcsncmp(data->GetItem(0)->GetName(), L"Gwen_", 5) == 0;
    }

    void Measure()
    {
        HWND list = GetMainView()->GetList().GetWindow();
        g_listPrevious = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CountingListProc)));
        g_refills = 0;
        g_storeMessages = 0;
        g_firstStoreMessage = -1;
        g_messageWatch = &m_watch;
        HHOOK hook = SetWindowsHookExW(WH_GETMESSAGE, CountStoreMessages, nullptr, GetCurrentThreadId());
        WriteAll(path, Rewritten(count));
        m_watch = CStopwatch();
        m_lastBusy = 0;
        for (;;)
        {
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            {
                int before = g_refills;
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
                if (g_refills != before)
                    m_lastBusy = m_watch.Milliseconds();
            }
            double now = m_watch.Milliseconds();
            if (figures.current < 0 && Current())
                figures.current = now;
            if ((figures.current >= 0 && now - m_lastBusy > kQuietMs) || now > kGiveUpMs)
                break;
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        }
        UnhookWindowsHookEx(hook);
        g_messageWatch = nullptr;
        figures.notifications = g_storeMessages;
        figures.firstNotification = g_firstStoreMessage;
        figures.lastNotification = g_lastStoreMessage;
        figures.reloads = g_refills;
        figures.drained = m_lastBusy;
        SetWindowLongPtrW(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_listPrevious));
        CStopwatch load;
        GetDataList()->Load();
        figures.load = load.Milliseconds();
    }

    CStopwatch m_watch;
    double m_lastBusy = 0;
};

// The Today item's host: counts the item's refresh requests, one per reload.
int g_requests = 0;
CStopwatch* g_itemWatch = nullptr;
double g_itemLastRequest = 0;

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == TODAYM_REQUESTREFRESH)
    {
        g_requests++;
        g_itemLastRequest = g_itemWatch ? g_itemWatch->Milliseconds() : 0;
        return 0;
    }
    if (message >= TODAYM_GETCOLOR && message <= TODAYM_TOOKSELECTION)
        return 0;
    return DefWindowProcW(window, message, wParam, lParam);
}

void MeasureTodayItem(const std::wstring& path, int count, CFigures& figures)
{
    HMODULE panel = LoadLibraryW(L"FestivoPanel.dll");
    auto initialize = panel ? reinterpret_cast<PFNCUSTOMINITIALIZEITEM>(reinterpret_cast<void*>(
                                  GetProcAddress(panel, MAKEINTRESOURCEA(ORDINAL_INITIALIZEITEM))))
                            : nullptr;
    if (!initialize)
    {
        printf("FestivoPanel.dll could not be loaded\n");
        return;
    }
    WNDCLASSW wc = {};
    wc.lpfnWndProc = HostProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"BurstBenchHost";
    RegisterClassW(&wc);
    HWND host = CreateWindowExW(0, wc.lpszClassName, L"Today", WS_OVERLAPPEDWINDOW, 0, 0, 240, 320, nullptr, nullptr,
                                wc.hInstance, nullptr);
    TODAYLISTITEM record = {};
    record.fEnabled = TRUE;
    HWND item = initialize(&record, host);
    WriteAll(path, Rewritten(count));
    CStopwatch watch;
    g_itemWatch = &watch;
    g_requests = 0;
    g_itemLastRequest = 0;
    g_storeMessages = 0;
    g_firstStoreMessage = -1;
    g_messageWatch = &watch;
    HHOOK hook = SetWindowsHookExW(WH_GETMESSAGE, CountStoreMessages, nullptr, GetCurrentThreadId());
    for (;;)
    {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        double now = watch.Milliseconds();
        if (figures.current < 0 && g_requests > 0)
            figures.current = g_itemLastRequest;
        if ((figures.current >= 0 && now - g_itemLastRequest > kQuietMs) || now > kGiveUpMs)
            break;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    UnhookWindowsHookEx(hook);
    g_messageWatch = nullptr;
    figures.notifications = g_storeMessages;
    figures.firstNotification = g_firstStoreMessage;
    figures.lastNotification = g_lastStoreMessage;
    figures.reloads = g_requests;
    figures.drained = g_itemLastRequest;
    g_itemWatch = nullptr;
    DestroyWindow(item);
    DestroyWindow(host);
    FreeLibrary(panel);
}

// The peer in the same run: what posting and taking 10,000 messages off a queue costs here.
void MeasureQueue(int count)
{
    HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    CStopwatch post;
    for (int i = 0; i < count; i++)
        PostMessageW(window, PIM_ITEM_CHANGED_REMOTE, static_cast<WPARAM>(i), 0);
    double posted = post.Milliseconds();
    CStopwatch take;
    MSG msg;
    int taken = 0;
    while (PeekMessageW(&msg, window, PIM_ITEM_CREATED_LOCAL, PIM_ITEM_CHANGED_REMOTE, PM_REMOVE))
        taken++;
    printf("queue peer: posting %d messages %.0f ms, taking %d off the queue %.0f ms\n", count, posted, taken,
           take.Milliseconds());
    DestroyWindow(window);
}

void Print(const char* who, int count, const CFigures& f)
{
    printf("%-10s %7d %14d %8d %14.0f %13.0f %13.0f %13.0f %10.0f\n", who, count, f.notifications, f.reloads,
           f.firstNotification, f.lastNotification, f.current, f.drained, f.load);
    fflush(stdout);
}

} // namespace

void StoreBurstBenchmark()
{
    if (!RegisterStoreForBenchmark())
        return;
    printf("Another program rewrites every card of the address book; times in ms from the rewrite.\n");
    printf("%-10s %7s %14s %8s %14s %13s %13s %13s %10s\n", "program", "cards", "notifications", "reloads",
           "first message", "last message", "list current", "last reload", "one load");
    std::wstring temp = TempFolder();
    const char* sizes = getenv("FESTIVO_BURST_CARDS");
    int count = sizes ? atoi(sizes) : 10000;
    std::wstring path = std::wstring(temp) + L"festivo-burst-" + std::to_wstring(count) + L".vcf";
    WriteAll(path, Book(count, false));
    SetAddressBook(path);
    {
        CBurstApp app;
        app.path = path;
        app.count = count;
        app.Run(IDS_APP_TITLE, IDI_FESTIVO, IDA_MAIN, GetModuleHandleW(nullptr), SW_SHOWNORMAL);
        Print("festivo", count, app.figures);
    }
    MeasureQueue(count);
    WriteAll(path, Book(count, false));
    CFigures item;
    MeasureTodayItem(path, count, item);
    Print("Today item", count, item);
    ClearAddressBook();
    DeleteFileW(path.c_str());
}
