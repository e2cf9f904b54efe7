// CTodayItem: the one Today item of the plug-in, its window, resources, drawing and selection.
#pragma once

#include "common/backbuffer.h"
#include "core/array.h"
#include "core/str.h"
#include "data/burst.h"
#include "data/calendar.h"
#include "platform/today/today.h"

#include <windows.h>

class CDataList;
class CDataItem;
class CZrsPackage;
class CPopupListBox;
class CStrList;
class CReminder;
class CReminders;
class CGivenReminders;

// Posted to the item window by the first store notification of a burst.
const UINT WM_ITEM_RELOAD = WM_APP + 2;

// The item window's timer that wakes it at the time of day reminders become due.
const UINT REMIND_TIMER = 0x5245;

// Picture index of the header line; 0 to 12 are the event kinds.
const int HEADER_PICTURE = 13;
const int PICTURE_COUNT = 14;
// Lines under the header that say why the item shows no event.
const int EMPTY_TEXT_LINES = 2;

class CTodayItem
{
public:
    virtual ~CTodayItem() = default;

    virtual void OnCreate();
    virtual void OnDestroy();
    virtual void OnPaint(HDC* buffer);
    virtual void OnCommand(int id, int code, LPARAM lParam);
    virtual BOOL OnQueryRefreshCache(TODAYLISTITEM* record);
    virtual void OnClearCache();
    virtual void OnAction(int key);
    virtual BOOL OnUserNavigation(int key);
    virtual BOOL OnReceivedSelection(int key);
    virtual void OnLostSelection();

    void OnTap(int x, int y);
    // A right click on the desktop: the tap-and-hold of the handheld, at once.
    void OnContextTap(int x, int y);
    // A double tap selects the line and carries out its main action.
    void OnDoubleTap(int y);
    // The main action of the selected line: open the contact, or on the header open Festivo.
    int MainCommand() const;
    // A store notification: the reload waits until the burst it belongs to is in.
    void OnStoreNotification();
    void OnStoreChanged();
    void ShowPopupMenu(POINT screen);
    // Reads the events of the period and keeps the birthdays calendar in step with the address book.
    void LoadEvents(const CTime& now);
    // The shown lines as text, one per line, for the desktop host's tooltip.
    LRESULT OnSummary(wchar_t* buffer, int capacity);
    void ResizeBackBuffer(int width, int height);
    // Why no event is shown (no address book, an unreadable one, no dates in it); empty while events are shown.
    void GetEmptyText(CStr& out) const;
    int GetEmptyLines() const;
    void DrawEmptyText(HDC dc, COLORREF colour);
    // Whether another address book was chosen since the last call (the main program's options).
    bool TakeBookChoiceChange();

    // Reminders: collected by every load, given as a notification from their time of day.
    void StartReminders();
    void StopReminders();
    void CheckReminders();
    bool OnReminderCommand(int id);
    void OnReminderTimer();

    // Library attach and detach.
    void RegisterItemClass(HINSTANCE instance);
    void UnregisterItemClass();
    HWND CreateItemWindow(TODAYLISTITEM* record, HWND parent);

    HINSTANCE instance;
    HWND window;
    BYTE heightReported;
    CTime lastLoadDate;
    HFONT normalFont;
    HFONT boldFont;
    int lineHeight;
    int selectedLine;
    CDataList* events;
    CZrsPackage* package;
    HBITMAP pictures[PICTURE_COUNT];
    HBITMAP masks[PICTURE_COUNT];
    CBackBuffer buffer;
    CPopupListBox* openPopup;
    CReloadBurst reloads{WM_ITEM_RELOAD};
    CStr chosenBook;
    CReminders* reminders;
    CGivenReminders* givenReminders;
    // The lines of the notification that is up (empty when none) and the contact its Open shows.
    CStr notificationLines;
    LONG notifiedOid;
    bool notifiedAnniversary;

private:
    void CreateFonts();
    void LoadPictures();
    void FreeResources();
    void Repaint();
    void SelectTapped(int y);
    void StartMainProgram();
    void GiveNotification(CArray<CReminder*>& due);
    void RemoveNotification();
    void OpenContact();
    const CDataItem* SelectedEvent() const;
    void DrawLine(HDC dc, HDC memory, int line, int picture, HFONT font, const wchar_t* lead,
                  const wchar_t* name, const wchar_t* tail, COLORREF colour);
};

// The library's one item.
extern CTodayItem g_item;

LRESULT CALLBACK ItemWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The current local date and time of the item; a test may stand in for the clock.
void ItemNow(CTime& now);
// The screen's horizontal dots per inch, read once for the life of the library (-1 without a screen).
int ItemDpi();
// A length written for 96 dpi at the item's resolution.
int ItemScale(int n);
// The program folder (APPPATH, with its trailing backslash) followed by file.
void MakeAppPath(const wchar_t* file, CStr& out);

// The popup list of several numbers or addresses, hosted in the library's dialog 104.
BOOL PickFromList(HINSTANCE instance, HWND owner, CPopupListBox** openPopup, int* chosen, const wchar_t* title,
                  CStrList* strings);
