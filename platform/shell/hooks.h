// The thread hooks the shell stand-in sets from the module it is linked into, kept so that a plug-in
// can remove them all before it is unloaded.
#pragma once

#include <windows.h>

// SetWindowsHookExW for the calling thread, remembered; null when the system refuses.
HHOOK SetThreadHook(int kind, HOOKPROC procedure);
// Removes every hook set through SetThreadHook in this module, in any thread. A DLL calls it when it
// is unloaded while its host goes on: a hook left behind would call into code no longer there.
void RemoveShellHooks();
