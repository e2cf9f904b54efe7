// Name matching through the locale's search, which folds case and drops accents.
#include "data/match.h"

#include <windows.h>

bool FindInName(const wchar_t* name, const wchar_t* text, int& start, int& length)
{
    if (!name || !text || !text[0])
        return false;
    int found = 0;
    int at = FindNLSStringEx(LOCALE_NAME_USER_DEFAULT, FIND_FROMSTART | NORM_IGNORECASE | NORM_IGNORENONSPACE, name,
                             -1, text, -1, &found, nullptr, nullptr, 0);
    if (at < 0 || found <= 0)
        return false;
    start = at;
    length = found;
    return true;
}
