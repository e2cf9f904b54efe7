// The menu bar stood in by a soft-key bar: a row of buttons built from the menu-bar resource, shown
// right below its parent (where the device's menu bar sits once the parent made room for it). In the
// Desktop profile the bar stays out of sight and its buttons become the parent's window menu, or, in a
// dialog of plain buttons only, a row of push buttons at the dialog's bottom right.
#include "platform/shell/shell.h"

#include "platform/shell/desktop.h"
#include "platform/shell/device.h"
#include "platform/shell/internal.h"
#include "platform/shell/recorder.h"

#include <commctrl.h>

namespace {

const wchar_t kClassName[] = L"FestivoMenuBar";
const int kBarHeight = 26;
const int kMaxButtons = 8;
const int kMaxKeys = 8;
const int kTextSize = MENUBAR_TEXT_SIZE;
const WORD kNoSubMenu = 0xFFFF;
const BYTE kStateEnabled = MENUBAR_STATE_ENABLED;
const int kWordsPerButton = 6;

typedef MenuBarButton Button;

struct KeyOverride
{
    UINT key;
    DWORD flags;
};

struct MenuBar
{
    HWND hwnd;
    HWND owner;
    DWORD flags;
    HMENU menu;
    HMENU windowMenu;
    HINSTANCE instance;
    bool desktop;
    bool buttonRow;
    // Set while the bar's window is being created: a window that fails then (its WM_CREATE or the
    // display) is destroyed inside CreateWindowExW, and the bar stays the creator's to free.
    bool creating;
    HMENU openMenu;
    int count;
    int pressed;
    Button buttons[kMaxButtons];
    int keyCount;
    KeyOverride keys[kMaxKeys];
};

HINSTANCE CodeModule()
{
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&CodeModule), &module);
    return module;
}

// Layout of the resource, in 16-bit words: menu id, button count, then per button image, command,
// state (low byte) and style (high byte), string id, 0, sub-menu index (0xFFFF: none).
bool LoadButtons(MenuBar* bar, HINSTANCE instance, UINT resourceId)
{
    HRSRC found = FindResourceW(instance, MAKEINTRESOURCEW(resourceId), MAKEINTRESOURCEW(10));
    HGLOBAL loaded = found ? LoadResource(instance, found) : nullptr;
    const WORD* words = loaded ? static_cast<const WORD*>(LockResource(loaded)) : nullptr;
    if (!words)
        return false;
    DWORD wordCount = SizeofResource(instance, found) / sizeof(WORD);
    if (wordCount < 2 || words[1] > kMaxButtons || wordCount < 2u + words[1] * kWordsPerButton)
        return false;
    if (words[0])
        bar->menu = LoadMenuW(instance, MAKEINTRESOURCEW(words[0]));
    bar->count = words[1];
    for (int i = 0; i < bar->count; i++)
    {
        const WORD* record = words + 2 + i * kWordsPerButton;
        Button& button = bar->buttons[i];
        button.command = record[1];
        button.state = LOBYTE(record[2]);
        button.subMenu = record[5] == kNoSubMenu ? -1 : record[5];
        if (!LoadStringW(instance, record[3], button.text, kTextSize))
            button.text[0] = 0;
    }
    return true;
}

MenuBar* BarOf(HWND hwnd)
{
    return reinterpret_cast<MenuBar*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

RECT ButtonRect(HWND hwnd, const MenuBar* bar, int index)
{
    RECT client;
    GetClientRect(hwnd, &client);
    RECT rect = client;
    rect.left = client.right * index / bar->count;
    rect.right = client.right * (index + 1) / bar->count;
    return rect;
}

int HitTest(HWND hwnd, const MenuBar* bar, LPARAM lParam)
{
    POINT point = { static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)) };
    for (int i = 0; i < bar->count; i++)
    {
        RECT rect = ButtonRect(hwnd, bar, i);
        if (PtInRect(&rect, point))
            return i;
    }
    return -1;
}

