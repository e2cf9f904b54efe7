// CVelaView: one full-client-area page of the program with its own window, menu bar and accelerators.
#pragma once

#include <windows.h>

// What a paint handler gets: the device context of the paint request, then the paint record.
struct CVelaPaint
{
    HDC dc;
    PAINTSTRUCT ps;
};

class CVelaView
{
public:
    CVelaView();
    // Each view class creates itself here by calling BaseConstruct with the same arguments.
    virtual void Construct(UINT id, UINT menuBarId, UINT accelId) = 0;
    virtual ~CVelaView();

    virtual void OnCreate();
    virtual void OnDestroy();
    // previousId: the view active before, or 0.
    virtual void OnActivate(UINT previousId);
    virtual void OnDeactivate();
    virtual void OnPaint(CVelaPaint* paint);
    virtual void OnCommand(UINT id, UINT code, HWND control);
    virtual void OnInitMenuPopup(HMENU menu, UINT position);
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);

    UINT GetId() const { return m_id; }
    UINT GetMenuBarId() const { return m_menuBarId; }
    UINT GetAccelId() const { return m_accelId; }
    HWND GetWnd() const { return m_hwnd; }
    HACCEL GetAccel() const { return m_accel; }

    CVelaView(const CVelaView&) = delete;
    CVelaView& operator=(const CVelaView&) = delete;

protected:
    // Registers the view's window class (base name, V, id), loads the accelerators, creates the
    // window over the main window's client area and calls OnCreate.
    void BaseConstruct(UINT id, UINT menuBarId, UINT accelId);

    UINT m_id;
    UINT m_menuBarId;
    UINT m_accelId;
    HWND m_hwnd;
    HACCEL m_accel;

private:
    static LRESULT CALLBACK ViewWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
};
