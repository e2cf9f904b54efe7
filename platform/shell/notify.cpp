// Notifications stood in by notification-area icons with a balloon: one hidden window per notification.
#include "platform/shell/notify.h"

#include "platform/shell/recorder.h"

#include <shellapi.h>

#include <cwchar>
#include <vector>

namespace {

const wchar_t* const NOTIFICATION_CLASS = L"FestivoNotification";
const UINT WM_ICON_CALLBACK = WM_APP + 0x4E;
// Until the notification area exists (just after log-on, or while it restarts) the icon is offered again.
const UINT RETRY_TIMER = 1;
const UINT RETRY_MS = 5000;

struct CNotification
{
    CLSID clsid;
    DWORD id;
    HWND window;
    HWND sink;
    WPARAM command;
    bool shown;
    NOTIFYICONDATAW icon;
};

std::vector<CNotification*> g_notifications;

HINSTANCE ThisModule()
{
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&ThisModule), &module);
    return module;
}

UINT TaskbarCreated()
{
    static UINT message = RegisterWindowMessageW(L"TaskbarCreated");
    return message;
}

void Offer(CNotification* n)
{
    n->shown = Shell_NotifyIconW(NIM_ADD, &n->icon) != FALSE;
    if (n->shown)
        KillTimer(n->window, RETRY_TIMER);
    else
        SetTimer(n->window, RETRY_TIMER, RETRY_MS, nullptr);
}

void OnIconEvent(CNotification* n, UINT event)
{
    if (event != NIN_BALLOONUSERCLICK && event != WM_LBUTTONUP)
        return;
    ShellRecord(L"SHNotificationClick", n->sink, n->id, static_cast<LPARAM>(n->command));
    if (n->command && IsWindow(n->sink))
        PostMessageW(n->sink, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(n->command), 0), 0);
}

LRESULT CALLBACK NotificationProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* n = reinterpret_cast<CNotification*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (n && message == WM_ICON_CALLBACK)
    {
        OnIconEvent(n, LOWORD(lParam));
        return 0;
    }
    if (n && message == WM_TIMER && wParam == RETRY_TIMER)
    {
        Offer(n);
        return 0;
    }
    if (n && message == TaskbarCreated())
    {
        // A restarted notification area has forgotten every icon.
        Offer(n);
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

bool RegisterNotificationClass()
{
    WNDCLASSW wc = {};
    if (GetClassInfoW(ThisModule(), NOTIFICATION_CLASS, &wc))
        return true;
    wc.lpfnWndProc = NotificationProc;
    wc.hInstance = ThisModule();
    wc.lpszClassName = NOTIFICATION_CLASS;
    return RegisterClassW(&wc) != 0;
}

void Copy(wchar_t* to, size_t room, const wchar_t* from)
{
    wcsncpy(to, from ? from : L"", room - 1);
    to[room - 1] = 0;
}

size_t Find(const CLSID& clsid, DWORD id)
{
    for (size_t i = 0; i < g_notifications.size(); i++)
        if (g_notifications[i]->id == id && IsEqualCLSID(g_notifications[i]->clsid, clsid))
            return i;
    return g_notifications.size();
}

// Wine's balloon draws its text about a character narrower than it measures it, cutting the end of the longest
// line ("turns 36" shown as "turns 3"): every line gets room to spare, blanks that no renderer shows.
void PadLines(const wchar_t* text, wchar_t* out, size_t room)
{
    const wchar_t padding[] = L"\u00A0\u00A0\u00A0";
    size_t n = 0;
    auto put = [&](wchar_t ch) {
        if (n + 1 < room)
            out[n++] = ch;
    };
    for (const wchar_t* p = text;; ++p)
    {
        if (*p == L'\n' || *p == 0)
            for (const wchar_t* q = padding; *q; ++q)
                put(*q);
        if (*p == 0)
            break;
        put(*p);
    }
    out[n] = 0;
}

// Takes a notification's icon and window away; false when there is none.
bool Remove(const CLSID& clsid, DWORD id)
{
    size_t at = Find(clsid, id);
    if (at == g_notifications.size())
        return false;
    CNotification* n = g_notifications[at];
    g_notifications.erase(g_notifications.begin() + static_cast<long>(at));
    if (n->shown)
        Shell_NotifyIconW(NIM_DELETE, &n->icon);
    // The window's timer and user data die with it; the object is no longer reachable from it.
    SetWindowLongPtrW(n->window, GWLP_USERDATA, 0);
    DestroyWindow(n->window);
    delete n;
    return true;
}

// The entity at text (after '&'); its character, or 0 when it is not one of the few the bubble knows.
wchar_t Entity(const wchar_t* text, int& length)
{
    static const struct
    {
        const wchar_t* name;
        wchar_t ch;
    } known[] = {{L"amp;", L'&'}, {L"lt;", L'<'}, {L"gt;", L'>'}, {L"quot;", L'"'}, {L"apos;", L'\''},
                 {L"#39;", L'\''}, {L"nbsp;", L' '}};
    for (const auto& k : known)
    {
        length = static_cast<int>(wcslen(k.name));
        if (wcsncmp(text, k.name, length) == 0)
            return k.ch;
    }
    length = 0;
    return 0;
}

bool IsBreakTag(const wchar_t* tag, int length)
{
    return (length >= 2 && _wcsnicmp(tag, L"br", 2) == 0) || (length >= 2 && _wcsnicmp(tag, L"/p", 2) == 0);
}

} // namespace

