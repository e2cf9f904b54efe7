// CDataList: connection to the contact store and the loading of events.
#include "data/datalist.h"

#include "data/birthdaycalendar.h"
#include "data/reminders.h"
#include "data/zodiac.h"
#include "platform/store/contactstore.h"

CDataList::CDataList()
    : m_store(nullptr), m_view(nullptr), m_filter(100u), m_datesInBook(0), m_reminders(nullptr)
{
    m_reference.SetToNow();
}

CDataList::~CDataList()
{
    Close();
}

namespace {

HRESULT SetFolderNotifications(IPOutlookApp2* store, ULONG value)
{
    IFolder* folder = nullptr;
    HRESULT hr = store->GetDefaultFolder(olFolderContacts, &folder);
    if (FAILED(hr) || !folder)
        return FAILED(hr) ? hr : E_POINTER;
    IItem* item = nullptr;
    hr = folder->QueryInterface(IID_IItem, reinterpret_cast<void**>(&item));
    if (SUCCEEDED(hr) && item)
    {
        CEPROPVAL prop = {};
        prop.propid = PIMPR_FOLDERNOTIFICATIONS;
        prop.val.ulVal = value;
        hr = item->SetProps(0, 1, &prop);
        item->Release();
    }
    folder->Release();
    return hr;
}

} // namespace

HRESULT CDataList::Open(HWND window)
{
    m_settings.Read();
    IPOutlookApp2* store = nullptr;
    HRESULT hr = CoCreateInstance(CLSID_Application, nullptr, CLSCTX_INPROC_SERVER, IID_IPOutlookApp2,
                                  reinterpret_cast<void**>(&store));
    if (FAILED(hr) || !store)
        return FAILED(hr) ? hr : E_POINTER;
    m_store = store;
    hr = m_store->Logon(reinterpret_cast<LONG_PTR>(window));
    if (FAILED(hr))
        return hr;
    return SetFolderNotifications(m_store, PIMFOLDERNOTIFICATION_ALL);
}

void CDataList::Close()
{
    if (m_store)
    {
        SetFolderNotifications(m_store, PIMFOLDERNOTIFICATION_NONE);
        m_store->Logoff();
        m_store->Release();
        m_store = nullptr;
    }
    Clear();
    delete m_view;
    m_view = nullptr;
}

void CDataList::Clear()
{
    m_items.Delete(0, m_items.GetCount());
    m_blocks.clear();
    m_blockUsed = 0;
    m_names.Clear();
    // The view holds positions into the items just deleted.
    if (m_view)
        m_view->Delete(0, m_view->GetCount());
}

void CDataList::Load()
{
    Clear();
    ReadEvents(nullptr, nullptr);
    Sort(m_settings.SortOrder);
}

void CDataList::LoadUpcoming()
{
    CTime now;
    now.SetToNow();
    LoadUpcoming(now);
}

void CDataList::LoadUpcoming(const CTime& today)
{
    Clear();
    m_reference = today;
    CTime limit(today.GetYear(), today.GetMonth(), today.GetDay(), 0, 0, 0);
    int month = limit.GetMonth() + m_settings.TodayMaxMonth;
    if (month > 12)
    {
        limit.GetYear()++;
        month -= 12;
    }
    limit.GetMonth() = static_cast<uint16_t>(month);
    ClampDay(limit);
    if (m_reminders)
        m_reminders->Begin(today);
    ReadEvents(&today, &limit);
    Order(SORT_BY_DAYS_LEFT, today);
}

void CDataList::NoteUnreadableBook(HRESULT failure)
{
    IErrorInfo* info = nullptr;
    BSTR description = nullptr;
    if (GetErrorInfo(0, &info) == S_OK && info)
    {
        if (FAILED(info->GetDescription(&description)))
            description = nullptr;
        info->Release();
    }
    m_unreadableBook = description && description[0] ? description : L"the address book";
    SysFreeString(description);
    m_unreadableReason.Empty();
    wchar_t* reason = nullptr;
    DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, static_cast<DWORD>(failure), 0, reinterpret_cast<wchar_t*>(&reason), 0, nullptr);
    // The system's text ends in a line break; the reason is shown inside a sentence of ours.
    while (length > 0 && reason && (reason[length - 1] == L'\r' || reason[length - 1] == L'\n' || reason[length - 1] == L' '))
        reason[--length] = 0;
    if (length > 0 && reason)
        m_unreadableReason = reason;
    LocalFree(reason);
}

