// The Today screen living in the notification area: show and hide, close to the icon, tooltip, items added later.
#include "tools/todayhost/host.h"

void CTodayHost::ShowScreen(bool show)
{
    if (!show)
    {
        ShowWindow(m_window, SW_HIDE);
        return;
    }
    ShowWindow(m_window, IsIconic(m_window) ? SW_RESTORE : SW_SHOW);
    SetForegroundWindow(m_window);
}

void CTodayHost::OnClose()
{
    // With its icon the screen goes on running there; Exit in the icon's menu ends it.
    if (m_tray.IsAdded())
        ShowScreen(false);
    else
        DestroyWindow(m_window);
}

void CTodayHost::OnTrayEvent(UINT mouseMessage)
{
    switch (mouseMessage)
    {
    case WM_LBUTTONUP:
        ShowScreen(!IsWindowVisible(m_window) || IsIconic(m_window));
        break;
    case WM_RBUTTONUP:
    case WM_CONTEXTMENU:
        m_tray.ShowMenu(IsWindowVisible(m_window) && !IsIconic(m_window));
        break;
    default:
        break;
    }
}

void CTodayHost::UpdateTip()
{
    static const UINT summary = RegisterWindowMessageW(TODAY_SUMMARY_MESSAGE);
    std::wstring tip = L"Today";
    for (const CHostedItem& item : m_items)
    {
        if (!item.record.hwndCustom)
            continue;
        wchar_t text[512] = {};
        LRESULT length = SendMessageW(item.record.hwndCustom, summary, ARRAYSIZE(text),
                                      reinterpret_cast<LPARAM>(text));
        if (length > 0 && length < static_cast<LRESULT>(ARRAYSIZE(text)))
            tip += L"\n" + std::wstring(text, static_cast<size_t>(length));
    }
    m_tray.SetTip(tip);
}

void CTodayHost::ReloadItems()
{
    // The libraries are freed after their windows are gone, and loaded again with the new registrations.
    DestroyItems();
    FreeItems(m_items);
    CreateItems();
    BuildMenu();
    UpdateTip();
}
