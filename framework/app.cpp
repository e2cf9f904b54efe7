// CVelaApp: start-up, single-instance test, platform detection, main window and message loop.
#include "framework/app.h"

#include "framework/infowin.h"
#include "framework/view.h"
#include "platform/shell/device.h"

#include <new>

namespace {

CVelaApp* g_app = nullptr;

const int kViewListStep = 8;
const int kPlatformTextSize = 260;

} // namespace

CVelaApp* GetApp()
{
    return g_app;
}

CVelaApp::CVelaApp()
    : m_instance(nullptr), m_mainWnd(nullptr), m_menuBar(nullptr), m_views(nullptr), m_activeView(nullptr),
      m_activateInfo(), m_platform(PLATFORM_UNKNOWN), m_majorVersion(0), m_minorVersion(0), m_build(0),
      m_infoWindow(nullptr), m_statusWindow(nullptr)
{
    m_activateInfo.cbSize = sizeof(m_activateInfo);
    m_views = new (std::nothrow) CArray<CVelaView*>(kViewListStep);
    Assert(m_views != nullptr, ERR_NOT_ENOUGH_MEMORY, L"CVelaApp::CVelaApp", __LINE__);
    g_app = this;
}

CVelaApp::~CVelaApp()
{
    if (m_views)
    {
        for (uint32_t i = 0; i < m_views->GetCount(); i++)
        {
            CVelaView* view = m_views->At(i);
            view->OnDestroy();
            delete view;
        }
        delete m_views;
    }
    delete m_infoWindow;
    delete m_statusWindow;
    if (g_app == this)
        g_app = nullptr;
}

bool CVelaApp::OnCreate()
{
    return true;
}

void CVelaApp::OnDestroy()
{
}

void CVelaApp::OnCommand(UINT, UINT, HWND)
{
}

void CVelaApp::OnInitMenuPopup(HMENU, UINT)
{
}

LRESULT CVelaApp::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcW(m_mainWnd, message, wParam, lParam);
}

void CVelaApp::BaseNameFromPath(const wchar_t* path, CStr& name)
{
    CStr full(path);
    int slash = full.ReverseFind(L'\\');
    int dot = full.ReverseFind(L'.');
    Assert(slash >= 0 && dot > slash + 1, ERR_NOT_FOUND, L"CVelaApp::BaseNameFromPath", __LINE__);
    name = full.Middle(slash + 1, dot - slash - 1);
}

void CVelaApp::MakeAppBaseName(CStr& name) const
{
    wchar_t path[MAX_PATH + 1];
    DWORD length = GetModuleFileNameW(m_instance, path, MAX_PATH + 1);
    Assert(length > 0 && length <= MAX_PATH, ERR_ERROR, L"CVelaApp::MakeAppBaseName", __LINE__);
    BaseNameFromPath(path, name);
}

void CVelaApp::AddView(CVelaView* view)
{
    Assert(m_views != nullptr && view != nullptr, ERR_INVALID_VALUE, L"CVelaApp::AddView", __LINE__);
    m_views->Append(view);
}

CVelaView* CVelaApp::FindView(UINT id) const
{
    if (!m_views)
        return nullptr;
    for (uint32_t i = 0; i < m_views->GetCount(); i++)
    {
        if (m_views->At(i)->GetId() == id)
            return m_views->At(i);
    }
    return nullptr;
}

void CVelaApp::ActivateView(UINT id)
{
    if (m_activeView && m_activeView->GetId() == id)
        return;
    CVelaView* view = FindView(id);
    Assert(view != nullptr, ERR_NOT_FOUND, L"CVelaApp::ActivateView", __LINE__);
    CVelaView* previous = m_activeView;
    m_activeView = view;
    RECT client;
    GetClientRect(m_mainWnd, &client);
    MoveWindow(view->GetWnd(), 0, 0, client.right, client.bottom, FALSE);
    SetMenuBar(m_mainWnd, view->GetMenuBarId());
    ShowWindow(view->GetWnd(), SW_SHOW);
    SetFocus(view->GetWnd());
    UpdateWindow(view->GetWnd());
    view->OnActivate(previous ? previous->GetId() : 0);
    if (previous)
    {
        ShowWindow(previous->GetWnd(), SW_HIDE);
        previous->OnDeactivate();
    }
}

bool CVelaApp::SetMenuBar(HWND hwnd, UINT menuBarId)
{
    if (m_menuBar)
    {
        DestroyWindow(m_menuBar);
        m_menuBar = nullptr;
    }
    SHMENUBARINFO info = {};
    info.cbSize = sizeof(info);
    info.hwndParent = hwnd;
    info.nToolBarId = menuBarId;
    info.hInstRes = m_instance;
    if (!SHCreateMenuBar(&info))
        return false;
    m_menuBar = info.hwndMB;
    return true;
}