void Place(HWND hwnd, HWND parent)
{
    RECT rect;
    GetWindowRect(parent, &rect);
    SetWindowPos(hwnd, nullptr, rect.left, rect.bottom, rect.right - rect.left, DeviceScale(kBarHeight),
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void Paint(HWND hwnd, MenuBar* bar)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT client;
    GetClientRect(hwnd, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    RECT line = { client.left, client.top, client.right, client.top + 1 };
    FillRect(dc, &line, GetSysColorBrush(COLOR_BTNSHADOW));
    HGDIOBJ oldFont = SelectObject(dc, DeviceGetStockObject(SYSTEM_FONT));
    SetBkMode(dc, TRANSPARENT);
    for (int i = 0; i < bar->count; i++)
    {
        const Button& button = bar->buttons[i];
        RECT rect = ButtonRect(hwnd, bar, i);
        rect.top += 1;
        if (i > 0)
        {
            RECT separator = { rect.left, rect.top + 3, rect.left + 1, rect.bottom - 3 };
            FillRect(dc, &separator, GetSysColorBrush(COLOR_BTNSHADOW));
        }
        int textColour = COLOR_BTNTEXT;
        if (i == bar->pressed)
        {
            FillRect(dc, &rect, GetSysColorBrush(COLOR_HIGHLIGHT));
            textColour = COLOR_HIGHLIGHTTEXT;
        }
        else if (!(button.state & kStateEnabled))
            textColour = COLOR_GRAYTEXT;
        SetTextColor(dc, GetSysColor(textColour));
        DrawTextW(dc, button.text, -1, &rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
    }
    SelectObject(dc, oldFont);
    EndPaint(hwnd, &ps);
}

void SetPressed(HWND hwnd, MenuBar* bar, int index)
{
    bar->pressed = index;
    InvalidateRect(hwnd, nullptr, FALSE);
    UpdateWindow(hwnd);
}

// As on the device, the owner prepares the sub-menu (WM_INITMENUPOPUP with the button's command)
// before it opens above the button; the choice comes back as WM_COMMAND.
void OpenSubMenu(HWND hwnd, MenuBar* bar, int index)
{
    const Button& button = bar->buttons[index];
    HMENU menu = bar->menu ? GetSubMenu(bar->menu, button.subMenu) : nullptr;
    if (!menu)
        return;
    SetPressed(hwnd, bar, index);
    SendMessageW(bar->owner, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), MAKELPARAM(button.command, FALSE));
    RECT rect = ButtonRect(hwnd, bar, index);
    MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&rect), 2);
    bool leftHalf = index * 2 < bar->count;
    UINT flags = TPM_BOTTOMALIGN | TPM_RETURNCMD | TPM_LEFTBUTTON | (leftHalf ? TPM_LEFTALIGN : TPM_RIGHTALIGN);
    bar->openMenu = menu;
    UINT command = TrackPopupMenuEx(menu, flags, leftHalf ? rect.left : rect.right, rect.top, hwnd, nullptr);
    bar->openMenu = nullptr;
    if (IsWindow(hwnd))
        SetPressed(hwnd, bar, -1);
    if (command)
        SendMessageW(bar->owner, WM_COMMAND, MAKEWPARAM(command, 0), 0);
}

void OnButtonDown(HWND hwnd, MenuBar* bar, LPARAM lParam)
{
    int index = HitTest(hwnd, bar, lParam);
    if (index < 0 || !(bar->buttons[index].state & kStateEnabled) || !IsWindowEnabled(bar->owner))
        return;
    if (bar->buttons[index].subMenu >= 0 && bar->menu)
    {
        OpenSubMenu(hwnd, bar, index);
        return;
    }
    SetCapture(hwnd);
    SetPressed(hwnd, bar, index);
}

void OnButtonUp(HWND hwnd, MenuBar* bar, LPARAM lParam)
{
    int index = bar->pressed;
    if (index < 0 || bar->openMenu)
        return;
    ReleaseCapture();
    SetPressed(hwnd, bar, -1);
    if (HitTest(hwnd, bar, lParam) == index)
        SendMessageW(bar->owner, WM_COMMAND, MAKEWPARAM(bar->buttons[index].command, 0), 0);
}

LRESULT OverrideKey(MenuBar* bar, UINT key, LPARAM lParam)
{
    DWORD mask = LOWORD(lParam);
    DWORD value = HIWORD(lParam);
    for (int i = 0; i < bar->keyCount; i++)
    {
        if (bar->keys[i].key == key)
        {
            bar->keys[i].flags = (bar->keys[i].flags & ~mask) | (value & mask);
            return TRUE;
        }
    }
    if (bar->keyCount == kMaxKeys)
        return FALSE;
    bar->keys[bar->keyCount].key = key;
    bar->keys[bar->keyCount].flags = value & mask;
    bar->keyCount++;
    return TRUE;
}

