// A small program for looking at the framework on a screen: a view, the soft-key bar and an info window.
#include "framework/app.h"
#include "framework/view.h"
#include "tests/framework/resource.h"

namespace {

class CDemoView : public CVelaView
{
public:
    void Construct(UINT id, UINT menuBarId, UINT accelId) override { BaseConstruct(id, menuBarId, accelId); }
    void OnPaint(CVelaPaint* paint) override
    {
        RECT client;
        GetClientRect(m_hwnd, &client);
        DrawTextW(paint->dc, L"Festivo framework demo", -1, &client, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
    void OnCommand(UINT id, UINT, HWND) override
    {
        if (id == 32771)
            PostMessageW(GetApp()->GetMainWnd(), WM_CLOSE, 0, 0);
    }
};

class CDemoApp : public CVelaApp
{
public:
    bool OnCreate() override
    {
        CDemoView* view = new CDemoView();
        view->Construct(1, IDR_MENUBAR_MAIN, 0);
        AddView(view);
        PostMessageW(m_mainWnd, WM_APP + 5, 0, 0);
        return true;
    }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_APP + 5)
        {
            ShowInfo(L"Phone number is missing!", 0, 0x11);
            return 0;
        }
        return CVelaApp::WindowProc(message, wParam, lParam);
    }
};

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int show)
{
    CDemoApp app;
    return app.Run(IDS_TITLE, 0, 0, instance, show);
}
