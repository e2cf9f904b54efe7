// CVelaView: the view's window class, window and the procedure that hands its messages to the view.
#include "framework/view.h"

#include "framework/app.h"

CVelaView::CVelaView() : m_id(0), m_menuBarId(0), m_accelId(0), m_hwnd(nullptr), m_accel(nullptr)
{
}

// The window outlives the view while the main window is destroyed: its last messages get the default.
CVelaView::~CVelaView()
{
    if (m_hwnd && IsWindow(m_hwnd))
        SetWindowLongPtrW(m_hwnd, GWLP_USERDATA, 0);
}

void CVelaView::OnCreate()
{
}

void CVelaView::OnDestroy()
{
}

void CVelaView::OnActivate(UINT)
{
}

void CVelaView::OnDeactivate()
{
}

void CVelaView::OnPaint(CVelaPaint*)
{
}

void CVelaView::OnCommand(UINT, UINT, HWND)
{
}

void CVelaView::OnInitMenuPopup(HMENU, UINT)
{
}

LRESULT CVelaView::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcW(m_hwnd, message, wParam, lParam);
}

void CVelaView::BaseConstruct(UINT id, UINT menuBarId, UINT accelId)
{
    CVelaApp* app = GetApp();
    CStr className;
    app->MakeAppBaseName(className);
    className.Append(L"V");
    className.AppendUnsigned(id);

    WNDCLASSW wc = {};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = ViewWindowProc;
    wc.hInstance = app->GetInstance();
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = className;
    Assert(RegisterClassW(&wc) != 0, ERR_ERROR, L"CVelaView::BaseConstruct", __LINE__);

    m_id = id;
    m_menuBarId = menuBarId;
    m_accelId = accelId;
    if (accelId)
        m_accel = LoadAcceleratorsW(app->GetInstance(), MAKEINTRESOURCEW(accelId));

    RECT client;
    GetClientRect(app->GetMainWnd(), &client);
    // Clipping its children keeps the view's own painting (its background, a header) off their pixels:
    // otherwise every repaint of the view blanks a double-buffered list until the list repaints.
    HWND hwnd = CreateWindowExW(0, className, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, client.left, client.top,
                                client.right - client.left, client.bottom - client.top, app->GetMainWnd(), nullptr,
                                app->GetInstance(), this);
    AssertText(hwnd != nullptr, L"Error creating view wnd", L"CVelaView::BaseConstruct", __LINE__);
    m_hwnd = hwnd;
    OnCreate();
}

LRESULT CALLBACK CVelaView::ViewWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CREATE)
    {
        CVelaView* created = static_cast<CVelaView*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        created->m_hwnd = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
        return 0;
    }
    CVelaView* view = reinterpret_cast<CVelaView*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!view)
        return DefWindowProcW(hwnd, message, wParam, lParam);
    switch (message)
    {
    case WM_DESTROY:
        return 0;
    case WM_PAINT:
    {
        CVelaPaint paint;
        paint.dc = BeginPaint(hwnd, &paint.ps);
        view->OnPaint(&paint);
        EndPaint(hwnd, &paint.ps);
        return 0;
    }
    case WM_COMMAND:
        view->OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
        return 0;
    }
    return view->WindowProc(message, wParam, lParam);
}
