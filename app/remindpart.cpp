// CRemindPart: reading, checking and saving the reminder values of the options page.
#include "app/remindpart.h"

#include "app/resource.h"
#include "core/registry.h"
#include "data/settings.h"

#include <cwctype>

namespace {

const wchar_t* const CALENDAR_VALUE = L"CalendarFile";
const int PATH_LIMIT = 32767;

void ControlText(HWND page, int id, CStr& out)
{
    HWND control = GetDlgItem(page, id);
    int length = GetWindowTextLengthW(control);
    CStr text(static_cast<uint32_t>(length + 1));
    GetWindowTextW(control, text.GetBuffer(), length + 1);
    out = text.GetBuffer();
}

void Trim(CStr& text)
{
    int start = 0;
    int end = text.GetLength();
    while (start < end && iswspace(text[start]))
        start++;
    while (end > start && iswspace(text[end - 1]))
        end--;
    if (start == 0 && end == text.GetLength())
        return;
    if (start == end)
    {
        text.Empty();
        return;
    }
    CStr whole(text);
    text.Assign(whole.GetBuffer() + start, static_cast<uint32_t>(end - start));
}

bool Refuse(HWND page, int id, const wchar_t* why)
{
    MessageBoxW(GetParent(page), why, L"Festivo", MB_OK | MB_ICONEXCLAMATION);
    SetFocus(GetDlgItem(page, id));
    SendDlgItemMessageW(page, id, EM_SETSEL, 0, -1);
    return false;
}

} // namespace

int CRemindPart::ParseTime(const wchar_t* text)
{
    int hours = 0;
    int minutes = 0;
    int digits = 0;
    const wchar_t* p = text;
    for (; *p >= L'0' && *p <= L'9' && digits < 2; ++p, ++digits)
        hours = hours * 10 + (*p - L'0');
    if (digits == 0 || (*p != L':' && *p != L'.'))
        return -1;
    ++p;
    digits = 0;
    for (; *p >= L'0' && *p <= L'9' && digits < 2; ++p, ++digits)
        minutes = minutes * 10 + (*p - L'0');
    if (digits != 2 || *p != 0 || hours > 23 || minutes > 59)
        return -1;
    return hours * 60 + minutes;
}

void CRemindPart::Init(HWND page)
{
    m_read.Read();
    CheckDlgButton(page, IDC_OPTIONS_REMIND_ON, m_read.IsOn() ? BST_CHECKED : BST_UNCHECKED);
    CStr days;
    m_read.FormatDays(days);
    SetDlgItemTextW(page, IDC_OPTIONS_REMIND_DAYS, days);
    CStr time;
    time.Format(L"%d:%02d", m_read.GetTime() / 60, m_read.GetTime() % 60);
    SetDlgItemTextW(page, IDC_OPTIONS_REMIND_TIME, time);

    CVelaRegistry key;
    key.Open(SETTINGS_KEY);
    if (!key.ReadString(CALENDAR_VALUE, m_calendarFile))
        m_calendarFile = L"";
    key.Close();
    m_calendarFile.SetFixedSize(0);
    SendDlgItemMessageW(page, IDC_OPTIONS_CALENDAR_FILE, EM_LIMITTEXT, PATH_LIMIT, 0);
    SetDlgItemTextW(page, IDC_OPTIONS_CALENDAR_FILE, m_calendarFile);
}

bool CRemindPart::Check(HWND page)
{
    CStr text;
    ControlText(page, IDC_OPTIONS_REMIND_DAYS, text);
    CRemindSettings probe;
    if (!probe.SetDays(text))
        return Refuse(page, IDC_OPTIONS_REMIND_DAYS,
                      L"Days ahead: up to eight whole numbers from 0 (the day itself) to 60, separated by commas.");
    ControlText(page, IDC_OPTIONS_REMIND_TIME, text);
    Trim(text);
    if (ParseTime(text) < 0)
        return Refuse(page, IDC_OPTIONS_REMIND_TIME, L"Time: hours and minutes from 0:00 to 23:59, for example 9:00.");
    ControlText(page, IDC_OPTIONS_CALENDAR_FILE, text);
    Trim(text);
    bool absolute = text.GetLength() >= 3 && text[1] == L':' && (text[2] == L'\\' || text[2] == L'/');
    bool network = text.GetLength() >= 3 && text[0] == L'\\' && text[1] == L'\\';
    if (!text.IsEmpty() && !absolute && !network)
        return Refuse(page, IDC_OPTIONS_CALENDAR_FILE,
                      L"Calendar file: a full path such as C:\\Users\\you\\birthdays.ics, or empty for the usual place.");
    return true;
}

bool CRemindPart::Save(HWND page)
{
    CRemindSettings edited = m_read;
    edited.SetOn(IsDlgButtonChecked(page, IDC_OPTIONS_REMIND_ON) == BST_CHECKED);
    CStr text;
    ControlText(page, IDC_OPTIONS_REMIND_DAYS, text);
    edited.SetDays(text);
    ControlText(page, IDC_OPTIONS_REMIND_TIME, text);
    Trim(text);
    int minute = ParseTime(text);
    if (minute >= 0)
        edited.SetTime(minute);
    CStr before;
    CStr after;
    m_read.FormatDays(before);
    edited.FormatDays(after);
    bool saved = true;
    // Values nobody changed stay as they are stored (or absent, so their defaults keep applying).
    if (edited.IsOn() != m_read.IsOn() || edited.GetTime() != m_read.GetTime() || wcscmp(before, after) != 0)
        saved = edited.Write();

    ControlText(page, IDC_OPTIONS_CALENDAR_FILE, text);
    Trim(text);
    if (wcscmp(text, m_calendarFile) != 0)
    {
        CVelaRegistry key;
        bool written = key.Open(SETTINGS_KEY);
        saved = key.WriteString(CALENDAR_VALUE, text) && written && saved;
        key.Close();
    }
    return saved;
}