void CVelaApp::ShowInfo(const wchar_t* text, UINT hideDelay, UINT flags)
{
    if (m_infoWindow)
        m_infoWindow->Show(text, hideDelay, flags, 0);
}

void CVelaApp::HideInfo()
{
    if (m_infoWindow)
        m_infoWindow->Hide();
}

void CVelaApp::ShowStatus(const wchar_t* text, UINT flags, UINT blinkPeriod)
{
    if (m_statusWindow)
        m_statusWindow->Show(text, 0, flags, blinkPeriod);
}

void CVelaApp::HideStatus()
{
    if (m_statusWindow)
        m_statusWindow->Hide();
}

void CVelaApp::DetectPlatform()
{
    m_platform = PLATFORM_UNKNOWN;
    m_majorVersion = m_minorVersion = m_build = 0;
    OSVERSIONINFOW version = {};
    version.dwOSVersionInfoSize = sizeof(version);
    wchar_t text[kPlatformTextSize] = {};
    if (!DeviceGetVersionEx(&version) || version.dwPlatformId != VER_PLATFORM_WIN32_CE ||
        !DeviceSystemParametersInfo(SPI_GETPLATFORMTYPE, kPlatformTextSize, text, 0))
        return;
    CStr platform(text);
    platform.MakeLower();
    if (platform.Find(L"smartphone", 0) >= 0)
        m_platform = PLATFORM_SMARTPHONE;
    else if (platform.Find(L"pocketpc", 0) >= 0)
        m_platform = PLATFORM_POCKETPC;
    m_majorVersion = version.dwMajorVersion;
    m_minorVersion = version.dwMinorVersion;
    m_build = version.dwBuildNumber;
}

// The main window gives the menu bar's height away, so that the views end where the bar begins.
void CVelaApp::FitToMenuBar()
{
    if (!m_menuBar)
        return;
    RECT bar;
    RECT main;
    GetWindowRect(m_menuBar, &bar);
    GetWindowRect(m_mainWnd, &main);
    int height = (bar.top + main.bottom - bar.bottom) - main.top;
    MoveWindow(m_mainWnd, main.left, main.top, main.right - main.left, height, FALSE);
}

UINT CVelaApp::StartedAgainMessage()
{
    static const UINT message = RegisterWindowMessageW(L"VelaAppStartedAgain");
    return message;
}

int CVelaApp::Run(UINT titleId, UINT iconId, UINT accelId, HINSTANCE instance, int showCommand)
{
    m_instance = instance;
    SHInitExtraControls();
    CStr title;
    title.LoadStringW(titleId);
    CStr mainClass;
    MakeAppBaseName(mainClass);
    mainClass.Append(L"App");

    HWND running = FindWindowW(mainClass, title);
    if (running)
    {
        m_mainWnd = running;
        // The running instance may have been started again for a reason it finds in its settings.
        PostMessageW(running, StartedAgainMessage(), 0, 0);
        DeviceSetForegroundWindow(running);
        return 0;
    }

    DetectPlatform();

    WNDCLASSW wc = {};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = MainWindowProc;
    wc.hInstance = m_instance;
    wc.hIcon = LoadIconW(m_instance, MAKEINTRESOURCEW(iconId));
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    wc.lpszClassName = mainClass;
    if (!RegisterClassW(&wc))
        return 0;

    HWND hwnd = CreateWindowExW(0, mainClass, title, WS_CLIPCHILDREN, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                CW_USEDEFAULT, nullptr, nullptr, m_instance, nullptr);
    if (!hwnd)
    {
        m_mainWnd = nullptr;
        UnregisterClasses(mainClass);
        return 0;
    }
    m_mainWnd = hwnd;
    DevicePlaceMainWindow(m_mainWnd);
    FitToMenuBar();

    m_infoWindow = new CVelaInfowin();
    m_infoWindow->Construct();
    m_statusWindow = new CVelaInfowin();
    m_statusWindow->Construct();

    if (!OnCreate())
    {
        delete m_infoWindow;
        m_infoWindow = nullptr;
        delete m_statusWindow;
        m_statusWindow = nullptr;
        DestroyWindow(m_mainWnd);
        MSG quit;
        PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
        UnregisterClasses(mainClass);
        return -1;
    }
    if (m_views && m_views->GetCount() > 0)
        ActivateView(m_views->At(0)->GetId());

    ShowWindow(m_mainWnd, showCommand);
    UpdateWindow(m_mainWnd);
    HACCEL accel = accelId ? LoadAcceleratorsW(m_instance, MAKEINTRESOURCEW(accelId)) : nullptr;
    int exitCode = MessageLoop(accel);
    UnregisterClasses(mainClass);
    return exitCode;
}

