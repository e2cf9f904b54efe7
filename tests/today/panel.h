// The plug-in loaded by ordinal as a Today host does, a recording host window, and a time-limited flush.
#pragma once

#include "platform/today/today.h"
#include "tests/support/fake_store.h"

#include <windows.h>
#include <string>
#include <vector>

// Colours the recording host answers to TODAYM_GETCOLOR.
const COLORREF HOST_TEXT = RGB(0x10, 0x20, 0x30);
const COLORREF HOST_HIGHLIGHT = RGB(0x20, 0x40, 0xC0);
const COLORREF HOST_HIGHLIGHTEDTEXT = RGB(0xFF, 0xFF, 0xFE);
// The background the host draws when it answers TODAYM_DRAWWATERMARK.
const COLORREF HOST_WATERMARK = RGB(0xE0, 0xF0, 0xD0);

struct HostMessage
{
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// A top-level window standing in for the Today screen; records the host messages it gets.
class CRecordingHost
{
public:
    CRecordingHost();
    ~CRecordingHost();
    HWND Window() const { return m_window; }
    std::vector<HostMessage> messages;
    bool drawsWatermark = false;

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    HWND m_window;
};

// FestivoPanel.dll, loaded fresh, with its exports taken by ordinal.
class CPanel
{
public:
    CPanel();
    ~CPanel();
    bool Loaded() const { return m_library && initialize && options; }
    HMODULE Library() const { return m_library; }
    // The item's clock; midnight of the given date.
    void SetDate(int year, int month, int day);
    void SetClock(int year, int month, int day, int hour, int minute);

    PFNCUSTOMINITIALIZEITEM initialize = nullptr;
    PFNCUSTOMOPTIONSDLGPROC options = nullptr;

private:
    HMODULE m_library;
    void (*m_setClock)(const SYSTEMTIME*) = nullptr;
};

// Dispatches every message that arrives within the time limit.
void FlushMessages(DWORD milliseconds = 50);

// A contact of the fake store with a birthday and nothing else.
void AddContact(LONG oid, const wchar_t* name, DATE birthday);
