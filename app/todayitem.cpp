// Registration of the Today plug-in with the Today screen, written once on a Pocket PC.
#include "app/app.h"

#include <windows.h>
#include <cwchar>

void RegisterTodayItem()
{
    const wchar_t* const kKey = L"Software\\Microsoft\\Today\\Items\\Festivo";
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS)
    {
        RegCloseKey(key);
        return;
    }
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return;
    const wchar_t* dll = L"\\Windows\\FestivoPanel.dll";
    RegSetValueExW(key, L"DLL", 0, REG_SZ, reinterpret_cast<const BYTE*>(dll),
                   static_cast<DWORD>((wcslen(dll) + 1) * sizeof(wchar_t)));
    const struct { const wchar_t* name; DWORD value; } kValues[] = {
        {L"Type", 4}, {L"Enabled", 1}, {L"Options", 1}, {L"Selectability", 2}};
    for (const auto& v : kValues)
        RegSetValueExW(key, v.name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v.value), sizeof(v.value));
    RegCloseKey(key);
}
