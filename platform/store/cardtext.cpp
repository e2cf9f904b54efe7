// Texts of the contact windows: resource strings and dates as the card shows them.
#include "platform/store/cardui.h"

#include "platform/store/module.h"

std::wstring LoadText(UINT id)
{
    const wchar_t* text = nullptr;
    int n = LoadStringW(StoreModule(), id, reinterpret_cast<wchar_t*>(&text), 0);
    return n > 0 && text ? std::wstring(text, n) : std::wstring();
}

std::wstring CardDateText(const vcard::CVCardDate& date)
{
    if (date.year == 0)
        return std::wstring();
    bool yearless = date.year == vcard::YEAR_UNKNOWN;
    // A leap year, so that 29 February without a year can be formatted.
    SYSTEMTIME st = {};
    st.wYear = static_cast<WORD>(yearless ? 2000 : date.year);
    st.wMonth = static_cast<WORD>(date.month);
    st.wDay = static_cast<WORD>(date.day);
    wchar_t text[64];
    if (!GetDateFormatW(LOCALE_USER_DEFAULT, 0, &st, yearless ? L"d MMMM" : L"d MMMM yyyy", text, 64))
        return std::wstring();
    return text;
}
