// The handheld shell's programming interface (menu bars, dialog set-up, activation, input panel, gestures), stood in on the desktop.
#pragma once

#include <windows.h>

// Start-up routine of the shell library; call once before the first window is created.
BOOL SHInitExtraControls();

// Menu bar, created from a menu-bar resource (RCDATA) and shown at the bottom of its parent.
struct SHMENUBARINFO
{
    DWORD cbSize;
    HWND hwndParent;
    DWORD dwFlags;
    UINT nToolBarId;
    HINSTANCE hInstRes;
    int nBmpId;
    int cBmpImages;
    HWND hwndMB;
    COLORREF clrBk;
};
typedef SHMENUBARINFO* PSHMENUBARINFO;

constexpr DWORD SHCMBF_EMPTYBAR = 0x0001;
constexpr DWORD SHCMBF_HIDDEN = 0x0002;
constexpr DWORD SHCMBF_HIDESIPBUTTON = 0x0004;

BOOL SHCreateMenuBar(SHMENUBARINFO* info);
// The menu bar of a window, of its parent or of its owner; null when there is none.
HWND SHFindMenuBar(HWND hwnd);

// Messages to a menu bar.
constexpr UINT SHCMBM_GETSUBMENU = WM_USER + 401;   // lParam: button command id; result: its sub-menu
constexpr UINT SHCMBM_GETMENU = WM_USER + 402;      // result: the menu of the menu-bar resource
constexpr UINT SHCMBM_OVERRIDEKEY = WM_USER + 403;  // wParam: key; lParam: MAKELPARAM(mask, flags)

// Key override flags: the key does not do its own job / the owner gets WM_HOTKEY for it.
constexpr DWORD SHMBOF_NODEFAULT = 0x00000001;
constexpr DWORD SHMBOF_NOTIFY = 0x00000002;

// The handheld's Back and Talk keys; on the desktop keyboard they are Esc and F3.
constexpr UINT VK_TBACK = VK_ESCAPE;
constexpr UINT VK_TTALK = VK_F3;
// In the low word of a hot key's lParam: the key was released.
constexpr UINT MOD_KEYUP = 0x1000;

// Dialog set-up.
struct SHINITDLGINFO
{
    DWORD dwMask;
    HWND hDlg;
    DWORD dwFlags;
};
typedef SHINITDLGINFO* PSHINITDLGINFO;

constexpr DWORD SHIDIM_FLAGS = 0x0001;
constexpr DWORD SHIDIF_DONEBUTTON = 0x0001;
constexpr DWORD SHIDIF_SIZEDLG = 0x0002;
constexpr DWORD SHIDIF_SIZEDLGFULLSCREEN = 0x0004;
constexpr DWORD SHIDIF_SIPDOWN = 0x0008;
constexpr DWORD SHIDIF_EMPTYMENU = 0x0020;

BOOL SHInitDialog(SHINITDLGINFO* info);

// Activation record kept across WM_ACTIVATE and input-panel changes.
struct SHACTIVATEINFO
{
    DWORD cbSize;
    HWND hwndLastFocus;
    UINT fSipUp : 1;
    UINT fSipOnDeactivation : 1;
    UINT fActive : 1;
    UINT fReserved : 29;
};

// WM_SETTINGCHANGE codes of the handheld: input panel changed, screen layout changed.
constexpr WPARAM SPI_SETSIPINFO = 224;
constexpr WPARAM SETTINGCHANGE_RESET = 0x3002;

BOOL SHHandleWMActivate(HWND hwnd, WPARAM wParam, LPARAM lParam, SHACTIVATEINFO* info, DWORD flags);
BOOL SHHandleWMSettingChange(HWND hwnd, WPARAM wParam, LPARAM lParam, SHACTIVATEINFO* info);

// Input panel; the desktop has none.
enum SIPSTATE
{
    SIP_UP = 0,
    SIP_DOWN,
    SIP_FORCEDOWN,
    SIP_UNCHANGED,
    SIP_INPUTDIALOG,
};
constexpr DWORD SIPF_OFF = 0x0000;
constexpr DWORD SIPF_ON = 0x0001;

BOOL SHSipPreference(HWND hwnd, SIPSTATE state);
BOOL SipShowIM(DWORD flags);

// Hands the Back key of a WM_HOTKEY to the focused window, where an edit deletes one character.
void SHSendBackToFocusWindow(UINT message, WPARAM wParam, LPARAM lParam);

// Tap-and-hold recognition.
struct SHRGINFO
{
    DWORD cbSize;
    HWND hwndClient;
    POINT ptDown;
    DWORD dwFlags;
};
typedef SHRGINFO* PSHRGINFO;

constexpr DWORD SHRG_RETURNCMD = 0x0001;
constexpr DWORD GN_CONTEXTMENU = 1000;

DWORD SHRecognizeGesture(SHRGINFO* info);
