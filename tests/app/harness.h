// Drives the real main program inside its own message loop: a scenario runs once the program is up.
#pragma once

#include "app/app.h"
#include "app/mainview.h"
#include "data/datalist.h"

#include <functional>
#include <string>

// The program as it starts for real, with a scenario run from inside its message loop; the main
// window is closed when the scenario returns.
class CTestedApp : public CApp
{
public:
    std::function<void(CTestedApp&)> scenario;
    int Start();
    bool OnCreate() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    CMainView& View() { return *GetMainView(); }
    CDataList& Data() { return *GetDataList(); }
};

// Dispatches messages for the given time (a bounded flush instead of Sleep).
void Flush(DWORD milliseconds);

// The device profile (platform text, dpi) for the life of the object.
class CDeviceProfile
{
public:
    CDeviceProfile(const wchar_t* platform, DWORD dpi);
    ~CDeviceProfile();
};

// Sends a menu command to the main view as the menu bar does.
void Command(CTestedApp& app, UINT id);
// The main view's header text.
std::wstring HeaderText(CTestedApp& app);
