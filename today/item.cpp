// The item window: class registration, creation, the window procedure, resources and the refresh policy.
#include "today/todayitem.h"

#include "core/registry.h"
#include "data/datalist.h"
#include "data/settings.h"
#include "common/popuplist.h"
#include "package/pictures.h"
#include "package/zrs.h"
#include "platform/shell/device.h"
#include "platform/store/contactstore.h"

#include <objbase.h>

namespace {

const wchar_t* const ITEM_CLASS = L"FestivoTodayPPC";

int g_dpi = 0;

bool SameDate(const CTime& a, const CTime& b)
{
    return a.GetYear() == b.GetYear() && a.GetMonth() == b.GetMonth() && a.GetDay() == b.GetDay();
}

} // namespace

int ItemDpi()
{
    if (g_dpi == 0)
    {
        int dpi = DeviceScreenDpi();
        g_dpi = dpi > 0 ? dpi : -1;
    }
    return g_dpi;
}

int ItemScale(int n)
{
    int dpi = ItemDpi() > 0 ? ItemDpi() : 96;
    return (n * dpi + 48) / 96;
}

void MakeAppPath(const wchar_t* file, CStr& out)
{
    CVelaRegistry key;
    key.Open(SETTINGS_KEY);
    CStr folder;
    if (!key.ReadString(L"APPPATH", folder))
        folder = L"";
    key.Close();
    folder.SetFixedSize(0);
    folder.Append(file);
    out = folder;
}

void CTodayItem::RegisterItemClass(HINSTANCE module)
{
    UnregisterItemClass();
    instance = module;
    WNDCLASSW wc = {};
    wc.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
    wc.lpfnWndProc = ItemWindowProc;
    wc.hInstance = module;
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH));
    wc.lpszClassName = ITEM_CLASS;
    RegisterClassW(&wc);
}

void CTodayItem::UnregisterItemClass()
{
    if (instance)
        UnregisterClassW(ITEM_CLASS, instance);
    instance = nullptr;
    window = nullptr;
    heightReported = 0;
    normalFont = boldFont = nullptr;
    lineHeight = 0;
    events = nullptr;
    package = nullptr;
    selectedLine = -1;
    reloads.Reset();
    reminders = nullptr;
    givenReminders = nullptr;
    notificationLines.Empty();
    for (int i = 0; i < PICTURE_COUNT; i++)
        pictures[i] = masks[i] = nullptr;
}

HWND CTodayItem::CreateItemWindow(TODAYLISTITEM* record, HWND parent)
{
    if (!record || !record->fEnabled)
        return nullptr;
    HWND created = CreateWindowExW(0, ITEM_CLASS, ITEM_CLASS, WS_CHILD, CW_USEDEFAULT, CW_USEDEFAULT, 240, 0, parent,
                                   nullptr, instance, this);
    window = created;
    if (created)
        ShowWindow(created, SW_SHOWNORMAL);
    return created;
}

void CTodayItem::OnCreate()
{
    // A window made again within one load of the library starts afresh: no height reported yet, no
    // selection (the host gives it none), no reload waiting.
    heightReported = 0;
    selectedLine = -1;
    reloads.Reset();
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    ItemNow(lastLoadDate);
    CreateFonts();

    CStr path;
    MakeAppPath(L"festivo.zrs", path);
    package = new CZrsPackage();
    // A package that cannot be opened leaves the lines without pictures.
    package->Open(path);
    LoadPictures();

    events = new CDataList();
    events->Open(window);
    TakeBookChoiceChange();
    StartReminders();
    events->SetReminders(reminders);
    LoadEvents(lastLoadDate);
    CheckReminders();
}

void CTodayItem::CreateFonts()
{
    LOGFONTW font = {};
    GetObjectW(DeviceGetStockObject(SYSTEM_FONT), sizeof(font), &font);
    int language = PRIMARYLANGID(GetSystemDefaultLangID());
    int points = (language == LANG_CHINESE || language == LANG_JAPANESE || language == LANG_KOREAN) ? 9 : 8;
    int dpi = ItemDpi() > 0 ? ItemDpi() : 96;
    font.lfHeight = -static_cast<LONG>(dpi * points / 72.0 + 0.5);
    font.lfWidth = 0;
    normalFont = CreateFontIndirectW(&font);
    font.lfWeight = FW_BOLD;
    boldFont = CreateFontIndirectW(&font);

    HDC screen = GetDC(nullptr);
    HGDIOBJ previous = SelectObject(screen, normalFont);
    TEXTMETRICW tm = {};
    GetTextMetricsW(screen, &tm);
    SelectObject(screen, previous);
    ReleaseDC(nullptr, screen);
    lineHeight = static_cast<int>(1.4 * (tm.tmHeight + tm.tmExternalLeading + (dpi + 48) / 96));
    if (lineHeight < 1)
        lineHeight = 1;
}

void CTodayItem::LoadPictures()
{
    // The device's small icons are 16 pixels at 96 dpi and grow with the screen's resolution.
    uint32_t step = PictureSizeStep(ItemScale(16));
    for (int i = 0; i < PICTURE_COUNT; i++)
    {
        uint32_t key = i < EVENT_PICTURE_COUNT ? SMALL_PICTURE_KEYS[i] : SMALL_HEADER_PICTURE_KEY;
        pictures[i] = package->LoadBitmap(key + step);
        masks[i] = package->LoadBitmap(key + step + 1);
    }
}

void CTodayItem::OnDestroy()
{
    FreeResources();
    buffer.Release();
    CoUninitialize();
}

