// The show-contact request: written by the Today item, read once and removed by the main program.
#include "data/showcontact.h"

#include "core/registry.h"
#include "core/str.h"
#include "data/settings.h"

#include <cwchar>

const wchar_t* const SHOW_CONTACT_VALUE = L"ShowContact";

bool RequestShowContact(LONG oid, bool anniversary)
{
    CStr text;
    text.Format(L"%c:%ld", anniversary ? L'a' : L'b', static_cast<long>(oid));
    CVelaRegistry key;
    bool written = key.Open(SETTINGS_KEY);
    written = key.WriteString(SHOW_CONTACT_VALUE, text) && written;
    key.Close();
    return written;
}

bool TakeShowContact(LONG& oid, bool& anniversary)
{
    CVelaRegistry key;
    key.Open(SETTINGS_KEY);
    CStr text;
    bool found = key.ReadString(SHOW_CONTACT_VALUE, text);
    key.Close();
    if (!found)
        return false;
    HKEY settings = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, SETTINGS_KEY, 0, KEY_SET_VALUE, &settings) == ERROR_SUCCESS)
    {
        RegDeleteValueW(settings, SHOW_CONTACT_VALUE);
        RegCloseKey(settings);
    }
    // Written by another program it may hold anything: only "b:" or "a:" and a whole number are taken.
    const wchar_t* p = text;
    if ((p[0] != L'a' && p[0] != L'b') || p[1] != L':')
        return false;
    wchar_t* end = nullptr;
    long value = wcstol(p + 2, &end, 10);
    if (end == p + 2 || *end != 0)
        return false;
    oid = static_cast<LONG>(value);
    anniversary = p[0] == L'a';
    return true;
}
