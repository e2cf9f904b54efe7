// What a replaced address book file keeps of the one it replaces: where it really is and who may read it.
#include "platform/store/filemode.h"

#include "platform/store/longpath.h"

#include <windows.h>

#include <cstring>
#include <vector>

namespace {

#if defined(__x86_64__)
// Linux system calls, made directly: Wine runs the program as a Linux process but offers no
// call that reads or sets a file's Unix mode, which is what decides who may read it there.
long long LinuxCall(long long number, long long a, long long b, long long c)
{
    long long result;
    __asm__ volatile("syscall" : "=a"(result) : "a"(number), "D"(a), "S"(b), "d"(c) : "rcx", "r11", "memory");
    return result;
}

const long long LINUX_STAT = 4;
const long long LINUX_CHMOD = 90;
const long long LINUX_CHOWN = 92;
// Offsets in the x86-64 struct stat.
const size_t STAT_MODE = 24;
const size_t STAT_GID = 32;
const size_t STAT_SIZE = 144;

bool OnWineLinux()
{
    typedef void(CDECL * HostVersion)(const char** sysname, const char** release);
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    FARPROC found = ntdll ? GetProcAddress(ntdll, "wine_get_host_version") : nullptr;
    HostVersion version = reinterpret_cast<HostVersion>(reinterpret_cast<void*>(found));
    const char* sysname = nullptr;
    if (version)
        version(&sysname, nullptr);
    return sysname && strcmp(sysname, "Linux") == 0;
}

// The Unix path of a file under Wine, or empty.
std::vector<char> UnixPath(const std::wstring& path)
{
    typedef char*(CDECL * UnixName)(const wchar_t*);
    FARPROC found = GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name");
    UnixName name = reinterpret_cast<UnixName>(reinterpret_cast<void*>(found));
    char* unix = name ? name(path.c_str()) : nullptr;
    std::vector<char> result;
    if (unix)
    {
        result.assign(unix, unix + strlen(unix) + 1);
        HeapFree(GetProcessHeap(), 0, unix);
    }
    return result;
}

bool CopyUnixMode(const std::wstring& original, const std::wstring& copy)
{
    if (!OnWineLinux())
        return false;
    std::vector<char> from = UnixPath(original), to = UnixPath(copy);
    alignas(8) unsigned char st[STAT_SIZE] = {};
    if (from.empty() || to.empty() || LinuxCall(LINUX_STAT, reinterpret_cast<long long>(from.data()),
                                                reinterpret_cast<long long>(st), 0) != 0)
        return false;
    unsigned int mode = 0, gid = 0;
    memcpy(&mode, st + STAT_MODE, sizeof(mode));
    memcpy(&gid, st + STAT_GID, sizeof(gid));
    // The group may be one the user is not in; the mode is what keeps the file private.
    LinuxCall(LINUX_CHOWN, reinterpret_cast<long long>(to.data()), -1, gid);
    return LinuxCall(LINUX_CHMOD, reinterpret_cast<long long>(to.data()), mode & 07777, 0) == 0;
}

// Under Wine an access list cannot take the group's rights away: the mode is set directly.
void MakeUnixPrivate(const std::wstring& path)
{
    std::vector<char> unixPath = OnWineLinux() ? UnixPath(path) : std::vector<char>();
    if (!unixPath.empty())
        LinuxCall(LINUX_CHMOD, reinterpret_cast<long long>(unixPath.data()), 0600, 0);
}
#else
bool CopyUnixMode(const std::wstring&, const std::wstring&)
{
    return false;
}

void MakeUnixPrivate(const std::wstring&)
{
}
#endif

void CopyAccessList(const std::wstring& original, const std::wstring& copy)
{
    const SECURITY_INFORMATION what = DACL_SECURITY_INFORMATION;
    DWORD size = 0;
    GetFileSecurityW(original.c_str(), what, nullptr, 0, &size);
    if (size == 0)
        return;
    std::vector<BYTE> descriptor(size);
    if (GetFileSecurityW(original.c_str(), what, descriptor.data(), size, &size))
        SetFileSecurityW(copy.c_str(), what, descriptor.data());
}

} // namespace

std::wstring ResolveLinks(const std::wstring& path)
{
    HANDLE h = CreateFileW(LongPath(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return path;
    std::vector<wchar_t> name(MAX_PATH);
    DWORD n = GetFinalPathNameByHandleW(h, name.data(), static_cast<DWORD>(name.size()), FILE_NAME_NORMALIZED);
    if (n >= name.size())
    {
        name.resize(n + 1);
        n = GetFinalPathNameByHandleW(h, name.data(), static_cast<DWORD>(name.size()), FILE_NAME_NORMALIZED);
    }
    CloseHandle(h);
    return n > 0 && n < name.size() ? std::wstring(name.data(), n) : path;
}

void CopyPermissions(const std::wstring& original, const std::wstring& copy)
{
    if (!CopyUnixMode(original, copy))
        CopyAccessList(original, copy);
}

HANDLE CreatePrivateFile(const std::wstring& path)
{
    // An access list that names only the user who runs Festivo: the file is the user's alone from
    // its first byte (under Wine no one outside the user's group can open it, and it is made 0600
    // before anything is written).
    std::vector<BYTE> user;
    HANDLE token = nullptr;
    if (OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
    {
        DWORD size = 0;
        GetTokenInformation(token, TokenUser, nullptr, 0, &size);
        user.resize(size);
        if (size == 0 || !GetTokenInformation(token, TokenUser, user.data(), size, &size))
            user.clear();
        CloseHandle(token);
    }
    if (user.empty())
        return INVALID_HANDLE_VALUE;
    PSID sid = reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid;
    DWORD aclSize = sizeof(ACL) + sizeof(ACCESS_ALLOWED_ACE) + GetLengthSid(sid);
    std::vector<BYTE> acl(aclSize);
    SECURITY_DESCRIPTOR descriptor;
    if (!InitializeAcl(reinterpret_cast<ACL*>(acl.data()), aclSize, ACL_REVISION) ||
        !AddAccessAllowedAce(reinterpret_cast<ACL*>(acl.data()), ACL_REVISION, FILE_GENERIC_READ | FILE_GENERIC_WRITE | DELETE, sid) ||
        !InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) ||
        !SetSecurityDescriptorOwner(&descriptor, sid, FALSE) ||
        !SetSecurityDescriptorDacl(&descriptor, TRUE, reinterpret_cast<ACL*>(acl.data()), FALSE))
        return INVALID_HANDLE_VALUE;
    SECURITY_ATTRIBUTES attributes = {sizeof(attributes), &descriptor, FALSE};
    HANDLE file = CreateFileW(LongPath(path).c_str(), GENERIC_WRITE, 0, &attributes, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE)
        MakeUnixPrivate(path);
    return file;
}
