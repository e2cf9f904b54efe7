// CApp: opens the package, the event list and the main view; routes keys and store notifications.
#include "app/app.h"

#include "app/aboutdialog.h"
#include "app/mainview.h"
#include "app/resource.h"
#include "core/error.h"
#include "core/file.h"
#include "data/datalist.h"
#include "data/showcontact.h"
#include "package/zrs.h"
#include "platform/shell/shell.h"
#include "platform/store/contactstore.h"

CApp::CApp() : m_data(nullptr), m_package(nullptr), m_burst(WM_FESTIVO_RELOAD)
{
}

CApp::~CApp() = default;

CMainView* CApp::GetMainView()
{
    return static_cast<CMainView*>(FindView(MAIN_VIEW_ID));
}

bool CApp::OnCreate()
{
    if (GetPlatform() == PLATFORM_POCKETPC)
        RegisterTodayItem();
    CoInitializeEx(nullptr, 0);

    CStr path(MAX_PATH);
    CFileUtils::MakeAppFilePath(path, L"festivo.zrs", nullptr);
    m_package = new CZrsPackage();
    AssertText(m_package->Open(path), L"Error opening ZRS resource", L"CApp::OnCreate", __LINE__);

    m_data = new CDataList();
    m_data->Open(GetMainWnd());

    CMainView* view = new CMainView();
    view->Construct(MAIN_VIEW_ID, IDR_MAIN_MENUBAR, IDA_MAIN);
    AddView(view);
    // Handled once the view is active, so the first row's selection does not override the request.
    PostMessageW(GetMainWnd(), StartedAgainMessage(), 0, 0);
    return true;
}

void CApp::OnDestroy()
{
    if (m_package)
    {
        m_package->Close();
        delete m_package;
        m_package = nullptr;
    }
    delete m_data;
    m_data = nullptr;
    CoUninitialize();
}

void CApp::OnCommand(UINT id, UINT, HWND)
{
    if (id == IDM_EXIT)
        SendMessageW(GetMainWnd(), WM_CLOSE, 0, 0);
    else if (id == IDM_ABOUT)
        ShowAbout();
}

void CApp::ShowAbout()
{
    CAboutDialog about;
    about.Run();
}

LRESULT CApp::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == StartedAgainMessage())
    {
        OnStartedAgain();
        return 0;
    }
    switch (message)
    {
    case WM_HOTKEY:
        OnHotKey(wParam, lParam);
        break;
    case WM_FESTIVO_RELOAD:
        OnReload();
        return 0;
    default:
        if (IsStoreNotification(message))
        {
            OnStoreNotification();
            return 0;
        }
        break;
    }
    return CVelaApp::WindowProc(message, wParam, lParam);
}

// A sync sends one message per changed contact: the whole burst is answered by one reload after it.
void CApp::OnStoreNotification()
{
    if (m_burst.OnNotification(GetMainWnd()))
        OnReload();
}

void CApp::OnReload()
{
    m_burst.OnReload(GetMainWnd());
    if (CMainView* view = GetMainView())
        view->Refresh();
}

void CApp::OnHotKey(WPARAM wParam, LPARAM lParam)
{
    CMainView* view = GetMainView();
    if (view)
        view->OnHotKey(wParam, lParam);
    else if (HIWORD(lParam) == VK_TBACK)
        SHSendBackToFocusWindow(WM_HOTKEY, wParam, lParam);
}

void CApp::OnStartedAgain()
{
    LONG oid = 0;
    bool anniversary = false;
    CMainView* view = GetMainView();
    if (view && TakeShowContact(oid, anniversary))
        view->ShowEvent(oid, anniversary);
}
