// The Today screen window: date band, item layout, polling, selection, keys, colours, background, options.
#include "tools/todayhost/host.h"

#include "data/settings.h"
#include "platform/shell/device.h"
#include "platform/today/removal.h"

#include <string>

namespace {

const wchar_t* const HOST_CLASS = L"FestivoTodayHost";
const UINT_PTR POLL_TIMER = 1;
const UINT POLL_INTERVAL = 2000;
const UINT_PTR SETTINGS_TIMER = 2;
const UINT SETTINGS_INTERVAL = 250;
// Posted to the host itself: query one item soon (wParam = its window).
const UINT WM_HOST_QUERYITEM = WM_APP + 1;
// The icon's mouse events (lParam = the mouse message).
const UINT WM_HOST_TRAY = WM_APP + 2;

// The theme: a pale sky fading to white, dark text, a deep blue highlight.
const COLORREF THEME_TOP = RGB(196, 216, 242);
const COLORREF THEME_BOTTOM = RGB(252, 253, 255);
const COLORREF THEME_TEXT = RGB(16, 24, 40);
const COLORREF THEME_HIGHLIGHT = RGB(30, 84, 168);
const COLORREF THEME_HIGHLIGHTEDTEXT = RGB(255, 255, 255);
const COLORREF THEME_BAND = RGB(30, 60, 110);

TRIVERTEX Vertex(int x, int y, COLORREF colour)
{
    TRIVERTEX v = {};
    v.x = x;
    v.y = y;
    v.Red = static_cast<COLOR16>(GetRValue(colour) << 8);
    v.Green = static_cast<COLOR16>(GetGValue(colour) << 8);
    v.Blue = static_cast<COLOR16>(GetBValue(colour) << 8);
    return v;
}

// Every value of the key, names, types and data one after another.
std::vector<BYTE> ReadValues(HKEY key)
{
    std::vector<BYTE> all;
    DWORD longestName = 0;
    DWORD longestData = 0;
    if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &longestName,
                         &longestData, nullptr, nullptr) != ERROR_SUCCESS)
        return all;
    std::vector<wchar_t> name(longestName + 1);
    std::vector<BYTE> data(longestData + 1);
    for (DWORD i = 0;; i++)
    {
        DWORD nameLength = static_cast<DWORD>(name.size());
        DWORD type = 0;
        DWORD size = static_cast<DWORD>(data.size());
        LONG result = RegEnumValueW(key, i, name.data(), &nameLength, nullptr, &type, data.data(), &size);
        if (result == ERROR_NO_MORE_ITEMS)
            break;
        if (result != ERROR_SUCCESS)
        {
            // Written meanwhile: a value that does not fit counts as a change.
            all.push_back(0xFF);
            continue;
        }
        const BYTE* nameBytes = reinterpret_cast<const BYTE*>(name.data());
        all.insert(all.end(), nameBytes, nameBytes + (nameLength + 1) * sizeof(wchar_t));
        const BYTE* typeBytes = reinterpret_cast<const BYTE*>(&type);
        all.insert(all.end(), typeBytes, typeBytes + sizeof(type));
        all.insert(all.end(), data.data(), data.data() + size);
    }
    return all;
}

} // namespace

bool CTodayHost::Create(HINSTANCE instance, bool hidden)
{
    m_instance = instance;
    WNDCLASSW wc = {};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.lpszClassName = HOST_CLASS;
    RegisterClassW(&wc);
    m_window = CreateWindowExW(0, HOST_CLASS, L"Today", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX |
                               WS_CLIPCHILDREN, CW_USEDEFAULT, CW_USEDEFAULT, 240, 320, nullptr, nullptr, instance,
                               this);
    if (!m_window)
        return false;
    DevicePlacePanelWindow(m_window);
    // Without a notification area a hidden screen could never be shown: it starts shown then.
    if (hidden && m_tray.IsAdded())
        return true;
    ShowWindow(m_window, SW_SHOWNORMAL);
    UpdateWindow(m_window);
    return true;
}

