// CVelaApp: the one application object: single instance, platform, main window, views, message loop.
#pragma once

#include "core/array.h"
#include "core/str.h"
#include "platform/shell/shell.h"

#include <windows.h>

class CVelaView;
class CVelaInfowin;

// Platform kinds.
enum
{
    PLATFORM_UNKNOWN = 0,
    PLATFORM_POCKETPC = 1,
    PLATFORM_SMARTPHONE = 2,
};

class CVelaApp
{
public:
    CVelaApp();
    virtual ~CVelaApp();

    // Called once after the main window exists; false makes Run return -1.
    virtual bool OnCreate();
    // Called while the main window is destroyed.
    virtual void OnDestroy();
    // Commands and menu preparation while no view is active.
    virtual void OnCommand(UINT id, UINT code, HWND control);
    virtual void OnInitMenuPopup(HMENU menu, UINT position);
    // Every main-window message the framework does not handle itself.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);

    // The whole life of the program; returns its exit code (0 when another instance runs).
    int Run(UINT titleId, UINT iconId, UINT accelId, HINSTANCE instance, int showCommand);

    // The program's file name without folder and extension (festivo for festivo.exe).
    void MakeAppBaseName(CStr& name) const;
    // The same split of a given path; fatal "Not found" in CVelaApp::MakeAppBaseName when it fails.
    static void BaseNameFromPath(const wchar_t* path, CStr& name);
    // Posted to the running instance's main window when the program is started again (it then ends at once).
    static UINT StartedAgainMessage();

    void AddView(CVelaView* view);
    CVelaView* FindView(UINT id) const;
    void ActivateView(UINT id);
    bool SetMenuBar(HWND hwnd, UINT menuBarId);

    void ShowInfo(const wchar_t* text, UINT hideDelay, UINT flags);
    void HideInfo();
    void ShowStatus(const wchar_t* text, UINT flags, UINT blinkPeriod);
    void HideStatus();

    HINSTANCE GetInstance() const { return m_instance; }
    HWND GetMainWnd() const { return m_mainWnd; }
    HWND GetMenuBar() const { return m_menuBar; }
    CVelaView* GetActiveView() const { return m_activeView; }
    CArray<CVelaView*>* GetViews() const { return m_views; }
    SHACTIVATEINFO* GetActivateInfo() { return &m_activateInfo; }
    int GetPlatform() const { return m_platform; }
    DWORD GetMajorVersion() const { return m_majorVersion; }
    DWORD GetMinorVersion() const { return m_minorVersion; }
    DWORD GetBuild() const { return m_build; }
    CVelaInfowin* GetInfoWindow() const { return m_infoWindow; }
    CVelaInfowin* GetStatusWindow() const { return m_statusWindow; }

    CVelaApp(const CVelaApp&) = delete;
    CVelaApp& operator=(const CVelaApp&) = delete;

protected:
    HINSTANCE m_instance;
    HWND m_mainWnd;
    HWND m_menuBar;
    CArray<CVelaView*>* m_views;
    CVelaView* m_activeView;
    SHACTIVATEINFO m_activateInfo;
    int m_platform;
    DWORD m_majorVersion;
    DWORD m_minorVersion;
    DWORD m_build;
    CVelaInfowin* m_infoWindow;
    CVelaInfowin* m_statusWindow;

private:
    static LRESULT CALLBACK MainWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnMainMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void OnMainCreate(HWND hwnd);
    void OnMainDestroy();
    void DetectPlatform();
    void FitToMenuBar();
    int MessageLoop(HACCEL accel);
    void UnregisterClasses(const wchar_t* mainClass);

    // Ids of the views deleted with the main window, whose classes go when Run ends.
    CArray<int> m_closedViewIds;
};

// The process's application object, registered by the CVelaApp constructor.
CVelaApp* GetApp();
