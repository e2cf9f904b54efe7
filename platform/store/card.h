// The contact card windows that Display and Edit open.
#pragma once

#include <windows.h>

// Shows the contact (read-only for Display, editable for Edit); window receives the card's window.
HRESULT OpenContactCard(LONG oid, HWND parent, bool editable, HWND* window);
