// CApp: the main program's application object: start-up, shutdown, Exit/About, keys and store notifications.
#pragma once

#include "data/burst.h"
#include "framework/app.h"

class CDataList;
class CZrsPackage;
class CMainView;

const int MAIN_VIEW_ID = 1;
// Posted to the main window by the first store notification of a burst: reload once the burst is in.
const UINT WM_FESTIVO_RELOAD = WM_APP + 2;

class CApp : public CVelaApp
{
public:
    CApp();
    ~CApp() override;

    bool OnCreate() override;
    void OnDestroy() override;
    void OnCommand(UINT id, UINT code, HWND control) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    CDataList* GetDataList() const { return m_data; }
    CZrsPackage* GetPackage() const { return m_package; }
    CMainView* GetMainView();

private:
    void OnHotKey(WPARAM wParam, LPARAM lParam);
    void ShowAbout();
    void OnStoreNotification();
    void OnReload();
    // Shows the event the Today item asked for (a reminder's Open), at start or when started again.
    void OnStartedAgain();

    CDataList* m_data;
    CZrsPackage* m_package;
    CReloadBurst m_burst;
};

// Registers the Today plug-in with the Today screen once; an existing registration is left alone.
void RegisterTodayItem();
