// CVelaRegistry: one checked key below HKEY_CURRENT_USER, integers and strings.
#pragma once

#include "core/str.h"

#include <windows.h>

class CVelaRegistry
{
public:
    CVelaRegistry() : m_key(nullptr) {}
    ~CVelaRegistry() { Close(); }
    CVelaRegistry(const CVelaRegistry&) = delete;
    CVelaRegistry& operator=(const CVelaRegistry&) = delete;

    // Opens the sub-key, creating it when missing; afterwards the key exists.
    void Open(const wchar_t* subKey);
    void Close();

    // Missing values and values of another type give false and leave the output untouched.
    bool ReadInt(const wchar_t* name, int& value);
    bool ReadString(const wchar_t* name, CStr& value);
    void WriteInt(const wchar_t* name, int value);
    void WriteString(const wchar_t* name, const wchar_t* text);

private:
    HKEY m_key;
};