LRESULT CALLBACK CTodayHost::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE)
    {
        auto* host = static_cast<CTodayHost*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        host->m_window = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(host));
    }
    auto* host = reinterpret_cast<CTodayHost*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    return host ? host->OnMessage(message, wParam, lParam) : DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CTodayHost::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    // The installer is about to remove the programs: the Today screen ends, wherever it lives.
    if (message == CloseForRemovalMessage())
    {
        DestroyWindow(m_window);
        return 0;
    }
    switch (message)
    {
    case WM_CREATE:
        OnCreate();
        return 0;
    case WM_CLOSE:
        OnClose();
        return 0;
    case WM_HOST_TRAY:
        OnTrayEvent(static_cast<UINT>(LOWORD(lParam)));
        return 0;
    case WM_DESTROY:
        OnDestroy();
        PostQuitMessage(0);
        return 0;
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_SIZE:
        Layout();
        return 0;
    case WM_TIMER:
        if (wParam == SETTINGS_TIMER)
            OnSettingsTimer();
        else
            OnTimer();
        return 0;
    case WM_KEYDOWN:
        OnKey(static_cast<int>(wParam));
        return 0;
    case WM_LBUTTONDOWN:
        Select(-1, 0);
        return 0;
    case WM_COMMAND:
        OnCommand(LOWORD(wParam));
        return 0;
    case WM_HOST_QUERYITEM:
        Query(false, reinterpret_cast<HWND>(wParam));
        return 0;
    case TODAYM_GETCOLOR:
        switch (wParam)
        {
        case TODAYCOLOR_TEXT: return THEME_TEXT;
        case TODAYCOLOR_HIGHLIGHT: return THEME_HIGHLIGHT;
        case TODAYCOLOR_HIGHLIGHTEDTEXT: return THEME_HIGHLIGHTEDTEXT;
        default: return 0;
        }
    case TODAYM_DRAWWATERMARK:
        return DrawWatermark(reinterpret_cast<const TODAYDRAWWATERMARKINFO*>(lParam));
    case TODAYM_TOOKSELECTION:
        OnTookSelection(reinterpret_cast<HWND>(wParam));
        return 0;
    case TODAYM_REQUESTREFRESH:
        OnRequestRefresh(reinterpret_cast<HWND>(wParam));
        return 0;
    default:
        if (message == m_taskbarCreated && m_taskbarCreated)
        {
            m_tray.Restore();
            return 0;
        }
        return DefWindowProcW(m_window, message, wParam, lParam);
    }
}

void CTodayHost::OnCreate()
{
    LOGFONTW font = {};
    GetObjectW(DeviceGetStockObject(SYSTEM_FONT), sizeof(font), &font);
    font.lfWeight = FW_BOLD;
    m_dateFont = CreateFontIndirectW(&font);
    m_dateHeight = DeviceScale(24);
    CreateItems();
    BuildMenu();
    SetTimer(m_window, POLL_TIMER, POLL_INTERVAL, nullptr);
    m_settingsChanged = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    WatchSettings();
    if (m_settingsKey)
        m_settingsSeen = ReadValues(m_settingsKey);
    SetTimer(m_window, SETTINGS_TIMER, SETTINGS_INTERVAL, nullptr);
    m_itemsWatch.Start();
    m_taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
    HICON icon = static_cast<HICON>(LoadImageW(m_instance, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                               GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    m_tray.Add(m_window, icon ? icon : LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION)), WM_HOST_TRAY);
    UpdateTip();
}

void CTodayHost::OnDestroy()
{
    m_tray.Remove();
    m_itemsWatch.Stop();
    KillTimer(m_window, POLL_TIMER);
    KillTimer(m_window, SETTINGS_TIMER);
    if (m_settingsKey)
        RegCloseKey(m_settingsKey);
    m_settingsKey = nullptr;
    if (m_settingsChanged)
        CloseHandle(m_settingsChanged);
    m_settingsChanged = nullptr;
    DestroyItems();
    FreeItems(m_items);
    DeleteObject(m_dateFont);
}

