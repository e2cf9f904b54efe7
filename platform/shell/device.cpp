// The emulated handheld's profile, version, screen and system font.
#include "platform/shell/device.h"

#include "platform/shell/desktop.h"

#include <cwchar>

namespace {

const int kPlatformTextSize = 64;
const int kDefaultDpi = 96;
const int kScreenWidth = 240;
const int kScreenHeight = 320;
const int kTaskBarHeight = 26;
const int kSystemFontPoints = 9;

// The profile is written by whoever starts the program; anything odd in it falls back to the default.
void ReadPlatformText(wchar_t* text, DWORD size)
{
    wcsncpy(text, L"PocketPC", size - 1);
    text[size - 1] = 0;
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, DEVICE_PROFILE_KEY, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    wchar_t value[kPlatformTextSize];
    DWORD type = 0;
    DWORD bytes = sizeof(value) - sizeof(wchar_t);
    if (RegQueryValueExW(key, L"Platform", nullptr, &type, reinterpret_cast<BYTE*>(value), &bytes) == ERROR_SUCCESS &&
        type == REG_SZ)
    {
        value[bytes / sizeof(wchar_t)] = 0;
        wcsncpy(text, value, size - 1);
        text[size - 1] = 0;
    }
    RegCloseKey(key);
}

bool IsDesktopText(const wchar_t* text)
{
    return _wcsicmp(text, L"Desktop") == 0;
}

int ReadProfileDpi()
{
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, DEVICE_PROFILE_KEY, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return 0;
    DWORD dpi = 0;
    DWORD type = 0;
    DWORD bytes = sizeof(dpi);
    if (RegQueryValueExW(key, L"Dpi", nullptr, &type, reinterpret_cast<BYTE*>(&dpi), &bytes) != ERROR_SUCCESS ||
        type != REG_DWORD || dpi < 48 || dpi > 480)
        dpi = 0;
    RegCloseKey(key);
    return static_cast<int>(dpi);
}

// One font per dpi met in this process; stock objects live as long as the process.
struct SystemFont
{
    int dpi;
    HFONT font;
};
SystemFont g_systemFonts[4];

HFONT SystemFontFor(int dpi)
{
    for (SystemFont& entry : g_systemFonts)
    {
        if (entry.font && entry.dpi == dpi)
            return entry.font;
    }
    LOGFONTW lf = {};
    lf.lfHeight = -MulDiv(kSystemFontPoints, dpi, 72);
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfQuality = DEFAULT_QUALITY;
    wcscpy(lf.lfFaceName, L"Tahoma");
    HFONT font = CreateFontIndirectW(&lf);
    for (SystemFont& entry : g_systemFonts)
    {
        if (!entry.font)
        {
            entry.dpi = dpi;
            entry.font = font;
            return font;
        }
    }
    return font;
}

} // namespace

bool DeviceIsDesktop()
{
    wchar_t text[kPlatformTextSize];
    ReadPlatformText(text, kPlatformTextSize);
    return IsDesktopText(text);
}

BOOL DeviceGetVersionEx(OSVERSIONINFOW* info)
{
    if (!info || info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOW))
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    info->dwMajorVersion = 5;
    info->dwMinorVersion = 2;
    info->dwBuildNumber = 1236;
    info->dwPlatformId = VER_PLATFORM_WIN32_CE;
    info->szCSDVersion[0] = 0;
    return TRUE;
}

BOOL DeviceSystemParametersInfo(UINT action, UINT param, void* data, UINT winIni)
{
    if (action != SPI_GETPLATFORMTYPE)
        return SystemParametersInfoW(action, param, data, winIni);
    wchar_t text[kPlatformTextSize];
    ReadPlatformText(text, kPlatformTextSize);
    // A desktop is a Pocket PC with a keyboard and a mouse to the programs: the same menus and Today item.
    if (IsDesktopText(text))
        wcscpy(text, L"PocketPC");
    if (!data || param <= wcslen(text))
    {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    wcscpy(static_cast<wchar_t*>(data), text);
    return TRUE;
}

HGDIOBJ DeviceGetStockObject(int object)
{
    if (object == SYSTEM_FONT)
        return SystemFontFor(DeviceScreenDpi());
    return GetStockObject(object);
}

int DeviceScreenDpi()
{
    int dpi = ReadProfileDpi();
    if (dpi)
        return dpi;
    HDC dc = GetDC(nullptr);
    if (dc)
    {
        dpi = GetDeviceCaps(dc, LOGPIXELSX);
        ReleaseDC(nullptr, dc);
    }
    return dpi > 0 ? dpi : kDefaultDpi;
}

int DeviceScale(int n)
{
    return (n * DeviceScreenDpi() + 48) / 96;
}

SIZE DeviceScreenSize()
{
    int dpi = DeviceScreenDpi();
    SIZE size = { kScreenWidth * dpi / 96, kScreenHeight * dpi / 96 };
    return size;
}

void DevicePlaceMainWindow(HWND hwnd)
{
    if (DeviceIsDesktop())
    {
        DesktopPlaceMainWindow(hwnd);
        return;
    }
    SIZE screen = DeviceScreenSize();
    RECT frame = { 0, 0, screen.cx, screen.cy - DeviceScale(kTaskBarHeight) };
    DWORD style = static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE));
    DWORD exStyle = static_cast<DWORD>(GetWindowLongW(hwnd, GWL_EXSTYLE));
    // Overlapped windows always get a caption and a border on the desktop. Its window manager can
    // minimise any window, but the system follows that (and restores the window when asked to) only
    // for a window with a minimise box.
    if (!(style & (WS_POPUP | WS_CHILD)))
    {
        style |= WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
        SetWindowLongW(hwnd, GWL_STYLE, static_cast<LONG>(style));
    }
    AdjustWindowRectEx(&frame, style, GetMenu(hwnd) != nullptr, exStyle);
    SetWindowPos(hwnd, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void DevicePlacePanelWindow(HWND hwnd)
{
    if (DeviceIsDesktop())
        DesktopPlacePanelWindow(hwnd);
    else
        DevicePlaceMainWindow(hwnd);
}

BOOL DeviceSetForegroundWindow(HWND hwnd)
{
    if (!IsWindow(hwnd))
        return FALSE;
    if (IsIconic(hwnd))
        ShowWindow(hwnd, SW_RESTORE);
    return SetForegroundWindow(hwnd);
}
