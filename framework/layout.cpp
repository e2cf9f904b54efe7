// Layout helpers for dialogs: controls stretched to the client width with a 7-pixel margin.
#include "framework/layout.h"

#include "platform/shell/device.h"

#include <cstdarg>

namespace {

const int kMargin = 7;

// The control's rectangle in the dialog's client coordinates, or false when there is no such control.
bool ControlRect(HWND dialog, int id, HWND* control, RECT* rect)
{
    *control = GetDlgItem(dialog, id);
    if (!*control)
        return false;
    GetWindowRect(*control, rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(rect), 2);
    return true;
}

} // namespace

int ControlMargin()
{
    static int dpi = 0;
    if (!dpi)
        dpi = DeviceScreenDpi();
    return (dpi * kMargin + 48) / 96;
}

namespace {

// Gives each control of ids its new horizontal extent: from the left margin when fromMargin is set,
// else from where it is; always to the right margin.
void FitControls(HWND dialog, int count, va_list ids, bool fromMargin)
{
    int margin = ControlMargin();
    RECT client;
    GetClientRect(dialog, &client);
    for (int i = 0; i < count; i++)
    {
        HWND control;
        RECT rect;
        if (!ControlRect(dialog, va_arg(ids, int), &control, &rect))
            continue;
        int left = fromMargin ? margin : rect.left;
        MoveWindow(control, left, rect.top, client.right - margin - left, rect.bottom - rect.top, TRUE);
    }
}

} // namespace

void FitControlsToWidth(HWND dialog, int count, ...)
{
    va_list ids;
    va_start(ids, count);
    FitControls(dialog, count, ids, true);
    va_end(ids);
}

void FitControlsRight(HWND dialog, int count, ...)
{
    va_list ids;
    va_start(ids, count);
    FitControls(dialog, count, ids, false);
    va_end(ids);
}
