// Test harness in the manner of Wine's conformance tests: a call log compared with expected tables,
// time-limited message flushing, a scripted application and recording views and dialogs.
#pragma once

#include "framework/app.h"
#include "framework/dialog.h"
#include "framework/view.h"

#include <functional>
#include <vector>

// Where a recorded call happened and what it was.
enum Source
{
    SRC_APP = 0,
    SRC_OWNER = 1,
    SRC_DIALOG = 2,
    // Views record as their own id.
};

enum What
{
    CALL_ON_CREATE,
    CALL_ON_DESTROY,
    CALL_ON_ACTIVATE,
    CALL_ON_DEACTIVATE,
    CALL_ON_COMMAND,
    CALL_ON_INITMENUPOPUP,
    CALL_END_MESSAGE,
    MSG_COMMAND,
    MSG_INITMENUPOPUP,
    MSG_HOTKEY,
    MSG_KEYDOWN,
    MSG_LBUTTONDOWN,
    MSG_LBUTTONUP,
};

struct Call
{
    int source;
    What what;
    UINT_PTR arg;
};

void Record(int source, What what, UINT_PTR arg);
void ClearLog();
const std::vector<Call>& Log();
// Compares the log with the expected table and reports every difference.
void CheckSequence(const Call* expected, size_t count, const char* context);
#define CHECK_SEQUENCE(table, context) CheckSequence(table, sizeof(table) / sizeof(table[0]), context)

// Dispatches messages for the given time, or until done() holds.
void Flush(DWORD milliseconds);
bool WaitFor(const std::function<bool()>& done, DWORD milliseconds);

// A view that records its hooks.
class CTestView : public CVelaView
{
public:
    void Construct(UINT id, UINT menuBarId, UINT accelId) override { BaseConstruct(id, menuBarId, accelId); }
    void OnActivate(UINT previousId) override { Record(m_id, CALL_ON_ACTIVATE, previousId); }
    void OnDeactivate() override { Record(m_id, CALL_ON_DEACTIVATE, 0); }
    void OnCommand(UINT id, UINT, HWND) override { Record(m_id, CALL_ON_COMMAND, id); }
    void OnInitMenuPopup(HMENU, UINT position) override { Record(m_id, CALL_ON_INITMENUPOPUP, position); }
};

// An application whose views are given by the test and whose scenario runs inside the loop;
// the main window is closed when the scenario returns.
class CTestApp : public CVelaApp
{
public:
    std::vector<UINT> viewIds;
    UINT viewMenuBar = 0;
    bool createResult = true;
    bool destroyed = false;
    std::function<void(CTestApp&)> scenario;

    int RunTest();
    bool OnCreate() override;
    void OnDestroy() override { destroyed = true; }
    void OnCommand(UINT id, UINT, HWND) override { Record(SRC_APP, CALL_ON_COMMAND, id); }
    void OnInitMenuPopup(HMENU, UINT position) override { Record(SRC_APP, CALL_ON_INITMENUPOPUP, position); }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};

// A dialog that records its hooks and runs the test's code when it is created.
class CTestDialog : public CVelaDialog
{
public:
    std::function<void(CTestDialog&)> created;
    // Runs from a message posted at creation, that is inside the modal loop.
    std::function<void(CTestDialog&)> inLoop;
    bool endOnCommand = false;

    void OnCreate() override;
    void OnDestroy() override { Record(SRC_DIALOG, CALL_ON_DESTROY, 0); }
    void OnCommand(UINT id, UINT code, HWND) override
    {
        if (code != 0)
            return;
        Record(SRC_DIALOG, CALL_ON_COMMAND, id);
        if (endOnCommand)
            EndDialog(id);
    }
    INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};

// The device profile for one test; the key is removed afterwards.
class CProfileScope
{
public:
    CProfileScope(const wchar_t* platform, DWORD dpi);
    ~CProfileScope();
};

// A top-level window that records commands, menu preparation, hot keys, keys and taps.
HWND CreateRecordingWindow(int source);

// A WH_CALLWNDPROC hook procedure that destroys a menu bar's window inside its WM_CREATE, as a display
// that can make no more windows does: the bar's creation then fails.
LRESULT CALLBACK DestroyMenuBarWhileCreated(int code, WPARAM wParam, LPARAM lParam);
