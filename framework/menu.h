// Menu helpers: counting items, reading an item's command and replacing an item in place.
#pragma once

#include <windows.h>

// Items at positions 0, 1, 2, ... up to the first that does not exist (at most 256).
int MenuItemCount(HMENU menu);
// The command id of the item at a position.
UINT MenuItemId(HMENU menu, int position);
// Replaces the item (a command id, or a position with MF_BYPOSITION) by a new one at the same
// place; true only when both the deletion and the insertion succeed.
bool ReplaceMenuItem(HMENU menu, UINT item, UINT flags, UINT_PTR newId, const wchar_t* text);
