// Test harness of the main program: scenario runner, message flush and device profile.
#include "tests/app/harness.h"

#include "app/resource.h"
#include "platform/shell/device.h"
#include "tests/support/fixtures.h"

namespace {

const UINT kRunScenario = WM_APP + 30;

} // namespace

int CTestedApp::Start()
{
    return Run(IDS_APP_TITLE, IDI_FESTIVO, IDA_MAIN, GetModuleHandleW(nullptr), SW_SHOWNORMAL);
}

bool CTestedApp::OnCreate()
{
    bool created = CApp::OnCreate();
    PostMessageW(GetMainWnd(), kRunScenario, 0, 0);
    return created;
}

LRESULT CTestedApp::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == kRunScenario)
    {
        Flush(50);
        if (scenario)
            scenario(*this);
        PostMessageW(GetMainWnd(), WM_CLOSE, 0, 0);
        return 0;
    }
    return CApp::WindowProc(message, wParam, lParam);
}

void Flush(DWORD milliseconds)
{
    DWORD start = GetTickCount();
    MSG msg;
    while (GetTickCount() - start < milliseconds)
    {
        if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        {
            if (msg.message == WM_QUIT)
            {
                PostQuitMessage(static_cast<int>(msg.wParam));
                return;
            }
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        else
        {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
        }
    }
}

CDeviceProfile::CDeviceProfile(const wchar_t* platform, DWORD dpi)
{
    DeleteUserKey(DEVICE_PROFILE_KEY);
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, DEVICE_PROFILE_KEY, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr))
        return;
    RegSetValueExW(key, L"Platform", 0, REG_SZ, reinterpret_cast<const BYTE*>(platform),
                   static_cast<DWORD>((wcslen(platform) + 1) * sizeof(wchar_t)));
    RegSetValueExW(key, L"Dpi", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi), sizeof(dpi));
    RegCloseKey(key);
}

CDeviceProfile::~CDeviceProfile()
{
    DeleteUserKey(DEVICE_PROFILE_KEY);
}

void Command(CTestedApp& app, UINT id)
{
    SendMessageW(app.GetMainWnd(), WM_COMMAND, id, 0);
}

std::wstring HeaderText(CTestedApp& app)
{
    CStr text;
    app.View().GetHeaderText(text);
    return text.GetBuffer();
}
