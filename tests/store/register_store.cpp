// Test helpers of the contact store: registering the built DLL and pointing it at an address book.
#include "tests/store/register_store.h"

#include "platform/store/config.h"

#include <windows.h>

bool RegisterContactStore()
{
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return false;
    std::wstring dll(path);
    dll = dll.substr(0, dll.find_last_of(L"\\/") + 1) + L"festivo_store.dll";
    HMODULE module = LoadLibraryW(dll.c_str());
    if (!module)
        return false;
    typedef HRESULT(STDAPICALLTYPE * RegisterFunction)();
    RegisterFunction reg = reinterpret_cast<RegisterFunction>(reinterpret_cast<void*>(GetProcAddress(module, "DllRegisterServer")));
    bool ok = reg && SUCCEEDED(reg());
    FreeLibrary(module);
    return ok;
}

void SetAddressBook(const std::wstring& location)
{
    HKEY key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, CONTACT_STORE_KEY, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return;
    RegSetValueExW(key, ADDRESS_BOOK_VALUE, 0, REG_SZ, reinterpret_cast<const BYTE*>(location.c_str()),
                   static_cast<DWORD>((location.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
}

void ClearAddressBook()
{
    RegDeleteKeyValueW(HKEY_CURRENT_USER, CONTACT_STORE_KEY, ADDRESS_BOOK_VALUE);
}
