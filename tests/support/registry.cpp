// Clean registry keys for tests.
#include "tests/support/fixtures.h"

#include <windows.h>

void DeleteUserKey(const wchar_t* subKey)
{
    RegDeleteTreeW(HKEY_CURRENT_USER, subKey);
    RegDeleteKeyW(HKEY_CURRENT_USER, subKey);
}