void CTodayHost::CreateItems()
{
    m_items = LoadRegisteredItems();
    for (CHostedItem& item : m_items)
        CreateItemWindow(item);
    Query(true, nullptr);
}

void CTodayHost::CreateItemWindow(CHostedItem& item)
{
    item.record.cyp = 0;
    item.record.hwndCustom = item.initialize(&item.record, m_window);
}

void CTodayHost::DestroyItems()
{
    for (CHostedItem& item : m_items)
    {
        if (item.record.hwndCustom)
            DestroyWindow(item.record.hwndCustom);
        item.record.hwndCustom = nullptr;
    }
    m_selected = -1;
}

void CTodayHost::RecreateItems()
{
    for (CHostedItem& item : m_items)
    {
        if (item.record.hwndCustom)
            DestroyWindow(item.record.hwndCustom);
        CreateItemWindow(item);
    }
    if (m_selected >= 0)
    {
        HWND selected = m_items[static_cast<size_t>(m_selected)].record.hwndCustom;
        if (selected)
            SendMessageW(selected, WM_TODAYCUSTOM_RECEIVEDSELECTION, 0, 0);
        else
            m_selected = -1;
    }
    Query(true, nullptr);
}

void CTodayHost::WatchSettings()
{
    if (m_settingsKey && RegNotifyChangeKeyValue(m_settingsKey, TRUE, REG_NOTIFY_CHANGE_NAME |
                                                 REG_NOTIFY_CHANGE_LAST_SET, m_settingsChanged, TRUE) ==
                             ERROR_SUCCESS)
        return;
    // First use, or the key was deleted under the handle: open it anew.
    if (m_settingsKey)
        RegCloseKey(m_settingsKey);
    m_settingsKey = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, SETTINGS_KEY, 0, nullptr, 0, KEY_READ | KEY_NOTIFY, nullptr,
                        &m_settingsKey, nullptr) != ERROR_SUCCESS)
    {
        m_settingsKey = nullptr;
        return;
    }
    RegNotifyChangeKeyValue(m_settingsKey, TRUE, REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET,
                            m_settingsChanged, TRUE);
}

void CTodayHost::OnSettingsTimer()
{
    // The open options dialog runs on its item's library, and the item is used after it: registrations
    // changed meanwhile are taken up once it is closed.
    if (!m_optionsOpen && m_itemsWatch.Changed())
        ReloadItems();
    if (!m_settingsChanged || WaitForSingleObject(m_settingsChanged, 0) != WAIT_OBJECT_0)
        return;
    WatchSettings();
    if (!m_settingsKey || ReadValues(m_settingsKey) == m_settingsSeen)
        return;
    RecreateItems();
    // The items may have written the settings while they were created.
    m_settingsSeen = ReadValues(m_settingsKey);
}

void CTodayHost::BuildMenu()
{
    HMENU bar = CreateMenu();
    HMENU settings = CreatePopupMenu();
    for (size_t i = 0; i < m_items.size(); i++)
    {
        if (!m_items[i].record.fOptions || !m_items[i].options)
            continue;
        std::wstring text = std::wstring(m_items[i].record.szName) + L" options...";
        AppendMenuW(settings, MF_STRING, ID_OPTIONS_FIRST + i, text.c_str());
    }
    if (GetMenuItemCount(settings) > 0)
        AppendMenuW(settings, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(settings, MF_STRING, ID_EXIT, L"Exit");
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(settings), L"Settings");
    SetMenu(m_window, bar);
}

