// The Desktop profile's windows: main windows that keep their place, dialogs and message boxes centred on their owner.
#include "platform/shell/desktop.h"

#include "platform/shell/device.h"
#include "platform/shell/hooks.h"

#include <commctrl.h>

namespace {

const wchar_t kPlacementKey[] = L"Software\\Festivo\\Device\\Windows";
const wchar_t kFramedProperty[] = L"FestivoDesktopDialog";
const wchar_t kFrameProperty[] = L"FestivoDesktopFrame";
const UINT_PTR kMainSubclass = 0x46455354;
const UINT_PTR kDialogSubclass = 0x46455355;
const int kDefaultWidth = 360;
const int kDefaultHeight = 480;
const int kPanelWidth = 300;
const int kPanelHeight = 420;
const int kScreenMargin = 24;
const int kMinimumWidth = 200;
const int kMinimumHeight = 160;
const int kLargestSide = 16384;
const int kSmallestDialogWidth = 120;
const int kSmallestDialogHeight = 60;
const int kEmptyDialogWidth = 320;
const int kEmptyDialogHeight = 360;

// What is remembered of a main window: its restored rectangle and whether it was maximised.
struct SavedPlace
{
    RECT normal;
    DWORD maximised;
};

// A framed dialog: the client size of its content, and whether it has been shown once.
struct DialogFrame
{
    SIZE client;
    bool shown;
};

thread_local HHOOK t_cbtHook = nullptr;
thread_local bool t_menuAtPointer = false;
thread_local POINT t_pointer = { 0, 0 };
const UINT_PTR kMenuSubclass = 0x46455356;

bool ClassNameOf(HWND hwnd, wchar_t* name, int size)
{
    return GetClassNameW(hwnd, name, size) > 0;
}

RECT WorkAreaOf(HWND hwnd)
{
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    HMONITOR monitor = MonitorFromWindow(hwnd, MONITOR_DEFAULTTOPRIMARY);
    if (!GetMonitorInfoW(monitor, &info))
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &info.rcWork, 0);
    return info.rcWork;
}

// A place written by an earlier run, or by anybody else, is used only when it is sane and on a screen.
bool ReadPlace(const wchar_t* name, SavedPlace* place)
{
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kPlacementKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    DWORD type = 0;
    DWORD size = sizeof(*place);
    LONG result = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(place), &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS || type != REG_BINARY || size != sizeof(*place))
        return false;
    const RECT& r = place->normal;
    LONG width = r.right - r.left;
    LONG height = r.bottom - r.top;
    if (width < kMinimumWidth || height < kMinimumHeight || width > kLargestSide || height > kLargestSide)
        return false;
    return MonitorFromRect(&r, MONITOR_DEFAULTTONULL) != nullptr;
}

void WritePlace(const wchar_t* name, const SavedPlace& place)
{
    HKEY key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kPlacementKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return;
    RegSetValueExW(key, name, 0, REG_BINARY, reinterpret_cast<const BYTE*>(&place), sizeof(place));
    RegCloseKey(key);
}

// A first place: the client size given, at the work area's left (or right) edge, on the screen.
RECT DefaultPlace(HWND hwnd, int clientWidth, int clientHeight, bool right)
{
    RECT work = WorkAreaOf(hwnd);
    RECT frame = { 0, 0, DeviceScale(clientWidth), DeviceScale(clientHeight) };
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE)), GetMenu(hwnd) != nullptr,
                       static_cast<DWORD>(GetWindowLongW(hwnd, GWL_EXSTYLE)));
    LONG width = frame.right - frame.left;
    LONG height = frame.bottom - frame.top;
    LONG workWidth = work.right - work.left;
    LONG workHeight = work.bottom - work.top;
    if (width > workWidth)
        width = workWidth;
    if (height > workHeight)
        height = workHeight;
    LONG margin = DeviceScale(kScreenMargin);
    LONG side = workWidth - width > 2 * margin ? margin : (workWidth - width) / 2;
    LONG left = right ? work.right - side - width : work.left + side;
    LONG top = work.top + (workHeight - height > 2 * margin ? margin : (workHeight - height) / 2);
    RECT place = { left, top, left + width, top + height };
    return place;
}

void RememberPlace(HWND hwnd)
{
    wchar_t name[256];
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof(placement);
    if (!ClassNameOf(hwnd, name, 256) || !GetWindowPlacement(hwnd, &placement))
        return;
    SavedPlace place = { placement.rcNormalPosition, placement.showCmd == SW_SHOWMAXIMIZED ||
                                                         (placement.flags & WPF_RESTORETOMAXIMIZED) ? 1u : 0u };
    WritePlace(name, place);
}

