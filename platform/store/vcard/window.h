// Reading the cards of a text that arrives a window at a time, exactly as the whole text reads.
#pragma once

#include "platform/store/vcard/reader.h"

#include <cstdint>
#include <functional>

namespace vcard {

// Puts up to room bytes of the text, where the last call left off, into buffer: how many it put
// (0: the text has ended), or -1 when the text cannot be read.
typedef std::function<long long(char* buffer, size_t room)> CFillText;
// A card of the text: its offsets (and its properties') count from window, which starts at offset
// in the whole text.
typedef std::function<void(const CVCard& card, const char* window, uint64_t offset)> CTakeCard;

// Reads the cards of the text through a buffer of about window bytes: an address book is read
// without holding it whole (a fresh page of memory costs more than reading its bytes). A card is
// taken only when no line read for it reached the end of the buffer before the text ended, so that
// every card is the one, with the same offsets, that reading the whole text gives; the rest is read
// again with the next window. A card larger than the buffer makes the buffer larger. False when
// fill failed (some cards may have been taken).
bool ReadCardsInWindows(const CFillText& fill, size_t window, const CTakeCard& take);

} // namespace vcard
