// CVelaInfowin: a borderless pop-up with a short word-wrapped text that hides itself or blinks.
#pragma once

#include "core/str.h"

#include <windows.h>

// Placement flags of Show: horizontal (centre, right) and vertical (centre, bottom); else left and top.
enum
{
    INFO_HCENTER = 0x01,
    INFO_RIGHT = 0x02,
    INFO_VCENTER = 0x10,
    INFO_BOTTOM = 0x20,
};

class CVelaInfowin
{
public:
    CVelaInfowin();
    ~CVelaInfowin();

    // Registers the window's own class and creates the hidden pop-up owned by the main window.
    void Construct();
    // hideDelay and blinkPeriod in milliseconds, 0 for none.
    void Show(const wchar_t* text, UINT hideDelay, UINT flags, UINT blinkPeriod);
    void Hide();

    HWND GetWnd() const { return m_hwnd; }
    bool IsBlinkPhase() const { return m_blinkPhase; }
    UINT_PTR GetHideTimer() const { return m_hideTimer; }
    UINT_PTR GetBlinkTimer() const { return m_blinkTimer; }
    const RECT& GetTextRect() const { return m_textRect; }
    const CStr& GetText() const { return m_text; }

    CVelaInfowin(const CVelaInfowin&) = delete;
    CVelaInfowin& operator=(const CVelaInfowin&) = delete;

private:
    static LRESULT CALLBACK InfoWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void StopTimers();
    void OnPaint();
    void MakeClassName(CStr& name) const;

    HWND m_hwnd;
    UINT_PTR m_hideTimer;
    bool m_blinkPhase;
    UINT_PTR m_blinkTimer;
    CStr m_text;
    RECT m_textRect;
};
