// The window message by which the installer, before it removes the programs, asks Festivo and the Today screen to end.
#pragma once

#include <windows.h>

// Registered under this name; a window that receives it ends its program as its own Exit would.
const wchar_t* const CLOSE_FOR_REMOVAL_MESSAGE = L"FestivoCloseForRemoval";

inline UINT CloseForRemovalMessage()
{
    static const UINT message = RegisterWindowMessageW(CLOSE_FOR_REMOVAL_MESSAGE);
    return message;
}
