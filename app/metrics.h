// Screen metrics of the main program: lengths written for 96 dpi, scaled to the screen.
#pragma once

// Horizontal dots per inch of the screen, read once.
int ScreenDpi();
// n pixels at 96 dpi on this screen: (n * dpi + 48) / 96.
int Px(int n);
