// Watching the Today items' registrations: the items key, or before it exists the nearest key above it.
#include "tools/todayhost/itemswatch.h"

#include "tools/todayhost/host.h"

#include <vector>

namespace {

// The items key and the keys above it, nearest first: a program registering the first item creates the key.
const wchar_t* const WATCHED_KEYS[] = {TODAY_ITEMS_KEY, L"Software\\Microsoft\\Today", L"Software\\Microsoft"};

void AppendValues(HKEY key, std::wstring& out)
{
    wchar_t name[256];
    BYTE data[1024];
    for (DWORD i = 0;; i++)
    {
        DWORD nameLength = ARRAYSIZE(name);
        DWORD size = sizeof(data);
        DWORD type = 0;
        LONG result = RegEnumValueW(key, i, name, &nameLength, nullptr, &type, data, &size);
        if (result == ERROR_NO_MORE_ITEMS)
            break;
        out += name;
        out += L'=';
        if (result == ERROR_SUCCESS)
            for (DWORD b = 0; b < size; b++)
                out += static_cast<wchar_t>(data[b]);
        out += L';';
    }
}

} // namespace

std::wstring RegisteredItemsText()
{
    std::wstring text;
    ForEachRegisteredItem([&text](HKEY items, const wchar_t* name) {
        text += L"[";
        text += name;
        text += L"]";
        HKEY item = nullptr;
        if (RegOpenKeyExW(items, name, 0, KEY_READ, &item) == ERROR_SUCCESS)
        {
            AppendValues(item, text);
            RegCloseKey(item);
        }
    });
    return text;
}

CItemsWatch::~CItemsWatch()
{
    Stop();
}

void CItemsWatch::Start()
{
    if (!m_event)
        m_event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    m_seen = RegisteredItemsText();
    Arm();
}

void CItemsWatch::Stop()
{
    if (m_key)
        RegCloseKey(m_key);
    m_key = nullptr;
    if (m_event)
        CloseHandle(m_event);
    m_event = nullptr;
}

void CItemsWatch::Arm()
{
    if (m_key)
        RegCloseKey(m_key);
    m_key = nullptr;
    for (const wchar_t* path : WATCHED_KEYS)
    {
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, KEY_NOTIFY, &m_key) != ERROR_SUCCESS)
        {
            m_key = nullptr;
            continue;
        }
        if (RegNotifyChangeKeyValue(m_key, TRUE, REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET, m_event,
                                    TRUE) == ERROR_SUCCESS)
            return;
        RegCloseKey(m_key);
        m_key = nullptr;
    }
}

bool CItemsWatch::Changed()
{
    if (!m_event || WaitForSingleObject(m_event, 0) != WAIT_OBJECT_0)
        return false;
    // Watched afresh each time: the items key may have been made or removed meanwhile.
    Arm();
    std::wstring now = RegisteredItemsText();
    if (now == m_seen)
        return false;
    m_seen.swap(now);
    return true;
}
