// A contact's picture fitted into a box and rendered on the window background colour.
#pragma once

#include <windows.h>
#include <objidl.h>

// Decodes the picture in stream and fits it into boxWidth x boxHeight keeping its aspect ratio:
// first scaled to the box height, and when that is too wide, to the box width instead. Returns
// a bitmap of exactly the fitted size at the screen's colour depth (transparent parts on the
// window background colour) with its size in width and height; null when the stream holds no
// picture or the box is empty. The caller owns the bitmap.
HBITMAP LoadContactPicture(IStream* stream, int boxWidth, int boxHeight, int& width, int& height);

// The fitted size of a picture of imageWidth x imageHeight in the box, each side at least 1.
void FitIntoBox(int imageWidth, int imageHeight, int boxWidth, int boxHeight, int& width, int& height);
