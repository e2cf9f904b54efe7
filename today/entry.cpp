// The library's entry points: load and unload, the item window for the host, and the clock for tests.
#include "today/todayitem.h"

#include "platform/phone/phone.h"
#include "platform/shell/hooks.h"
#include "platform/shell/recorder.h"

CTodayItem g_item;

namespace {

bool g_clockSet = false;
SYSTEMTIME g_clock;

} // namespace

void ItemNow(CTime& now)
{
    if (g_clockSet)
        now = g_clock;
    else
        now.SetToNow();
}

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, void* reserved)
{
    if (reason == DLL_PROCESS_ATTACH)
        g_item.RegisterItemClass(instance);
    else if (reason == DLL_PROCESS_DETACH)
    {
        g_item.UnregisterItemClass();
        // Unloaded while the host goes on (not at its exit): the shell's hooks set from this library's
        // dialogs must not outlive its code.
        if (!reserved)
            RemoveShellHooks();
    }
    return TRUE;
}

__declspec(dllexport) HWND InitializeCustomItem(TODAYLISTITEM* record, HWND parent)
{
    return g_item.CreateItemWindow(record, parent);
}

// Lets a test stand in for the device's clock; null gives the item the local time again.
__declspec(dllexport) void SetItemClock(const SYSTEMTIME* now)
{
    g_clockSet = now != nullptr;
    if (now)
        g_clock = *now;
}

// Lets a test observe the plug-in's call and composer requests instead of starting programs.
__declspec(dllexport) void SetItemPhoneRecorder(PhoneRecorder address, CalledPartyRecorder calledParty)
{
    SetPhoneRecorder(address);
    SetCalledPartyRecorder(calledParty);
}

// Lets a test observe the plug-in's shell requests (its notifications among them).
__declspec(dllexport) void SetItemShellRecorder(ShellRecorder recorder)
{
    ShellSetRecorder(recorder);
}

} // extern "C"