LRESULT QueryKey(const MenuBar* bar, UINT key)
{
    for (int i = 0; i < bar->keyCount; i++)
    {
        if (bar->keys[i].key == key)
            return MENUBAR_KEY_SET | bar->keys[i].flags;
    }
    return 0;
}

HMENU SubMenuOf(const MenuBar* bar, UINT command)
{
    for (int i = 0; i < bar->count; i++)
    {
        if (bar->buttons[i].command == command && bar->buttons[i].subMenu >= 0 && bar->menu)
            return GetSubMenu(bar->menu, bar->buttons[i].subMenu);
    }
    return nullptr;
}

// Shown once as an active window, the bar becomes a window of its own to the desktop's window manager,
// stacked with its owner instead of above every program; the activation then goes back where it was
// (to the owner when that was nothing it could go back to).
void ShowBar(HWND bar, HWND owner)
{
    HWND active = GetActiveWindow();
    HWND focus = GetFocus();
    SetWindowPos(bar, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW);
    HWND back = active && active != bar && IsWindowEnabled(active) ? active : GetAncestor(owner, GA_ROOT);
    if (!back || !IsWindowVisible(back) || !IsWindowEnabled(back))
        return;
    SetActiveWindow(back);
    if (focus && (focus == back || IsChild(back, focus)))
        SetFocus(focus);
}

