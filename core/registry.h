// CVelaRegistry: one checked key below HKEY_CURRENT_USER, integers and strings.
#pragma once

#include "core/str.h"

#include <windows.h>

class CVelaRegistry
{
public:
    CVelaRegistry() : m_key(nullptr), m_opened(false), m_writable(false) {}
    ~CVelaRegistry() { Close(); }
    CVelaRegistry(const CVelaRegistry&) = delete;
    CVelaRegistry& operator=(const CVelaRegistry&) = delete;

    // Opens the sub-key, creating it when missing. A key the user may only read is opened for reading;
    // one that can be neither opened nor created leaves nothing to read. False when it cannot be written.
    bool Open(const wchar_t* subKey);
    void Close();

    // Missing values and values of another type give false and leave the output untouched.
    bool ReadInt(const wchar_t* name, int& value);
    bool ReadString(const wchar_t* name, CStr& value);
    // False when the value could not be written (a key the user may only read, a full registry).
    bool WriteInt(const wchar_t* name, int value);
    bool WriteString(const wchar_t* name, const wchar_t* text);

private:
    HKEY m_key;
    bool m_opened;
    bool m_writable;
};
