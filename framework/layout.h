// Layout helpers for dialogs: controls stretched to the client width with a 7-pixel margin.
#pragma once

#include <windows.h>

// Each of the count controls (ids follow) keeps its top and height and spans the client area
// from the left margin to the right margin.
void FitControlsToWidth(HWND dialog, int count, ...);
// Each of the count controls keeps its position and height and ends at the right margin.
void FitControlsRight(HWND dialog, int count, ...);
// The margin in pixels: 7 at 96 dpi, scaled with the screen's dpi read once per process.
int ControlMargin();