void CTodayItem::FreeResources()
{
    StopReminders();
    DeleteObject(normalFont);
    DeleteObject(boldFont);
    normalFont = boldFont = nullptr;
    for (int i = 0; i < PICTURE_COUNT; i++)
    {
        DeleteObject(pictures[i]);
        DeleteObject(masks[i]);
        pictures[i] = masks[i] = nullptr;
    }
    delete package;
    package = nullptr;
    if (events)
        events->Close();
    delete events;
    events = nullptr;
}

void CTodayItem::ResizeBackBuffer(int width, int height)
{
    // An item that never had a size has no buffer and paints nothing.
    if (width == buffer.Width() && height == buffer.Height())
        return;
    buffer.Fit(window, width, height);
}

BOOL CTodayItem::OnQueryRefreshCache(TODAYLISTITEM* record)
{
    CTime now;
    ItemNow(now);
    if (!events || !record)
        return FALSE;
    // The whole date: a day of the month alone repeats a month later.
    bool sameDay = SameDate(lastLoadDate, now);
    // Another address book chosen: the store reads it from the next load on.
    bool otherBook = TakeBookChoiceChange();
    if (heightReported && record->cyp != 0 && sameDay && !otherBook)
        return FALSE;
    if (!sameDay || otherBook)
    {
        LoadEvents(now);
        lastLoadDate = now;
        CheckReminders();
    }
    record->cyp = static_cast<DWORD>(lineHeight * static_cast<int>(events->GetShownCount() + 1 + GetEmptyLines()));
    heightReported = 1;
    return TRUE;
}

void CTodayItem::OnClearCache()
{
    heightReported = 0;
    if (openPopup && openPopup->GetWindow())
        EndDialog(GetParent(openPopup->GetWindow()), 2);
}

// A sync sends one message per changed contact: the whole burst is answered by one reload after it.
void CTodayItem::OnStoreNotification()
{
    if (reloads.OnNotification(window))
        OnStoreChanged();
}

void CTodayItem::OnStoreChanged()
{
    reloads.OnReload(window);
    heightReported = 0;
    if (events)
    {
        CTime now;
        ItemNow(now);
        LoadEvents(now);
        CheckReminders();
    }
    SendMessageW(GetParent(window), TODAYM_REQUESTREFRESH, reinterpret_cast<WPARAM>(window), 0);
}

LRESULT CALLBACK ItemWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CREATE)
    {
        auto* item = static_cast<CTodayItem*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(item));
        item->window = hwnd;
        item->OnCreate();
        return 0;
    }
    auto* item = reinterpret_cast<CTodayItem*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!item)
    {
        bool quiet = message == WM_PAINT || message == WM_COMMAND ||
                     (message >= WM_TODAYCUSTOM_CLEARCACHE && message <= WM_TODAYCUSTOM_LOSTSELECTION);
        return quiet ? 0 : DefWindowProcW(hwnd, message, wParam, lParam);
    }
    switch (message)
    {
    case WM_DESTROY:
        item->OnDestroy();
        break;
    case WM_SIZE:
        item->ResizeBackBuffer(LOWORD(lParam), HIWORD(lParam));
        break;
    case WM_PAINT:
    {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        if (item->buffer.DC())
        {
            item->OnPaint(&item->buffer.DC());
            BitBlt(dc, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right - ps.rcPaint.left,
                   ps.rcPaint.bottom - ps.rcPaint.top, item->buffer.DC(), ps.rcPaint.left, ps.rcPaint.top, SRCCOPY);
        }
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_PRINTCLIENT:
        // A picture of the item for whoever asks (a host's snapshot), drawn exactly as painted.
        if (item->buffer.DC())
        {
            item->OnPaint(&item->buffer.DC());
            BitBlt(reinterpret_cast<HDC>(wParam), 0, 0, item->buffer.Width(), item->buffer.Height(), item->buffer.DC(), 0, 0,
                   SRCCOPY);
        }
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_RBUTTONDOWN:
        item->OnContextTap(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
        return 0;
    case WM_COMMAND:
        item->OnCommand(LOWORD(wParam), HIWORD(wParam), lParam);
        return 0;
    case WM_LBUTTONDOWN:
        item->OnTap(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
        break;
    case WM_LBUTTONDBLCLK:
        item->OnDoubleTap(static_cast<short>(HIWORD(lParam)));
        return 0;
    case WM_TODAYCUSTOM_CLEARCACHE:
        item->OnClearCache();
        return 0;
    case WM_TODAYCUSTOM_QUERYREFRESHCACHE:
        return item->OnQueryRefreshCache(reinterpret_cast<TODAYLISTITEM*>(wParam));
    case WM_TODAYCUSTOM_RECEIVEDSELECTION:
        return item->OnReceivedSelection(static_cast<int>(wParam));
    case WM_TODAYCUSTOM_LOSTSELECTION:
        item->OnLostSelection();
        return 0;
    case WM_TODAYCUSTOM_USERNAVIGATION:
        return item->OnUserNavigation(static_cast<int>(wParam));
    case WM_TODAYCUSTOM_ACTION:
        item->OnAction(static_cast<int>(wParam));
        break;
    case WM_ITEM_RELOAD:
        item->OnStoreChanged();
        return 0;
    case WM_TIMER:
        if (wParam != REMIND_TIMER)
            break;
        item->OnReminderTimer();
        return 0;
    default:
        static const UINT summary = RegisterWindowMessageW(TODAY_SUMMARY_MESSAGE);
        if (message == summary)
            return item->OnSummary(reinterpret_cast<wchar_t*>(lParam), static_cast<int>(wParam));
        if (IsStoreNotification(message))
        {
            item->OnStoreNotification();
            return 0;
        }
        break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}
