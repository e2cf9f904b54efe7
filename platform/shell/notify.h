// The handheld's notifications (SHNotificationAdd / SHNotificationRemove), stood in by the notification area.
#pragma once

#include <windows.h>

// How a notification asks for attention: a bubble shown at once, or only an icon.
enum SHNP
{
    SHNP_INFORM = 0x1B1,
    SHNP_ICONIC = 0,
};

constexpr DWORD SHNF_STRAIGHTTOTRAY = 0x00000001;
constexpr DWORD SHNF_CRITICAL = 0x00000002;
constexpr DWORD SHNF_FORCEMESSAGE = 0x00000008;
constexpr DWORD SHNF_DISPLAYON = 0x00000010;
constexpr DWORD SHNF_SILENT = 0x00000020;

constexpr int NOTIF_NUM_SOFTKEYS = 2;

// A soft key of the bubble: its text and the command sent to the sink window with WM_COMMAND.
struct SOFTKEYCMD
{
    WPARAM wpCmd;
    DWORD grfFlags;
};

struct SOFTKEYNOTIFY
{
    LPCWSTR pszTitle;
    SOFTKEYCMD skc;
};

struct SHNOTIFICATIONDATA
{
    DWORD cbStruct;
    DWORD dwID;
    SHNP npPriority;
    // Seconds the bubble stays before it folds into its icon.
    DWORD csDuration;
    HICON hicon;
    DWORD grfFlags;
    CLSID clsid;
    HWND hwndSink;
    // The bubble's text in the handheld's small HTML: <b>, <br>, <p> and entities.
    LPCWSTR pszHTML;
    LPCWSTR pszTitle;
    LPARAM lParam;
    SOFTKEYNOTIFY rgskn[NOTIF_NUM_SOFTKEYS];
    LPCWSTR pszTodaySK;
    LPCWSTR pszTodayExec;
};

// ERROR_SUCCESS when the notification is shown (or will be once the notification area exists);
// a notification with the same class and id is replaced. A click on it, or its first soft key, sends that
// key's command to the sink window.
LRESULT SHNotificationAdd(SHNOTIFICATIONDATA* data);
// Takes the notification away; ERROR_SUCCESS when there was one.
LRESULT SHNotificationRemove(const CLSID* clsid, DWORD id);

// Desktop only: the plain text a notification's HTML shows as, at most limit characters including the end.
void NotificationPlainText(const wchar_t* html, wchar_t* out, int limit);