void CTodayHost::Query(bool force, HWND only)
{
    bool changed = force;
    for (CHostedItem& item : m_items)
    {
        HWND window = item.record.hwndCustom;
        if (!window || (only && window != only))
            continue;
        if (SendMessageW(window, WM_TODAYCUSTOM_QUERYREFRESHCACHE, reinterpret_cast<WPARAM>(&item.record), 0))
        {
            changed = true;
            InvalidateRect(window, nullptr, FALSE);
        }
    }
    if (changed)
    {
        Layout();
        UpdateTip();
    }
}

void CTodayHost::Layout()
{
    RECT client;
    GetClientRect(m_window, &client);
    int y = m_dateHeight;
    for (CHostedItem& item : m_items)
    {
        if (!item.record.hwndCustom)
            continue;
        int height = static_cast<int>(item.record.cyp);
        SetWindowPos(item.record.hwndCustom, nullptr, 0, y, client.right, height, SWP_NOZORDER | SWP_NOACTIVATE);
        y += height;
    }
    InvalidateRect(m_window, nullptr, FALSE);
}

void CTodayHost::OnTimer()
{
    // The date band follows the clock; the items decide themselves whether they changed.
    RECT band = {0, 0, 0, m_dateHeight};
    GetClientRect(m_window, &band);
    band.bottom = m_dateHeight;
    InvalidateRect(m_window, &band, FALSE);
    Query(false, nullptr);
}

int CTodayHost::FindItem(HWND window) const
{
    for (size_t i = 0; i < m_items.size(); i++)
        if (m_items[i].record.hwndCustom == window)
            return static_cast<int>(i);
    return -1;
}

void CTodayHost::Select(int index, int key)
{
    if (m_selected == index)
        return;
    if (m_selected >= 0)
    {
        HWND previous = m_items[static_cast<size_t>(m_selected)].record.hwndCustom;
        SendMessageW(previous, WM_TODAYCUSTOM_LOSTSELECTION, 0, 0);
        InvalidateRect(previous, nullptr, FALSE);
    }
    m_selected = index;
    if (index >= 0)
    {
        HWND next = m_items[static_cast<size_t>(index)].record.hwndCustom;
        SendMessageW(next, WM_TODAYCUSTOM_RECEIVEDSELECTION, static_cast<WPARAM>(key), 0);
        InvalidateRect(next, nullptr, FALSE);
    }
}

void CTodayHost::OnKey(int key)
{
    if (key == VK_RETURN)
    {
        // The loop has already queued this key's character: a menu the item opens would take it for a
        // choice of nothing and close before the user sees it.
        MSG pending;
        if (PeekMessageW(&pending, m_window, WM_CHAR, WM_CHAR, PM_NOREMOVE) && pending.wParam == L'\r')
            PeekMessageW(&pending, m_window, WM_CHAR, WM_CHAR, PM_REMOVE);
        if (m_selected >= 0)
            SendMessageW(m_items[static_cast<size_t>(m_selected)].record.hwndCustom, WM_TODAYCUSTOM_ACTION,
                         VK_RETURN, 0);
        return;
    }
    if (key != VK_UP && key != VK_DOWN)
        return;
    if (m_selected >= 0 && SendMessageW(m_items[static_cast<size_t>(m_selected)].record.hwndCustom,
                                        WM_TODAYCUSTOM_USERNAVIGATION, static_cast<WPARAM>(key), 0))
        return;
    // The item gave the selection up (or none had it): pass it to the next selectable item that way.
    int step = key == VK_DOWN ? 1 : -1;
    int count = static_cast<int>(m_items.size());
    int next = m_selected >= 0 ? m_selected + step : (step > 0 ? 0 : count - 1);
    while (next >= 0 && next < count &&
           (!m_items[static_cast<size_t>(next)].record.hwndCustom || !m_items[static_cast<size_t>(next)].selectability))
        next += step;
    Select(next >= 0 && next < count ? next : -1, key);
}

