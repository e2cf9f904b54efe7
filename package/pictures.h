// Package keys of the pictures both programs draw, and the step that picks the set for the screen.
#pragma once

#include <cstdint>

// The 12 signs (Aries first) and the anniversary.
const int EVENT_PICTURE_COUNT = 13;

// Keys of the small event pictures; the mask of a picture follows its key.
const uint32_t SMALL_PICTURE_KEYS[EVENT_PICTURE_COUNT] = {18, 72, 36, 24, 48, 78, 42, 66, 60, 30, 12, 54, 6};
// The small picture of the Today item's header line.
const uint32_t SMALL_HEADER_PICTURE_KEY = 0;
const uint32_t DEFAULT_CONTACT_PICTURE_KEY = 84;

// Added to a small picture's key for the set that suits a small icon of iconWidth pixels: the medium
// set is 2 keys on, the large set 4.
inline uint32_t PictureSizeStep(int iconWidth)
{
    return iconWidth <= 16 ? 0 : (iconWidth <= 22 ? 2 : 4);
}
