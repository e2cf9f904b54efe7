// The contact Festivo is asked to show when it starts or is started again (it takes no command line).
#pragma once

#include <windows.h>

// Registry value under the settings key: "b:oid" for a birthday, "a:oid" for an anniversary.
extern const wchar_t* const SHOW_CONTACT_VALUE;

// Leaves the request for the main program; false when it could not be written.
bool RequestShowContact(LONG oid, bool anniversary);
// Takes the request away and gives what it asked; false when there was none or it does not read as ours.
bool TakeShowContact(LONG& oid, bool& anniversary);