void CDataList::ReadEvents(const CTime* today, const CTime* limit)
{
    m_unreadableBook.Empty();
    m_unreadableReason.Empty();
    m_datesInBook = 0;
    m_sinkFilled = false;
    m_everyEvent = false;
    if (m_sink)
        m_sink->clear();
    if (!m_store)
        return;
    IFolder* folder = nullptr;
    if (FAILED(m_store->GetDefaultFolder(olFolderContacts, &folder)) || !folder)
        return;
    IPOutlookItemCollection* contacts = nullptr;
    HRESULT read = folder->get_Items(&contacts);
    if (FAILED(read) || !contacts)
    {
        NoteUnreadableBook(FAILED(read) ? read : E_POINTER);
        folder->Release();
        return;
    }
    int count = 0;
    if (FAILED(contacts->get_Count(&count)))
        count = 0;
    // Made once at its size: growing a list of this many events would copy it into fresh memory again and again.
    if (m_sink && count > 0)
        m_sink->reserve(static_cast<size_t>(count) * (m_settings.ShowAnnivasaries ? 2 : 1));
    for (int i = 1; i <= count; i++)
    {
        IContact* contact = nullptr;
        if (FAILED(contacts->Item(i, &contact)) || !contact)
            continue;
        LONG oid = 0;
        if (SUCCEEDED(contact->get_Oid(&oid)))
        {
            BSTR name = nullptr;
            if (FAILED(contact->get_FileAs(&name)))
                name = nullptr;
            const wchar_t* text = name ? name : L"";
            size_t length = name ? SysStringLen(name) : 0;
            const wchar_t* kept = nullptr;
            DATE date = NO_DATE;
            if (SUCCEEDED(contact->get_Birthday(&date)))
                AddEvent(oid, text, length, &kept, date, -1, today, limit);
            date = NO_DATE;
            if (m_settings.ShowAnnivasaries && SUCCEEDED(contact->get_Anniversary(&date)))
                AddEvent(oid, text, length, &kept, date, KIND_ANNIVERSARY, today, limit);
            SysFreeString(name);
        }
        contact->Release();
    }
    contacts->Release();
    folder->Release();
    m_sinkFilled = m_sink != nullptr;
    m_everyEvent = limit == nullptr;
}

CDataItem* CDataList::NewItem()
{
    if (m_blocks.empty() || m_blockUsed == EVENTS_PER_BLOCK)
    {
        m_blocks.emplace_back(new CDataItem[EVENTS_PER_BLOCK]);
        m_blockUsed = 0;
    }
    return &m_blocks.back()[m_blockUsed++];
}

void CDataList::AddEvent(LONG oid, const wchar_t* name, size_t length, const wchar_t** kept, DATE date, int kind,
                         const CTime* today, const CTime* limit)
{
    if (date == NO_DATE)
        return;
    SYSTEMTIME st;
    // A value the platform cannot convert is no date at all.
    if (!DateValueToTime(date, st))
        return;
    CTime when(st);
    m_datesInBook++;
    // Reminders look further ahead than the Today item's period may reach.
    if (m_reminders && today)
        m_reminders->Offer(oid, name, when, kind == KIND_ANNIVERSARY);
    // The calendar's events, also those the Today item's period leaves out, share the list's copy of the name.
    if (m_sink)
    {
        if (!*kept)
            *kept = m_names.Add(name, length);
        m_sink->push_back(CCalendarEvent{oid, *kept, when.GetYear(), when.GetMonth(), when.GetDay(),
                                         kind == KIND_ANNIVERSARY});
    }
    if (limit && DaysBetween(NextOccurrence(*today, when), *limit) > 0)
        return;
    CDataItem* item = NewItem();
    item->date = when;
    if (!*kept)
        *kept = m_names.Add(name, length);
    item->name = *kept;
    item->oid = oid;
    item->kind = kind == KIND_ANNIVERSARY ? KIND_ANNIVERSARY : ZodiacSign(when);
    m_items.Append(item);
}

const CDataItem* CDataList::GetEventAsRead(uint32_t index) const
{
    // Every block but the last is full, and every event made is in m_items.
    AssertText(index < m_items.GetCount(), L"No such event", L"CDataList::GetEventAsRead", __LINE__);
    return &m_blocks[index / EVENTS_PER_BLOCK][index % EVENTS_PER_BLOCK];
}

uint32_t CDataList::GetCount() const
{
    return m_view ? m_view->GetCount() : m_items.GetCount();
}

CDataItem* CDataList::GetItem(uint32_t index) const
{
    return m_view ? m_items.At(static_cast<uint32_t>(m_view->At(index))) : m_items.At(index);
}

uint32_t CDataList::GetShownCount() const
{
    uint32_t lines = m_settings.TodayMaxLines > 0 ? static_cast<uint32_t>(m_settings.TodayMaxLines) : 0;
    return m_items.GetCount() < lines ? m_items.GetCount() : lines;
}

int CDataList::GetDaysLeft(const CDataItem* item) const
{
    return DaysToNextOccurrence(m_reference, item->date);
}

int CDataList::GetAge(const CDataItem* item) const
{
    if (!item->HasYear())
        return NO_AGE;
    // The age reached on the occurrence that the days left count to, never below 0 for dates still ahead.
    int years = YearsBetween(NextOccurrence(m_reference, item->date), item->date);
    if (years < 0)
        return 0;
    if (!m_settings.ShowFutureAge && years != 0)
        return years - 1;
    return years;
}

int CDataList::FindInView(LONG oid, bool anniversary) const
{
    int any = -1;
    for (uint32_t k = 0; k < GetCount(); k++)
    {
        const CDataItem* item = GetItem(k);
        if (item->oid != oid)
            continue;
        if (item->IsAnniversary() == anniversary)
            return static_cast<int>(k);
        if (any < 0)
            any = static_cast<int>(k);
    }
    return any;
}
