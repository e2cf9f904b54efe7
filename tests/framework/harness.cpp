// Test harness: call log, message flushing, scripted application, recording dialog and window.
#include "tests/framework/harness.h"

#include "core/error.h"
#include "platform/shell/device.h"
#include "tests/framework/resource.h"
#include "tests/support/fixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cwchar>

namespace {

std::vector<Call> g_log;
const UINT kRunScenario = WM_APP + 20;
const UINT kInLoop = WM_APP + 21;

const char* WhatName(What what)
{
    static const char* const names[] = { "OnCreate", "OnDestroy", "OnActivate", "OnDeactivate", "OnCommand",
                                         "OnInitMenuPopup", "end message", "WM_COMMAND", "WM_INITMENUPOPUP",
                                         "WM_HOTKEY", "WM_KEYDOWN", "WM_LBUTTONDOWN", "WM_LBUTTONUP" };
    return names[what];
}

LRESULT CALLBACK RecordingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    int source = static_cast<int>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    switch (message)
    {
    case WM_COMMAND:
        Record(source, MSG_COMMAND, LOWORD(wParam));
        return 0;
    case WM_INITMENUPOPUP:
        Record(source, MSG_INITMENUPOPUP, LOWORD(lParam));
        return 0;
    case WM_HOTKEY:
        Record(source, MSG_HOTKEY, HIWORD(lParam));
        return 0;
    case WM_KEYDOWN:
        Record(source, MSG_KEYDOWN, wParam);
        return 0;
    case WM_LBUTTONDOWN:
    {
        SHRGINFO info = { sizeof(info), hwnd, { LOWORD(lParam), HIWORD(lParam) }, SHRG_RETURNCMD };
        Record(source, MSG_LBUTTONDOWN, SHRecognizeGesture(&info));
        return 0;
    }
    case WM_LBUTTONUP:
        Record(source, MSG_LBUTTONUP, 0);
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

} // namespace

void Record(int source, What what, UINT_PTR arg)
{
    g_log.push_back({ source, what, arg });
}

void ClearLog()
{
    g_log.clear();
}

const std::vector<Call>& Log()
{
    return g_log;
}

void CheckSequence(const Call* expected, size_t count, const char* context)
{
    size_t n = std::max(count, g_log.size());
    for (size_t i = 0; i < n; i++)
    {
        if (i >= count)
        {
            ADD_FAILURE() << context << ": unexpected " << WhatName(g_log[i].what) << " from " << g_log[i].source
                          << " arg " << g_log[i].arg;
            continue;
        }
        if (i >= g_log.size())
        {
            ADD_FAILURE() << context << ": missing " << WhatName(expected[i].what) << " from " << expected[i].source;
            continue;
        }
        const Call& got = g_log[i];
        EXPECT_TRUE(got.source == expected[i].source && got.what == expected[i].what && got.arg == expected[i].arg)
            << context << " step " << i << ": expected " << WhatName(expected[i].what) << " from "
            << expected[i].source << " arg " << expected[i].arg << ", got " << WhatName(got.what) << " from "
            << got.source << " arg " << got.arg;
    }
}

void Flush(DWORD milliseconds)
{
    WaitFor([] { return false; }, milliseconds);
}

bool WaitFor(const std::function<bool()>& done, DWORD milliseconds)
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
        if (done())
            return true;
        ULONGLONG now = GetTickCount64();
        if (now >= deadline)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, 20)),
                                  QS_ALLINPUT);
    }
}

int CTestApp::RunTest()
{
    return Run(IDS_TITLE, 0, 0, GetModuleHandleW(nullptr), SW_SHOWNORMAL);
}

bool CTestApp::OnCreate()
{
    for (UINT id : viewIds)
    {
        CTestView* view = new CTestView();
        view->Construct(id, viewMenuBar, 0);
        AddView(view);
    }
    PostMessageW(m_mainWnd, kRunScenario, 0, 0);
    return createResult;
}

LRESULT CTestApp::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == kRunScenario)
    {
        if (scenario)
            scenario(*this);
        if (IsWindow(m_mainWnd))
            PostMessageW(m_mainWnd, WM_CLOSE, 0, 0);
        return 0;
    }
    if (message == WM_HOTKEY)
        Record(SRC_APP, MSG_HOTKEY, HIWORD(lParam));
    return CVelaApp::WindowProc(message, wParam, lParam);
}

void CTestDialog::OnCreate()
{
    Record(SRC_DIALOG, CALL_ON_CREATE, 0);
    if (created)
        created(*this);
    if (inLoop)
        PostMessageW(m_hwnd, kInLoop, 0, 0);
}

INT_PTR CTestDialog::DialogProc(UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_VELA_ENDDIALOG)
        Record(SRC_DIALOG, CALL_END_MESSAGE, wParam);
    if (message == kInLoop && inLoop)
        inLoop(*this);
    return 0;
}

CProfileScope::CProfileScope(const wchar_t* platform, DWORD dpi)
{
    DeleteUserKey(DEVICE_PROFILE_KEY);
    HKEY key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, DEVICE_PROFILE_KEY, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr))
        return;
    if (platform)
        RegSetValueExW(key, L"Platform", 0, REG_SZ, reinterpret_cast<const BYTE*>(platform),
                       static_cast<DWORD>((wcslen(platform) + 1) * sizeof(wchar_t)));
    if (dpi)
        RegSetValueExW(key, L"Dpi", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi), sizeof(dpi));
    RegCloseKey(key);
}

CProfileScope::~CProfileScope()
{
    DeleteUserKey(DEVICE_PROFILE_KEY);
}

HWND CreateRecordingWindow(int source)
{
    static ATOM atom = 0;
    if (!atom)
    {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = RecordingProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"FrameworkTestRecorder";
        atom = RegisterClassW(&wc);
    }
    HWND hwnd = CreateWindowExW(0, L"FrameworkTestRecorder", L"recorder", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10,
                                240, 268, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, source);
    return hwnd;
}

LRESULT CALLBACK DestroyMenuBarWhileCreated(int code, WPARAM wParam, LPARAM lParam)
{
    const CWPSTRUCT* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
    wchar_t name[64] = {};
    if (code == HC_ACTION && call->message == WM_CREATE && GetClassNameW(call->hwnd, name, 64) &&
        wcscmp(name, L"FestivoMenuBar") == 0)
        DestroyWindow(call->hwnd);
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