int CVelaApp::MessageLoop(HACCEL accel)
{
    MSG msg = {};
    while (GetMessageW(&msg, nullptr, 0, 0) > 0)
    {
        if (m_activeView && m_activeView->GetAccel() &&
            TranslateAcceleratorW(m_activeView->GetWnd(), m_activeView->GetAccel(), &msg))
            continue;
        HWND target = m_activeView ? m_activeView->GetWnd() : m_mainWnd;
        if (accel && TranslateAcceleratorW(target, accel, &msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    int exitCode = msg.message == WM_QUIT ? static_cast<int>(msg.wParam) : 0;
    // A loop ended by a modal dialog's quit leaves the main window: close it as Exit would.
    if (m_mainWnd && IsWindow(m_mainWnd))
    {
        DestroyWindow(m_mainWnd);
        PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
    }
    return exitCode;
}

void CVelaApp::UnregisterClasses(const wchar_t* mainClass)
{
    UnregisterClassW(mainClass, m_instance);
    CStr base;
    MakeAppBaseName(base);
    for (uint32_t i = 0; i < m_closedViewIds.GetCount(); i++)
    {
        CStr viewClass(base);
        viewClass.Append(L"V");
        viewClass.AppendUnsigned(static_cast<uint32_t>(m_closedViewIds[i]));
        UnregisterClassW(viewClass, m_instance);
    }
    m_closedViewIds.Delete(0, m_closedViewIds.GetCount());
}

LRESULT CALLBACK CVelaApp::MainWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CVelaApp* app = GetApp();
    if (!app)
        return DefWindowProcW(hwnd, message, wParam, lParam);
    // The handle is known from the first message on, so early messages get this window's default.
    if (!app->m_mainWnd)
        app->m_mainWnd = hwnd;
    return app->OnMainMessage(hwnd, message, wParam, lParam);
}

LRESULT CVelaApp::OnMainMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message)
    {
    case WM_CREATE:
        OnMainCreate(hwnd);
        return 0;
    case WM_DESTROY:
        OnMainDestroy();
        return 0;
    case WM_SIZE:
        if (m_activeView)
            MoveWindow(m_activeView->GetWnd(), 0, 0, LOWORD(lParam), HIWORD(lParam), FALSE);
        return 0;
    case WM_ACTIVATE:
        SHHandleWMActivate(hwnd, wParam, lParam, &m_activateInfo, FALSE);
        return 0;
    case WM_SETTINGCHANGE:
        if (wParam == SPI_SETSIPINFO)
            SHHandleWMSettingChange(hwnd, wParam, lParam, &m_activateInfo);
        return 0;
    case WM_COMMAND:
        if (m_activeView)
            m_activeView->OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
        else
            OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
        return 0;
    case WM_INITMENUPOPUP:
        if (m_activeView)
            m_activeView->OnInitMenuPopup(reinterpret_cast<HMENU>(wParam), LOWORD(lParam));
        else
            OnInitMenuPopup(reinterpret_cast<HMENU>(wParam), LOWORD(lParam));
        return 0;
    }
    return WindowProc(message, wParam, lParam);
}

void CVelaApp::OnMainCreate(HWND hwnd)
{
    SetMenuBar(hwnd, 0);
    m_activateInfo = SHACTIVATEINFO();
    m_activateInfo.cbSize = sizeof(m_activateInfo);
}

void CVelaApp::OnMainDestroy()
{
    // No view is active any more: messages still queued must not reach a deleted one.
    m_activeView = nullptr;
    if (m_views)
    {
        for (uint32_t i = 0; i < m_views->GetCount(); i++)
        {
            CVelaView* view = m_views->At(i);
            m_closedViewIds.Append(static_cast<int>(view->GetId()));
            view->OnDestroy();
            delete view;
        }
        delete m_views;
        m_views = nullptr;
    }
    if (m_menuBar)
    {
        DestroyWindow(m_menuBar);
        m_menuBar = nullptr;
    }
    delete m_infoWindow;
    m_infoWindow = nullptr;
    delete m_statusWindow;
    m_statusWindow = nullptr;
    OnDestroy();
    PostQuitMessage(0);
}