// data: 1 while a window remembered as maximised waits for its first showing.
LRESULT CALLBACK MainSubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR data)
{
    switch (message)
    {
    case WM_GETMINMAXINFO:
    {
        MINMAXINFO* limits = reinterpret_cast<MINMAXINFO*>(lParam);
        limits->ptMinTrackSize.x = DeviceScale(kMinimumWidth);
        limits->ptMinTrackSize.y = DeviceScale(kMinimumHeight);
        return 0;
    }
    case WM_WINDOWPOSCHANGED:
        if (data && (reinterpret_cast<const WINDOWPOS*>(lParam)->flags & SWP_SHOWWINDOW))
        {
            SetWindowSubclass(hwnd, MainSubclassProc, id, 0);
            LRESULT result = DefSubclassProc(hwnd, message, wParam, lParam);
            ShowWindow(hwnd, SW_MAXIMIZE);
            return result;
        }
        break;
    case WM_DESTROY:
        RememberPlace(hwnd);
        break;
    case WM_NCDESTROY:
        RemoveWindowSubclass(hwnd, MainSubclassProc, id);
        break;
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

// A window of the given client size, centred on another window (or on the screen) and kept on the screen.
RECT CentredPlace(HWND window, HWND around, SIZE client)
{
    RECT rect = { 0, 0, client.cx, client.cy };
    AdjustWindowRectEx(&rect, static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE)), GetMenu(window) != nullptr,
                       static_cast<DWORD>(GetWindowLongW(window, GWL_EXSTYLE)));
    LONG width = rect.right - rect.left;
    LONG height = rect.bottom - rect.top;
    RECT work = WorkAreaOf(around ? around : window);
    RECT centre = work;
    if (around && IsWindowVisible(around) && !IsIconic(around))
        GetWindowRect(around, &centre);
    LONG left = (centre.left + centre.right - width) / 2;
    LONG top = (centre.top + centre.bottom - height) / 2;
    if (left + width > work.right)
        left = work.right - width;
    if (top + height > work.bottom)
        top = work.bottom - height;
    if (left < work.left)
        left = work.left;
    if (top < work.top)
        top = work.top;
    RECT place = { left, top, left + width, top + height };
    return place;
}

