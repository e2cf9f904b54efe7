// calendar_writer.exe BOOK CALENDAR: keeps the birthdays calendar of an address book as the Today item does, through
// the real contact store and with the reminder settings; prints what it did. birthdays.py runs it under Wine.
#include "data/calendarkeeper.h"
#include "data/datalist.h"
#include "data/remindsettings.h"
#include "data/settings.h"
#include "tests/store/register_store.h"

#include <cstdio>

int wmain(int argc, wchar_t** argv)
{
    if (argc != 3)
    {
        std::fprintf(stderr, "usage: calendar_writer BOOK CALENDAR\n");
        return 2;
    }
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    if (!RegisterContactStore())
    {
        std::fprintf(stderr, "calendar_writer: the contact store cannot be registered\n");
        return 1;
    }
    SetAddressBook(argv[1]);
    HKEY key = nullptr;
    RegCreateKeyExW(HKEY_CURRENT_USER, SETTINGS_KEY, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr);
    RegSetValueExW(key, L"CalendarFile", 0, REG_SZ, reinterpret_cast<const BYTE*>(argv[2]),
                   static_cast<DWORD>((wcslen(argv[2]) + 1) * sizeof(wchar_t)));
    CalendarResult result = CALENDAR_FAILED;
    {
        CCalendarKeeper keeper;
        CDataList list;
        keeper.Attach(list);
        list.Open(nullptr);
        CTime now;
        now.SetToNow();
        list.LoadUpcoming(now);
        CRemindSettings reminders;
        reminders.Read();
        result = keeper.Update(list, now, CalendarReminders(reminders));
        keeper.Detach(list);
    }
    RegDeleteValueW(key, L"CalendarFile");
    RegCloseKey(key);
    ClearAddressBook();
    CoUninitialize();
    const char* said[] = {"unchanged", "written", "foreign", "failed"};
    std::printf("%s\n", said[result]);
    return result == CALENDAR_FAILED || result == CALENDAR_FOREIGN ? 1 : 0;
}
