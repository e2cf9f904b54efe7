// Test support of the Today plug-in: the recording host, the plug-in loader, the fixture, the menu spy, the flush.
#include "tests/today/panel.h"

#include "data/settings.h"
#include "tests/support/fixtures.h"

#include <objbase.h>

namespace {

const wchar_t* const HOST_CLASS = L"TestTodayHost";

// The one spy at work: a menu is modal, so there is never more than one.
CMenuSpy* g_spy = nullptr;

bool IsHostMessage(UINT message)
{
    return message >= TODAYM_GETCOLOR && message <= TODAYM_REQUESTREFRESH;
}

} // namespace

CRecordingHost::CRecordingHost()
{
    WNDCLASSW wc = {};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = HOST_CLASS;
    RegisterClassW(&wc);
    m_window = CreateWindowExW(0, HOST_CLASS, L"Today", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0, 300, 400,
                               nullptr, nullptr, wc.hInstance, this);
    ShowWindow(m_window, SW_SHOW);
}

CRecordingHost::~CRecordingHost()
{
    DestroyWindow(m_window);
}

LRESULT CALLBACK CRecordingHost::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE)
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
    auto* host = reinterpret_cast<CRecordingHost*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!host || !IsHostMessage(message))
        return DefWindowProcW(window, message, wParam, lParam);
    host->messages.push_back({message, wParam, lParam});
    if (message == TODAYM_GETCOLOR)
    {
        if (wParam == TODAYCOLOR_TEXT)
            return HOST_TEXT;
        if (wParam == TODAYCOLOR_HIGHLIGHT)
            return HOST_HIGHLIGHT;
        if (wParam == TODAYCOLOR_HIGHLIGHTEDTEXT)
            return HOST_HIGHLIGHTEDTEXT;
        return 0;
    }
    if (message == TODAYM_DRAWWATERMARK && host->drawsWatermark)
    {
        auto* info = reinterpret_cast<TODAYDRAWWATERMARKINFO*>(lParam);
        HBRUSH brush = CreateSolidBrush(HOST_WATERMARK);
        FillRect(info->hdc, &info->rc, brush);
        DeleteObject(brush);
        return TRUE;
    }
    return 0;
}

CPanel::CPanel()
{
    m_library = LoadLibraryW(L"FestivoPanel.dll");
    if (!m_library)
        return;
    initialize = reinterpret_cast<PFNCUSTOMINITIALIZEITEM>(
        reinterpret_cast<void*>(GetProcAddress(m_library, MAKEINTRESOURCEA(ORDINAL_INITIALIZEITEM))));
    options = reinterpret_cast<PFNCUSTOMOPTIONSDLGPROC>(
        reinterpret_cast<void*>(GetProcAddress(m_library, MAKEINTRESOURCEA(ORDINAL_OPTIONSDIALOGPROC))));
    m_setClock = reinterpret_cast<void (*)(const SYSTEMTIME*)>(
        reinterpret_cast<void*>(GetProcAddress(m_library, "SetItemClock")));
}

CPanel::~CPanel()
{
    if (m_library)
        FreeLibrary(m_library);
}

void CPanel::SetClock(int year, int month, int day, int hour, int minute)
{
    SYSTEMTIME st = {};
    st.wYear = static_cast<WORD>(year);
    st.wMonth = static_cast<WORD>(month);
    st.wDay = static_cast<WORD>(day);
    st.wHour = static_cast<WORD>(hour);
    st.wMinute = static_cast<WORD>(minute);
    if (m_setClock)
        m_setClock(&st);
}

void CPanel::SetDate(int year, int month, int day)
{
    SYSTEMTIME st = {};
    st.wYear = static_cast<WORD>(year);
    st.wMonth = static_cast<WORD>(month);
    st.wDay = static_cast<WORD>(day);
    if (m_setClock)
        m_setClock(&st);
}

void CPanelTest::SetUp()
{
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    DeleteUserKey(SETTINGS_KEY);
    FakeStore() = FakeStoreState();
    m_registration = std::make_unique<CFakeStoreRegistration>();
    panel = std::make_unique<CPanel>();
    ASSERT_TRUE(panel->Loaded());
}

void CPanelTest::TearDown()
{
    panel.reset();
    m_registration.reset();
    DeleteUserKey(SETTINGS_KEY);
    CoUninitialize();
}

CMenuSpy::CMenuSpy(HWND window, bool pressEnter) : m_window(window), m_previous(nullptr), m_pressEnter(pressEnter)
{
    g_spy = this;
    m_previous = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Proc)));
}

CMenuSpy::~CMenuSpy()
{
    if (IsWindow(m_window))
        SetWindowLongPtrW(m_window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_previous));
    g_spy = nullptr;
}

LRESULT CALLBACK CMenuSpy::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    CMenuSpy* spy = g_spy;
    if (message == WM_INITMENUPOPUP)
    {
        HMENU menu = reinterpret_cast<HMENU>(wParam);
        for (int i = 0; i < GetMenuItemCount(menu); i++)
        {
            wchar_t text[64] = {};
            GetMenuStringW(menu, static_cast<UINT>(i), text, 64, MF_BYPOSITION);
            spy->items.push_back(text);
        }
    }
    if (message == WM_ENTERIDLE)
    {
        spy->waited = true;
        if (spy->m_pressEnter)
            PostMessageW(window, WM_KEYDOWN, VK_RETURN, 1);
        else
            EndMenu();
        spy->m_pressEnter = false;
    }
    if (message == WM_COMMAND)
        spy->commands.push_back(LOWORD(wParam));
    return CallWindowProcW(spy->m_previous, window, message, wParam, lParam);
}

void FlushMessages(DWORD milliseconds)
{
    ULONGLONG deadline = GetTickCount64() + milliseconds;
    for (;;)
    {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        ULONGLONG now = GetTickCount64();
        if (now >= deadline)
            break;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(deadline - now), QS_ALLINPUT);
    }
}

void AddContact(LONG oid, const wchar_t* name, DATE birthday)
{
    FakeStore().contacts.push_back({oid, name, birthday, NO_DATE, false, nullptr, nullptr, {}});
}
