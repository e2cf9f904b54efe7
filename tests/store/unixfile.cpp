// Test helpers that see an address book file as Linux does under Wine: its mode and whether it is a link.
#include "tests/store/unixfile.h"

#include <windows.h>

#include <cstring>

namespace {

long long LinuxCall(long long number, long long a, long long b)
{
#if defined(__x86_64__)
    long long result;
    __asm__ volatile("syscall" : "=a"(result) : "a"(number), "D"(a), "S"(b) : "rcx", "r11", "memory");
    return result;
#else
    (void)number, (void)a, (void)b;
    return -1;
#endif
}

std::string UnixPath(const std::wstring& path)
{
    typedef char*(CDECL * UnixName)(const wchar_t*);
    FARPROC found = GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name");
    UnixName name = reinterpret_cast<UnixName>(reinterpret_cast<void*>(found));
    char* unix = name ? name(path.c_str()) : nullptr;
    std::string result = unix ? unix : "";
    HeapFree(GetProcessHeap(), 0, unix);
    return result;
}

long StatMode(const std::wstring& path, long long call)
{
    std::string unix = UnixPath(path);
    alignas(8) unsigned char st[144] = {};
    if (unix.empty() || LinuxCall(call, reinterpret_cast<long long>(unix.c_str()), reinterpret_cast<long long>(st)))
        return -1;
    unsigned int mode = 0;
    memcpy(&mode, st + 24, sizeof(mode));
    return static_cast<long>(mode);
}

} // namespace

bool HaveUnixFiles()
{
    typedef void(CDECL * HostVersion)(const char**, const char**);
    FARPROC found = GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_host_version");
    HostVersion version = reinterpret_cast<HostVersion>(reinterpret_cast<void*>(found));
    const char* sysname = nullptr;
    if (version)
        version(&sysname, nullptr);
#if defined(__x86_64__)
    return sysname && strcmp(sysname, "Linux") == 0;
#else
    return false;
#endif
}

long UnixMode(const std::wstring& path)
{
    return StatMode(path, 4);
}

bool SetUnixMode(const std::wstring& path, long mode)
{
    std::string unix = UnixPath(path);
    return !unix.empty() && LinuxCall(90, reinterpret_cast<long long>(unix.c_str()), mode) == 0;
}

bool IsUnixLink(const std::wstring& path)
{
    return (StatMode(path, 6) & 0170000) == 0120000;
}

bool MakeUnixLink(const std::string& target, const std::wstring& link)
{
    std::string unix = UnixPath(link);
    return !unix.empty() &&
           LinuxCall(88, reinterpret_cast<long long>(target.c_str()), reinterpret_cast<long long>(unix.c_str())) == 0;
}

bool RemoveUnixFile(const std::wstring& path)
{
    std::string unix = UnixPath(path);
    return !unix.empty() && LinuxCall(87, reinterpret_cast<long long>(unix.c_str()), 0) == 0;
}