void NotificationPlainText(const wchar_t* html, wchar_t* out, int limit)
{
    if (limit <= 0)
        return;
    int n = 0;
    bool truncated = false;
    auto put = [&](wchar_t ch) {
        if (n < limit - 1)
            out[n++] = ch;
        else
            truncated = true;
    };
    for (const wchar_t* p = html ? html : L""; *p; ++p)
    {
        if (*p == L'<')
        {
            const wchar_t* end = wcschr(p, L'>');
            if (!end)
                break;
            if (IsBreakTag(p + 1, static_cast<int>(end - p - 1)) && n > 0 && out[n - 1] != L'\n')
                put(L'\n');
            p = end;
        }
        else if (*p == L'&')
        {
            int length = 0;
            wchar_t ch = Entity(p + 1, length);
            put(ch ? ch : L'&');
            p += length;
        }
        else if (*p != L'\r' && *p != L'\n')
            put(*p);
    }
    while (n > 0 && out[n - 1] == L'\n')
        --n;
    // Text the balloon cannot hold ends with an ellipsis rather than mid-word without a sign.
    if (truncated && limit >= 2)
        out[n - 1] = L'\x2026';
    out[n] = 0;
}

LRESULT SHNotificationAdd(SHNOTIFICATIONDATA* data)
{
    if (!data || data->cbStruct < sizeof(SHNOTIFICATIONDATA))
        return ERROR_INVALID_PARAMETER;
    ShellRecord(L"SHNotificationAdd", data->hwndSink, data->dwID, reinterpret_cast<LPARAM>(data));
    Remove(data->clsid, data->dwID);
    if (!RegisterNotificationClass())
        return ERROR_OUTOFMEMORY;
    auto* n = new CNotification();
    n->clsid = data->clsid;
    n->id = data->dwID;
    n->sink = data->hwndSink;
    n->command = data->rgskn[0].skc.wpCmd;
    n->window = CreateWindowExW(0, NOTIFICATION_CLASS, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, ThisModule(),
                                nullptr);
    if (!n->window)
    {
        delete n;
        return ERROR_OUTOFMEMORY;
    }
    SetWindowLongPtrW(n->window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(n));
    NOTIFYICONDATAW& icon = n->icon;
    icon.cbSize = sizeof(icon);
    icon.hWnd = n->window;
    icon.uID = data->dwID;
    icon.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_INFO;
    icon.uCallbackMessage = WM_ICON_CALLBACK;
    icon.hIcon = data->hicon ? data->hicon : LoadIconW(nullptr, IDI_INFORMATION);
    Copy(icon.szTip, ARRAYSIZE(icon.szTip), data->pszTitle);
    Copy(icon.szInfoTitle, ARRAYSIZE(icon.szInfoTitle), data->pszTitle);
    wchar_t text[ARRAYSIZE(icon.szInfo)];
    NotificationPlainText(data->pszHTML, text, ARRAYSIZE(text));
    PadLines(text, icon.szInfo, ARRAYSIZE(icon.szInfo));
    icon.uTimeout = data->csDuration * 1000;
    icon.dwInfoFlags = (data->grfFlags & SHNF_SILENT) ? (NIIF_INFO | NIIF_NOSOUND) : NIIF_INFO;
    g_notifications.push_back(n);
    Offer(n);
    return ERROR_SUCCESS;
}

LRESULT SHNotificationRemove(const CLSID* clsid, DWORD id)
{
    if (!clsid)
        return ERROR_INVALID_PARAMETER;
    ShellRecord(L"SHNotificationRemove", nullptr, id, 0);
    return Remove(*clsid, id) ? ERROR_SUCCESS : ERROR_NOT_FOUND;
}
