// The plug-in loaded by ordinal as a Today host does, a recording host window, the fixture every test of the
// plug-in starts from, a reader of the menus it opens, and a time-limited flush.
#pragma once

#include "platform/today/today.h"
#include "tests/support/fake_store.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <memory>
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

// COM, no settings, an empty fake store and the plug-in loaded; a test adds its host and its clock.
class CPanelTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    std::unique_ptr<CPanel> panel;

private:
    std::unique_ptr<CFakeStoreRegistration> m_registration;
};

// While it lives, reads the popup menus window opens and the commands it gets, and closes each menu as a user
// pressing Escape would once the menu waits for the user (after pressing Enter in it once, when asked to).
class CMenuSpy
{
public:
    explicit CMenuSpy(HWND window, bool pressEnter = false);
    ~CMenuSpy();
    CMenuSpy(const CMenuSpy&) = delete;
    CMenuSpy& operator=(const CMenuSpy&) = delete;

    std::vector<std::wstring> items;
    std::vector<UINT> commands;
    bool waited = false;

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND m_window;
    WNDPROC m_previous;
    bool m_pressEnter;
};

// Dispatches every message that arrives within the time limit.
void FlushMessages(DWORD milliseconds = 50);

// A contact of the fake store with a birthday and nothing else.
void AddContact(LONG oid, const wchar_t* name, DATE birthday);
