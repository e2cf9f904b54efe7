// The desktop's Today screen: a window of the device screen's size hosting the registered Today items.
#pragma once

#include "platform/today/today.h"
#include "tools/todayhost/itemswatch.h"
#include "tools/todayhost/tray.h"

#include <windows.h>
#include <functional>
#include <vector>

// The Settings menu's command for the options of the item at index i.
const int ID_OPTIONS_FIRST = 1000;

// One registered item: its record, its library and its window.
struct CHostedItem
{
    TODAYLISTITEM record;
    HMODULE library;
    PFNCUSTOMINITIALIZEITEM initialize;
    PFNCUSTOMOPTIONSDLGPROC options;
    int selectability;
};

// Calls visit with the items key and the name of each item registered below it; false when there is no such key.
bool ForEachRegisteredItem(const std::function<void(HKEY items, const wchar_t* name)>& visit);
// Reads the items registered below HKEY_LOCAL_MACHINE, in their order; each enabled one is loaded.
std::vector<CHostedItem> LoadRegisteredItems();
void FreeItems(std::vector<CHostedItem>& items);

class CTodayHost
{
public:
    // hidden: only the icon in the notification area shows, as when started at log-on.
    bool Create(HINSTANCE instance, bool hidden = false);
    HWND GetWindow() const { return m_window; }
    const CHostTray& GetTray() const { return m_tray; }
    // Shows the window (restored and in front), or hides it in the notification area.
    void ShowScreen(bool show);

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);

    void OnCreate();
    void OnDestroy();
    void OnPaint();
    void OnTimer();
    void OnKey(int key);
    void OnCommand(int id);
    void OnClose();
    void OnTrayEvent(UINT mouseMessage);
    // The tooltip: the items' own summaries of their lines.
    void UpdateTip();
    // Items registered, changed or removed since the last look: all of them loaded again.
    void ReloadItems();
    void OnTookSelection(HWND item);
    void OnRequestRefresh(HWND item);
    BOOL DrawWatermark(const TODAYDRAWWATERMARKINFO* info);

    void CreateItems();
    void DestroyItems();
    // Creates every item window again, as the device does after a settings change; the selected item
    // keeps the selection.
    void RecreateItems();
    // Arms the change notification of the items' settings key.
    void WatchSettings();
    void OnSettingsTimer();
    void CreateItemWindow(CHostedItem& item);
    // Asks every item (or one) for its height; lays all items out again when one has changed.
    void Query(bool force, HWND only);
    void Layout();
    int FindItem(HWND window) const;
    void Select(int index, int key);
    void BuildMenu();
    void DrawBackground(HDC dc, const RECT& rect, int offsetY);

    HINSTANCE m_instance = nullptr;
    HWND m_window = nullptr;
    HFONT m_dateFont = nullptr;
    int m_dateHeight = 0;
    int m_selected = -1;
    std::vector<CHostedItem> m_items;
    HKEY m_settingsKey = nullptr;
    HANDLE m_settingsChanged = nullptr;
    // The settings as the items were created with them: a write of the same values changes nothing.
    std::vector<BYTE> m_settingsSeen;
    CHostTray m_tray;
    CItemsWatch m_itemsWatch;
    UINT m_taskbarCreated = 0;
    bool m_optionsOpen = false;
};
