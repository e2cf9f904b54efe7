// The thread hooks the shell stand-in sets from the module it is linked into, kept for their removal.
#include "platform/shell/hooks.h"

#include <mutex>
#include <vector>

namespace {

std::mutex& HooksLock()
{
    static std::mutex lock;
    return lock;
}

std::vector<HHOOK>& Hooks()
{
    static std::vector<HHOOK> hooks;
    return hooks;
}

} // namespace

HHOOK SetThreadHook(int kind, HOOKPROC procedure)
{
    HHOOK hook = SetWindowsHookExW(kind, procedure, nullptr, GetCurrentThreadId());
    if (hook)
    {
        std::lock_guard<std::mutex> guard(HooksLock());
        Hooks().push_back(hook);
    }
    return hook;
}

void RemoveShellHooks()
{
    std::lock_guard<std::mutex> guard(HooksLock());
    for (HHOOK hook : Hooks())
        UnhookWindowsHookEx(hook);
    Hooks().clear();
}
