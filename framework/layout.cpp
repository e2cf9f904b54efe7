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

void FitControlsToWidth(HWND dialog, int count, ...)
{
    int margin = ControlMargin();
    RECT client;
    GetClientRect(dialog, &client);
    va_list ids;
    va_start(ids, count);
    for (int i = 0; i < count; i++)
    {
        HWND control;
        RECT rect;
        if (ControlRect(dialog, va_arg(ids, int), &control, &rect))
            MoveWindow(control, margin, rect.top, client.right - 2 * margin, rect.bottom - rect.top, TRUE);
    }
    va_end(ids);
}

void FitControlsRight(HWND dialog, int count, ...)
{
    int margin = ControlMargin();
    RECT client;
    GetClientRect(dialog, &client);
    va_list ids;
    va_start(ids, count);
    for (int i = 0; i < count; i++)
    {
        HWND control;
        RECT rect;
        if (ControlRect(dialog, va_arg(ids, int), &control, &rect))
            MoveWindow(control, rect.left, rect.top, client.right - margin - rect.left, rect.bottom - rect.top, TRUE);
    }
    va_end(ids);
}