// Until it is first shown, whoever moves the dialog (to fill the screen, to dock it) moves it to its
// centred place; from then on the user moves it.
LRESULT CALLBACK DialogSubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                    DWORD_PTR data)
{
    DialogFrame* frame = reinterpret_cast<DialogFrame*>(data);
    switch (message)
    {
    case WM_WINDOWPOSCHANGING:
    {
        WINDOWPOS* pos = reinterpret_cast<WINDOWPOS*>(lParam);
        if (!frame->shown && !(pos->flags & SWP_HIDEWINDOW))
        {
            RECT place = CentredPlace(hwnd, GetWindow(hwnd, GW_OWNER), frame->client);
            pos->x = place.left;
            pos->y = place.top;
            pos->cx = place.right - place.left;
            pos->cy = place.bottom - place.top;
            pos->flags &= ~static_cast<UINT>(SWP_NOMOVE | SWP_NOSIZE);
            if ((pos->flags & SWP_SHOWWINDOW) || IsWindowVisible(hwnd))
                frame->shown = true;
        }
        break;
    }
    case WM_NCDESTROY:
        RemoveWindowSubclass(hwnd, DialogSubclassProc, id);
        RemovePropW(hwnd, kFramedProperty);
        RemovePropW(hwnd, kFrameProperty);
        delete frame;
        break;
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

// The menu comes up with its top-left corner at the pointer, or above it where the screen ends.
LRESULT CALLBACK MenuSubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR)
{
    if (message == WM_WINDOWPOSCHANGING && t_menuAtPointer)
    {
        WINDOWPOS* pos = reinterpret_cast<WINDOWPOS*>(lParam);
        if (!(pos->flags & SWP_NOMOVE) && pos->cx > 0 && pos->cy > 0)
        {
            t_menuAtPointer = false;
            RECT work = WorkAreaOf(hwnd);
            pos->x = t_pointer.x + pos->cx > work.right ? t_pointer.x - pos->cx : t_pointer.x;
            pos->y = t_pointer.y + pos->cy > work.bottom ? t_pointer.y - pos->cy : t_pointer.y;
        }
    }
    else if (message == WM_NCDESTROY)
        RemoveWindowSubclass(hwnd, MenuSubclassProc, id);
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

bool IsClass(HWND hwnd, const wchar_t* expected)
{
    wchar_t name[16];
    return ClassNameOf(hwnd, name, 16) && lstrcmpW(name, expected) == 0;
}

bool IsDialogWindow(HWND hwnd)
{
    return IsClass(hwnd, L"#32770");
}

// A message box (or any dialog that nobody placed) comes up over the window it belongs to.
LRESULT CALLBACK CbtHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_CREATEWND && t_menuAtPointer && IsClass(reinterpret_cast<HWND>(wParam), L"#32768"))
        SetWindowSubclass(reinterpret_cast<HWND>(wParam), MenuSubclassProc, kMenuSubclass, 0);
    if (code == HCBT_ACTIVATE)
    {
        HWND box = reinterpret_cast<HWND>(wParam);
        if (IsDialogWindow(box) && !GetPropW(box, kFramedProperty) && !(GetWindowLongW(box, GWL_STYLE) & WS_CHILD))
        {
            SetPropW(box, kFramedProperty, box);
            HWND owner = GetWindow(box, GW_OWNER);
            const CBTACTIVATESTRUCT* activate = reinterpret_cast<const CBTACTIVATESTRUCT*>(lParam);
            if (!owner && activate && activate->hWndActive && activate->hWndActive != box)
                owner = GetAncestor(activate->hWndActive, GA_ROOT);
            if (owner && IsWindowVisible(owner) && !IsIconic(owner))
            {
                RECT client;
                GetClientRect(box, &client);
                SIZE size = { client.right, client.bottom };
                RECT place = CentredPlace(box, owner, size);
                SetWindowPos(box, nullptr, place.left, place.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            }
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

} // namespace

namespace {

void PlaceResizable(HWND hwnd, int clientWidth, int clientHeight, bool right)
{
    DWORD style = static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE));
    style = (style & ~static_cast<DWORD>(WS_POPUP | WS_CHILD)) | WS_OVERLAPPEDWINDOW;
    SetWindowLongW(hwnd, GWL_STYLE, static_cast<LONG>(style));
    wchar_t name[256] = L"";
    ClassNameOf(hwnd, name, 256);
    SavedPlace place = {};
    bool remembered = name[0] && ReadPlace(name, &place);
    RECT rect = remembered ? place.normal : DefaultPlace(hwnd, clientWidth, clientHeight, right);
    SetWindowPos(hwnd, nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    SetWindowSubclass(hwnd, MainSubclassProc, kMainSubclass, remembered && place.maximised ? 1 : 0);
}

} // namespace

void DesktopPlaceMainWindow(HWND hwnd)
{
    PlaceResizable(hwnd, kDefaultWidth, kDefaultHeight, false);
}

void DesktopPlacePanelWindow(HWND hwnd)
{
    PlaceResizable(hwnd, kPanelWidth, kPanelHeight, true);
}

void DesktopFrameDialog(HWND dialog)
{
    if (!IsWindow(dialog) || GetPropW(dialog, kFramedProperty) || (GetWindowLongW(dialog, GWL_STYLE) & WS_CHILD))
        return;
    SetPropW(dialog, kFramedProperty, dialog);
    // The content's size is the dialog's own as created; a dialog made empty gets a usual dialog's size.
    RECT client;
    GetClientRect(dialog, &client);
    DialogFrame* frame = new DialogFrame();
    frame->client.cx = client.right >= DeviceScale(kSmallestDialogWidth) ? client.right : DeviceScale(kEmptyDialogWidth);
    frame->client.cy =
        client.bottom >= DeviceScale(kSmallestDialogHeight) ? client.bottom : DeviceScale(kEmptyDialogHeight);
    frame->shown = IsWindowVisible(dialog) != FALSE;
    LONG style = GetWindowLongW(dialog, GWL_STYLE);
    SetWindowLongW(dialog, GWL_STYLE, style | WS_CAPTION | WS_SYSMENU);
    SetWindowLongW(dialog, GWL_EXSTYLE, GetWindowLongW(dialog, GWL_EXSTYLE) | WS_EX_DLGMODALFRAME);
    if (GetWindowTextLengthW(dialog) == 0)
    {
        // A dialog without a title of its own is captioned with its program's name.
        HWND owner = GetAncestor(dialog, GA_ROOTOWNER);
        wchar_t title[128] = L"";
        if (owner && owner != dialog)
            GetWindowTextW(owner, title, 128);
        SetWindowTextW(dialog, title);
    }
    SetPropW(dialog, kFrameProperty, frame);
    SetWindowSubclass(dialog, DialogSubclassProc, kDialogSubclass, reinterpret_cast<DWORD_PTR>(frame));
    SetWindowPos(dialog, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void DesktopGrowDialog(HWND dialog, int extraHeight)
{
    DialogFrame* frame = static_cast<DialogFrame*>(GetPropW(dialog, kFrameProperty));
    if (!frame)
        return;
    frame->client.cy += extraHeight;
    if (!frame->shown)
        return;
    RECT rect;
    GetWindowRect(dialog, &rect);
    SetWindowPos(dialog, nullptr, 0, 0, rect.right - rect.left, rect.bottom - rect.top + extraHeight,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void InstallDesktopHook()
{
    if (!t_cbtHook)
        t_cbtHook = SetThreadHook(WH_CBT, CbtHook);
}

void ExpectMenuAtPointer(POINT screen)
{
    InstallDesktopHook();
    t_pointer = screen;
    t_menuAtPointer = true;
}

void ForgetMenuAtPointer()
{
    t_menuAtPointer = false;
}
