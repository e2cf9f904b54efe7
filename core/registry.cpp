// CVelaRegistry. Values written by other programs are untrusted: a wrong type reads as missing.
#include "core/registry.h"

#include "core/error.h"

#include <cwchar>

bool CVelaRegistry::Open(const wchar_t* subKey)
{
    Close();
    m_opened = true;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, subKey, 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS ||
        RegCreateKeyExW(HKEY_CURRENT_USER, subKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                        &key, nullptr) == ERROR_SUCCESS)
    {
        m_key = key;
        m_writable = true;
        return true;
    }
    // Settings another account or a policy keeps read-only are still the user's settings to read.
    if (RegOpenKeyExW(HKEY_CURRENT_USER, subKey, 0, KEY_READ, &key) == ERROR_SUCCESS)
        m_key = key;
    return false;
}

void CVelaRegistry::Close()
{
    if (m_key)
    {
        RegCloseKey(m_key);
        m_key = nullptr;
    }
    m_opened = false;
    m_writable = false;
}

bool CVelaRegistry::ReadInt(const wchar_t* name, int& value)
{
    Assert(m_opened, ERR_NOT_IN_USE, L"CVelaRegistry::ReadInt", __LINE__);
    if (!m_key)
        return false;
    DWORD type = 0;
    DWORD data = 0;
    DWORD size = sizeof(data);
    LONG rc = RegQueryValueExW(m_key, name, nullptr, &type, reinterpret_cast<BYTE*>(&data), &size);
    if (rc != ERROR_SUCCESS || type != REG_DWORD || size != sizeof(data))
        return false;
    value = static_cast<int>(data);
    return true;
}

bool CVelaRegistry::ReadString(const wchar_t* name, CStr& value)
{
    Assert(m_opened, ERR_NOT_IN_USE, L"CVelaRegistry::ReadString", __LINE__);
    if (!m_key)
        return false;
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExW(m_key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS || type != REG_SZ)
        return false;
    // One more character than the stored bytes hold, so a value written without terminator still ends.
    CStr read(static_cast<uint32_t>(size / sizeof(wchar_t) + 1));
    DWORD room = size;
    if (RegQueryValueExW(m_key, name, nullptr, &type, reinterpret_cast<BYTE*>(read.GetBuffer()), &room) !=
            ERROR_SUCCESS || type != REG_SZ)
        return false;
    read.GetBuffer()[room / sizeof(wchar_t)] = 0;
    value.SetFixedSize(read.GetFixedSize());
    value = read.GetBuffer();
    return true;
}

bool CVelaRegistry::WriteInt(const wchar_t* name, int value)
{
    Assert(m_opened, ERR_NOT_IN_USE, L"CVelaRegistry::WriteInt", __LINE__);
    if (!m_writable)
        return false;
    DWORD data = static_cast<DWORD>(value);
    return RegSetValueExW(m_key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof(data)) ==
           ERROR_SUCCESS;
}

bool CVelaRegistry::WriteString(const wchar_t* name, const wchar_t* text)
{
    Assert(m_opened, ERR_NOT_IN_USE, L"CVelaRegistry::WriteString", __LINE__);
    if (!m_writable)
        return false;
    if (!text)
        text = L"";
    DWORD bytes = static_cast<DWORD>((wcslen(text) + 1) * sizeof(wchar_t));
    return RegSetValueExW(m_key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), bytes) == ERROR_SUCCESS;
}
