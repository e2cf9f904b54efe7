// The Today items of the registry: their registration values, their libraries and their two exports.
#include "tools/todayhost/host.h"

#include <algorithm>
#include <cwchar>
#include <string>

namespace {

DWORD ReadDword(HKEY key, const wchar_t* name, DWORD fallback)
{
    DWORD value = 0;
    DWORD size = sizeof(value);
    DWORD type = 0;
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS ||
        type != REG_DWORD)
        return fallback;
    return value;
}

std::wstring ReadString(HKEY key, const wchar_t* name)
{
    wchar_t text[MAX_PATH] = {};
    DWORD size = sizeof(text) - sizeof(wchar_t);
    DWORD type = 0;
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text), &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return std::wstring();
    return text;
}

// The registered device path when it exists, else the file of that name beside this program.
std::wstring FindLibrary(const std::wstring& registered)
{
    if (!registered.empty() && GetFileAttributesW(registered.c_str()) != INVALID_FILE_ATTRIBUTES)
        return registered;
    size_t slash = registered.find_last_of(L"\\/");
    std::wstring file = slash == std::wstring::npos ? registered : registered.substr(slash + 1);
    wchar_t program[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, program, MAX_PATH);
    std::wstring folder(program);
    folder = folder.substr(0, folder.find_last_of(L"\\/") + 1);
    return folder + file;
}

bool LoadItem(HKEY items, const wchar_t* name, CHostedItem& item)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(items, name, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    item = CHostedItem{};
    wcsncpy(item.record.szName, name, MAX_ITEMNAME - 1);
    item.record.tlit = static_cast<TODAYLISTITEMTYPE>(ReadDword(key, L"Type", tlitNil));
    item.record.dwOrder = ReadDword(key, L"Order", 0);
    item.record.fEnabled = ReadDword(key, L"Enabled", 0) != 0;
    item.record.fOptions = ReadDword(key, L"Options", 0) != 0;
    item.selectability = static_cast<int>(ReadDword(key, L"Selectability", 0));
    std::wstring path = FindLibrary(ReadString(key, L"DLL"));
    RegCloseKey(key);
    if (item.record.tlit != tlitCustom || !item.record.fEnabled)
        return false;
    wcsncpy(item.record.szDLLPath, path.c_str(), MAX_PATH - 1);
    item.library = LoadLibraryW(path.c_str());
    if (!item.library)
        return false;
    item.record.hinstDLL = item.library;
    item.initialize = reinterpret_cast<PFNCUSTOMINITIALIZEITEM>(
        reinterpret_cast<void*>(GetProcAddress(item.library, MAKEINTRESOURCEA(ORDINAL_INITIALIZEITEM))));
    item.options = reinterpret_cast<PFNCUSTOMOPTIONSDLGPROC>(
        reinterpret_cast<void*>(GetProcAddress(item.library, MAKEINTRESOURCEA(ORDINAL_OPTIONSDIALOGPROC))));
    if (!item.initialize)
    {
        FreeLibrary(item.library);
        return false;
    }
    return true;
}

} // namespace

bool ForEachRegisteredItem(const std::function<void(HKEY items, const wchar_t* name)>& visit)
{
    HKEY items = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, TODAY_ITEMS_KEY, 0, KEY_READ, &items) != ERROR_SUCCESS)
        return false;
    wchar_t name[MAX_PATH];
    for (DWORD i = 0;; i++)
    {
        DWORD length = MAX_PATH;
        if (RegEnumKeyExW(items, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        visit(items, name);
    }
    RegCloseKey(items);
    return true;
}

std::vector<CHostedItem> LoadRegisteredItems()
{
    std::vector<CHostedItem> result;
    ForEachRegisteredItem([&result](HKEY items, const wchar_t* name) {
        CHostedItem item;
        if (LoadItem(items, name, item))
            result.push_back(item);
    });
    std::stable_sort(result.begin(), result.end(), [](const CHostedItem& a, const CHostedItem& b) {
        return a.record.dwOrder < b.record.dwOrder;
    });
    return result;
}

void FreeItems(std::vector<CHostedItem>& items)
{
    for (CHostedItem& item : items)
        FreeLibrary(item.library);
    items.clear();
}
