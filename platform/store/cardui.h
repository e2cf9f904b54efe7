// The contact store's own windows: the contact card (Display) and the contact editor (Edit).
#pragma once

#include "platform/store/vcard/date.h"

#include <windows.h>

#include <string>

// The modal editor, owned by owner. S_OK when saved, S_FALSE when cancelled, a failure HRESULT
// when the contact is gone or could not be saved (the user has been told why).
HRESULT RunContactEditor(LONG oid, HWND owner);

// A modeless card window without owner on the calling thread (near parent when there is one).
// An open card of the same contact is brought to the front instead.
HRESULT ShowCardWindow(LONG oid, HWND parent);

// The contact's picture fitted into width x height (aspect kept) over background; null without one.
HBITMAP LoadContactPicture(LONG oid, int width, int height, COLORREF background);

std::wstring LoadText(UINT id);
// A date as the card shows it ("15 March 1980"; "15 March" without year).
std::wstring CardDateText(const vcard::CVCardDate& date);