// The bar follows its parent: below it when it moves or changes size, hidden and shown with it.
// The row of buttons spans the dialog's bottom.
void PlaceButtonRow(HWND row, HWND dialog)
{
    RECT client;
    GetClientRect(dialog, &client);
    int height = ButtonRowHeight();
    SetWindowPos(row, nullptr, 0, client.bottom - height, client.right, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CALLBACK ParentSubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR data)
{
    HWND barWindow = reinterpret_cast<HWND>(data);
    MenuBar* bar = IsWindow(barWindow) ? BarOf(barWindow) : nullptr;
    if (bar && bar->buttonRow)
    {
        if (message == WM_SIZE)
            PlaceButtonRow(barWindow, hwnd);
        // Shown with the dialog, above its content (content that scrolls passes under it): hidden until
        // then, so that the dialog gives the first control of its content the focus.
        else if (message == WM_WINDOWPOSCHANGED && (reinterpret_cast<const WINDOWPOS*>(lParam)->flags & SWP_SHOWWINDOW))
            SetWindowPos(barWindow, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    }
    else if (bar && bar->desktop)
    {
        // A drop-down of the window menu is prepared as the soft key's sub-menu is: with the button's command.
        if (message == WM_INITMENUPOPUP && !HIWORD(lParam))
        {
            for (int i = 0; i < bar->count; i++)
            {
                HMENU drop = bar->buttons[i].subMenu >= 0 ? GetSubMenu(bar->menu, bar->buttons[i].subMenu) : nullptr;
                if (drop && drop == reinterpret_cast<HMENU>(wParam))
                    lParam = MAKELPARAM(bar->buttons[i].command, FALSE);
            }
            LRESULT result = DefSubclassProc(hwnd, message, wParam, lParam);
            LabelAccelerators(reinterpret_cast<HMENU>(wParam), bar->instance);
            return result;
        }
    }
    else if (message == WM_WINDOWPOSCHANGED && bar)
    {
        const WINDOWPOS* pos = reinterpret_cast<const WINDOWPOS*>(lParam);
        Place(barWindow, hwnd);
        if (pos->flags & SWP_HIDEWINDOW)
            ShowWindow(barWindow, SW_HIDE);
        else if ((pos->flags & SWP_SHOWWINDOW) && !(BarOf(barWindow)->flags & SHCMBF_HIDDEN))
            ShowBar(barWindow, hwnd);
    }
    else if (message == WM_NCDESTROY)
        RemoveWindowSubclass(hwnd, ParentSubclassProc, id);
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

void ActivateOwner(const MenuBar* bar)
{
    HWND top = GetAncestor(bar->owner, GA_ROOT);
    if (top && IsWindowEnabled(top) && GetForegroundWindow() != top)
        SetForegroundWindow(top);
}

void OnDestroy(HWND hwnd, MenuBar* bar)
{
    if (bar->creating)
    {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        return;
    }
    if (GetPropW(bar->owner, MENUBAR_PROPERTY) == hwnd)
        RemovePropW(bar->owner, MENUBAR_PROPERTY);
    RemoveWindowSubclass(bar->owner, ParentSubclassProc, reinterpret_cast<UINT_PTR>(hwnd));
    if (bar->windowMenu)
    {
        if (IsWindow(bar->owner) && GetMenu(bar->owner) == bar->windowMenu)
            SetMenu(bar->owner, nullptr);
        DestroyWindowMenu(bar->windowMenu);
    }
    if (bar->menu)
        DestroyMenu(bar->menu);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    delete bar;
}

// The row of push buttons: a click on one is the soft key's command, sent to the dialog as a tap sends it.
// False for a message the row leaves to what every bar does.
bool OnButtonRowMessage(HWND hwnd, MenuBar* bar, UINT message, WPARAM wParam, LRESULT& result)
{
    result = 0;
    switch (message)
    {
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED && IsWindowEnabled(bar->owner))
            SendMessageW(bar->owner, WM_COMMAND, MAKEWPARAM(LOWORD(wParam), 0), 0);
        return true;
    case WM_SIZE:
        LayOutButtonRow(hwnd);
        return true;
    case WM_ERASEBKGND:
    {
        RECT client;
        GetClientRect(hwnd, &client);
        FillRect(reinterpret_cast<HDC>(wParam), &client, GetSysColorBrush(COLOR_BTNFACE));
        result = 1;
        return true;
    }
    default:
        return false;
    }
}

// The bar drawn as soft keys (or a window menu); false for a message it leaves to what every bar does.
bool OnSoftKeyMessage(HWND hwnd, MenuBar* bar, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    result = 0;
    switch (message)
    {
    case WM_PAINT:
        Paint(hwnd, bar);
        return true;
    case WM_MOUSEACTIVATE:
        // The bar takes no activation of its own, but a tap on it brings its program's window to the front
        // with the keyboard, as a tap on the device's menu bar does.
        ActivateOwner(bar);
        result = MA_NOACTIVATE;
        return true;
    case WM_LBUTTONDOWN:
        OnButtonDown(hwnd, bar, lParam);
        return true;
    case WM_LBUTTONUP:
        OnButtonUp(hwnd, bar, lParam);
        return true;
    case WM_CAPTURECHANGED:
        if (bar->pressed >= 0 && !bar->openMenu)
            SetPressed(hwnd, bar, -1);
        return true;
    case WM_INITMENUPOPUP:
        // Sub-menus of the open menu are prepared by the owner, as the menu itself was.
        if (reinterpret_cast<HMENU>(wParam) != bar->openMenu)
            SendMessageW(bar->owner, WM_INITMENUPOPUP, wParam, lParam);
        return true;
    case SHCMBM_GETSUBMENU:
        result = reinterpret_cast<LRESULT>(SubMenuOf(bar, static_cast<UINT>(lParam)));
        return true;
    default:
        return false;
    }
}

LRESULT CALLBACK MenuBarProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE)
    {
        MenuBar* created = static_cast<MenuBar*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        created->hwnd = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
    }
    MenuBar* bar = BarOf(hwnd);
    if (!bar)
        return DefWindowProcW(hwnd, message, wParam, lParam);
    LRESULT result = 0;
    if (bar->buttonRow ? OnButtonRowMessage(hwnd, bar, message, wParam, result)
                       : OnSoftKeyMessage(hwnd, bar, message, wParam, lParam, result))
        return result;
    switch (message)
    {
    case SHCMBM_GETMENU:
        return reinterpret_cast<LRESULT>(bar->menu);
    case SHCMBM_OVERRIDEKEY:
        return OverrideKey(bar, static_cast<UINT>(wParam), lParam);
    case MENUBAR_QUERYKEY:
        return QueryKey(bar, static_cast<UINT>(wParam));
    case WM_NCDESTROY:
        OnDestroy(hwnd, bar);
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

// The bar window becomes the dialog's bottom row holding the buttons; the dialog
// grows by the row's height, so its content keeps the room it had.
void AttachButtonRow(MenuBar* bar)
{
    HWND row = bar->hwnd;
    HWND dialog = bar->owner;
    bar->buttonRow = true;
    SetWindowLongW(row, GWL_STYLE, WS_CHILD | WS_CLIPSIBLINGS);
    SetWindowLongW(row, GWL_EXSTYLE, WS_EX_CONTROLPARENT);
    SetParent(row, dialog);
    SetWindowLongPtrW(row, GWLP_ID, 0);
    int height = CreateButtonRow(row, bar->buttons, bar->count);
    DesktopGrowDialog(dialog, height);
    PlaceButtonRow(row, dialog);
    if (IsWindowVisible(dialog))
        SetWindowPos(row, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

// The bar window stays hidden and keeps the keys; the buttons are the parent's window menu. A dialog
// with a menu bar is a desktop dialog: captioned and centred on its owner.
void AttachWindowMenu(MenuBar* bar, HINSTANCE instance)
{
    HWND parent = bar->owner;
    bar->desktop = true;
    bar->instance = instance;
    if (GetWindow(parent, GW_OWNER) && !(GetWindowLongW(parent, GWL_STYLE) & WS_CHILD))
        DesktopFrameDialog(parent);
    InstallDesktopHook();
    if (GetWindow(parent, GW_OWNER) && !(GetWindowLongW(parent, GWL_STYLE) & WS_CHILD) &&
        IsButtonRow(bar->buttons, bar->count))
    {
        AttachButtonRow(bar);
        return;
    }
    if (bar->count > 0)
        bar->windowMenu = CreateWindowMenu(bar->menu, bar->buttons, bar->count, instance);
    SetMenu(parent, bar->windowMenu);
    if (bar->windowMenu)
        DrawMenuBar(parent);
}

bool RegisterBarClass(HINSTANCE module)
{
    WNDCLASSW existing;
    if (GetClassInfoW(module, kClassName, &existing))
        return true;
    WNDCLASSW wc = {};
    wc.lpfnWndProc = MenuBarProc;
    wc.hInstance = module;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kClassName;
    return RegisterClassW(&wc) != 0;
}

} // namespace

BOOL SHCreateMenuBar(SHMENUBARINFO* info)
{
    if (!info || info->cbSize != sizeof(SHMENUBARINFO) || !IsWindow(info->hwndParent))
        return FALSE;
    ShellRecord(L"SHCreateMenuBar", info->hwndParent, info->nToolBarId, info->dwFlags);
    info->hwndMB = nullptr;
    InstallInputHook();
    HINSTANCE module = CodeModule();
    if (!RegisterBarClass(module))
        return FALSE;
    MenuBar* bar = new MenuBar();
    bar->owner = info->hwndParent;
    bar->flags = info->dwFlags;
    bar->pressed = -1;
    if (info->nToolBarId && !(info->dwFlags & SHCMBF_EMPTYBAR) && !LoadButtons(bar, info->hInstRes, info->nToolBarId))
    {
        if (bar->menu)
            DestroyMenu(bar->menu);
        delete bar;
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return FALSE;
    }
    bar->creating = true;
    HWND hwnd = CreateWindowExW(WS_EX_NOACTIVATE, kClassName, L"", WS_POPUP, 0, 0, 0, 0, info->hwndParent, nullptr,
                                module, bar);
    bar->creating = false;
    if (!hwnd)
    {
        if (bar->menu)
            DestroyMenu(bar->menu);
        delete bar;
        return FALSE;
    }
    SetPropW(info->hwndParent, MENUBAR_PROPERTY, hwnd);
    SetWindowSubclass(info->hwndParent, ParentSubclassProc, reinterpret_cast<UINT_PTR>(hwnd),
                      reinterpret_cast<DWORD_PTR>(hwnd));
    if (DeviceIsDesktop())
    {
        AttachWindowMenu(bar, info->hInstRes);
        info->hwndMB = hwnd;
        return TRUE;
    }
    Place(hwnd, info->hwndParent);
    if (!(info->dwFlags & SHCMBF_HIDDEN) && IsWindowVisible(info->hwndParent))
        ShowBar(hwnd, info->hwndParent);
    info->hwndMB = hwnd;
    return TRUE;
}

HWND SHFindMenuBar(HWND hwnd)
{
    for (HWND window = hwnd; window; window = GetParent(window))
    {
        HWND bar = static_cast<HWND>(GetPropW(window, MENUBAR_PROPERTY));
        if (bar && IsWindow(bar))
            return bar;
    }
    return nullptr;
}
