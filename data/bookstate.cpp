// The address book choice (the contact store's own setting) and the texts of an empty list.
#include "data/bookstate.h"

#include "data/datalist.h"
#include "platform/store/config.h"

#include <windows.h>

#include <vector>

void ReadChosenBook(CStr& out)
{
    out.Empty();
    DWORD size = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, CONTACT_STORE_KEY, ADDRESS_BOOK_VALUE, RRF_RT_REG_SZ, nullptr, nullptr, &size) !=
            ERROR_SUCCESS ||
        size < sizeof(wchar_t))
        return;
    std::vector<wchar_t> text(size / sizeof(wchar_t) + 1, L'\0');
    if (RegGetValueW(HKEY_CURRENT_USER, CONTACT_STORE_KEY, ADDRESS_BOOK_VALUE, RRF_RT_REG_SZ, nullptr, text.data(),
                     &size) == ERROR_SUCCESS)
        out = text.data();
}

bool WriteChosenBook(const wchar_t* path)
{
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, CONTACT_STORE_KEY, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return false;
    const wchar_t* text = path ? path : L"";
    DWORD bytes = static_cast<DWORD>((wcslen(text) + 1) * sizeof(wchar_t));
    bool written = RegSetValueExW(key, ADDRESS_BOOK_VALUE, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), bytes) ==
                   ERROR_SUCCESS;
    RegCloseKey(key);
    return written;
}

BookState GetBookState(const CDataList& list)
{
    if (!list.GetUnreadableBook().IsEmpty())
        return BOOK_UNREADABLE;
    if (list.GetDatesInBook() > 0)
        return BOOK_HAS_EVENTS;
    CStr chosen;
    ReadChosenBook(chosen);
    return chosen.IsEmpty() ? BOOK_NOT_CHOSEN : BOOK_WITHOUT_DATES;
}

void DescribeBookState(const CDataList& list, const wchar_t* howToChoose, CStr& out)
{
    out.Empty();
    switch (GetBookState(list))
    {
    case BOOK_HAS_EVENTS:
        return;
    case BOOK_NOT_CHOSEN:
        out = L"No address book is chosen. ";
        out.Append(howToChoose);
        return;
    case BOOK_UNREADABLE:
        out = L"The address book ";
        out.Append(list.GetUnreadableBook());
        out.Append(L" cannot be read");
        if (!list.GetUnreadableReason().IsEmpty())
        {
            out.Append(L": ");
            out.Append(list.GetUnreadableReason());
        }
        else
            out.Append(L".");
        return;
    case BOOK_WITHOUT_DATES:
    {
        CStr chosen;
        ReadChosenBook(chosen);
        out = L"There are no birthdays in the address book ";
        out.Append(chosen);
        out.Append(L".");
        return;
    }
    }
}
