// CDataList: the events of the contact store, with their order, split, filter and reference date.
#pragma once

#include "core/array.h"
#include "core/str.h"
#include "core/textpool.h"
#include "data/calendar.h"
#include "data/dataitem.h"
#include "data/settings.h"

#include <memory>
#include <vector>

#include <windows.h>

struct CCalendarEvent;
struct IPOutlookApp2;
class CReminders;

class CDataList
{
public:
    CDataList();
    ~CDataList();
    CDataList(const CDataList&) = delete;
    CDataList& operator=(const CDataList&) = delete;

    // Reads the settings, connects to the contact store and asks for change notifications to window.
    HRESULT Open(HWND window);
    void Close();

    // Main program: every event, ordered by SortOrder, with the view rebuilt.
    void Load();
    // Today plug-in: events of the coming TodayMaxMonth months, nearest first, counted from today.
    void LoadUpcoming();
    void LoadUpcoming(const CTime& today);
    void Clear();
    // Every later LoadUpcoming also offers each event it reads to reminders (not owned; null stops it).
    void SetReminders(CReminders* reminders) { m_reminders = reminders; }
    // Every event a load reads, before the Today item's period narrows them, also goes to sink (null: none).
    void SetEventSink(std::vector<CCalendarEvent>* sink) { m_sink = sink; }
    // True when the last load read the whole address book into the sink; false when it could not be read.
    bool IsSinkFilled() const { return m_sinkFilled; }
    // True when the last load was Load and read the whole address book: its events are every event there is.
    bool HoldsEveryEvent() const { return m_everyEvent; }

    uint32_t GetCount() const;
    CDataItem* GetItem(uint32_t index) const;
    uint32_t GetTotalCount() const { return m_items.GetCount(); }
    // Event index of all GetTotalCount, whatever the view shows.
    const CDataItem* GetEvent(uint32_t index) const { return m_items.At(index); }
    // Event index of all GetTotalCount in the order the load read them, which is the order they lie in
    // memory: a pass over every event that does not depend on their order reads memory front to back.
    const CDataItem* GetEventAsRead(uint32_t index) const;
    uint32_t GetShownCount() const;
    int GetDaysLeft(const CDataItem* item) const;
    // Age reached at the occurrence the days left count to; NO_AGE when the year is unknown.
    int GetAge(const CDataItem* item) const;
    // The view position of this contact's event of the same sort (birthday or anniversary), else of
    // any of its events, else -1.
    int FindInView(LONG oid, bool anniversary) const;

    // Order and split are saved at once; false when the settings could not be saved.
    bool Sort(int order);
    bool SetSplit(int mode, int period);
    // Saves the settings as the main program has them, with the Today item's own values read afresh.
    bool Save();
    void SetFilter(const wchar_t* text);
    void ClearFilter();
    void BuildView();
    void SetReference(const CTime& date);
    void GoToToday();

    const CTime& GetReference() const { return m_reference; }
    const CStr& GetFilter() const { return m_filter; }
    CSettings& GetSettings() { return m_settings; }
    const CSettings& GetSettings() const { return m_settings; }
    IPOutlookApp2* GetStore() const { return m_store; }
    // The address book the last load could not read, as the store names it; empty after a good load.
    const CStr& GetUnreadableBook() const { return m_unreadableBook; }
    // Why it could not be read, in the system's words; empty when the system gave no reason.
    const CStr& GetUnreadableReason() const { return m_unreadableReason; }
    // Events the last load found in the address book, also those it left out for their date.
    uint32_t GetDatesInBook() const { return m_datesInBook; }

private:
    // Reads every event of the store; with a limit, only those whose next occurrence is not after it.
    void ReadEvents(const CTime* today, const CTime* limit);
    // Takes the store's description of the address book it could not read.
    void NoteUnreadableBook(HRESULT failure);
    // An event of the contact named name (length characters); *kept is the name's copy in the list's names,
    // made by the contact's first event that is kept (null until then).
    void AddEvent(LONG oid, const wchar_t* name, size_t length, const wchar_t** kept, DATE date, int kind,
                  const CTime* today, const CTime* limit);
    // A new event in the current block of events, which holds many: one allocation for many events.
    CDataItem* NewItem();
    static const uint32_t EVENTS_PER_BLOCK = 1024;
    void Order(int order, const CTime& reference);
    bool Passes(const CDataItem* item) const;

    IPOutlookApp2* m_store;
    CArray<CDataItem*> m_items;
    // The events m_items points to, made block by block; the last block is filled up to m_blockUsed.
    std::vector<std::unique_ptr<CDataItem[]>> m_blocks;
    uint32_t m_blockUsed = 0;
    // The events' names, one copy per contact in a few large blocks: a string of its own per event cost more
    // to make and to free than the rest of the load.
    CTextPool m_names;
    CArray<int>* m_view;
    CStr m_filter;
    CTime m_reference;
    CSettings m_settings;
    CStr m_unreadableBook;
    CStr m_unreadableReason;
    uint32_t m_datesInBook;
    CReminders* m_reminders;
    std::vector<CCalendarEvent>* m_sink = nullptr;
    bool m_sinkFilled = false;
    bool m_everyEvent = false;
};