void CTodayHost::OnTookSelection(HWND item)
{
    int index = FindItem(item);
    if (index < 0)
        return;
    if (m_selected >= 0 && m_selected != index)
    {
        HWND previous = m_items[static_cast<size_t>(m_selected)].record.hwndCustom;
        SendMessageW(previous, WM_TODAYCUSTOM_LOSTSELECTION, 0, 0);
        InvalidateRect(previous, nullptr, FALSE);
    }
    m_selected = index;
    InvalidateRect(item, nullptr, FALSE);
    SetFocus(m_window);
}

void CTodayHost::OnRequestRefresh(HWND item)
{
    PostMessageW(m_window, WM_HOST_QUERYITEM, reinterpret_cast<WPARAM>(item), 0);
}

void CTodayHost::OnCommand(int id)
{
    if (id == ID_EXIT)
    {
        DestroyWindow(m_window);
        return;
    }
    if (id == ID_TRAY_SHOW_ALWAYS)
    {
        ShowScreen(true);
        return;
    }
    if (id == ID_TRAY_SHOW)
    {
        ShowScreen(!IsWindowVisible(m_window) || IsIconic(m_window));
        return;
    }
    size_t index = static_cast<size_t>(id - ID_OPTIONS_FIRST);
    if (id < ID_OPTIONS_FIRST || index >= m_items.size() || !m_items[index].options)
        return;
    CHostedItem& item = m_items[index];
    m_optionsOpen = true;
    INT_PTR result = DialogBoxParamW(item.library, MAKEINTRESOURCEW(500), m_window,
                                     item.options, 0);
    m_optionsOpen = false;
    if (result != IDOK)
        return;
    // The item takes its new settings when its window is created again; a selected item is told that
    // it lost the selection first, so that the new window does not show a selection the host forgot.
    if (m_selected == static_cast<int>(index))
        Select(-1, 0);
    if (item.record.hwndCustom)
        DestroyWindow(item.record.hwndCustom);
    CreateItemWindow(item);
    Query(true, nullptr);
}

void CTodayHost::DrawBackground(HDC dc, const RECT& rect, int offsetY)
{
    RECT client;
    GetClientRect(m_window, &client);
    int saved = SaveDC(dc);
    IntersectClipRect(dc, rect.left, rect.top, rect.right, rect.bottom);
    TRIVERTEX vertices[2] = {Vertex(rect.left, m_dateHeight - offsetY, THEME_TOP),
                             Vertex(rect.right, client.bottom - offsetY, THEME_BOTTOM)};
    GRADIENT_RECT gradient = {0, 1};
    GradientFill(dc, vertices, 2, &gradient, 1, GRADIENT_FILL_RECT_V);
    RestoreDC(dc, saved);
}

BOOL CTodayHost::DrawWatermark(const TODAYDRAWWATERMARKINFO* info)
{
    if (!info || !info->hdc)
        return FALSE;
    POINT origin = {0, 0};
    MapWindowPoints(info->hwnd, m_window, &origin, 1);
    DrawBackground(info->hdc, info->rc, origin.y);
    return TRUE;
}

void CTodayHost::OnPaint()
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(m_window, &ps);
    RECT client;
    GetClientRect(m_window, &client);
    RECT band = {0, 0, client.right, m_dateHeight};
    HBRUSH brush = CreateSolidBrush(THEME_BAND);
    FillRect(dc, &band, brush);
    DeleteObject(brush);
    wchar_t date[100] = {};
    GetDateFormatW(LOCALE_USER_DEFAULT, DATE_LONGDATE, nullptr, nullptr, date, 100);
    HGDIOBJ previous = SelectObject(dc, m_dateFont);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(255, 255, 255));
    RECT text = band;
    text.left += DeviceScale(6);
    DrawTextW(dc, date, -1, &text, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
    SelectObject(dc, previous);
    RECT rest = {0, m_dateHeight, client.right, client.bottom};
    DrawBackground(dc, rest, 0);
    EndPaint(m_window, &ps);
}
