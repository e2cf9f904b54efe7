// Zodiac signs with the product's own day boundaries; index 12 is the kind of an anniversary.
#pragma once

#include "core/str.h"
#include "data/calendar.h"

const int ZODIAC_COUNT = 12;
const int KIND_ANNIVERSARY = 12;

// Index 0 (Aries) ... 11 (Pisces) of the sign holding date's month and day; -1 for a month outside 1..12.
int ZodiacSign(const CTime& date);
// Assigns the sign's name; an index outside 0..11 leaves out as it was.
void GetZodiacName(int index, CStr& out);
