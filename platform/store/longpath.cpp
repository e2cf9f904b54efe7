// File paths in the form the system opens as they are: no length limit, no device names.
#include "platform/store/longpath.h"

#include <windows.h>

#include <vector>

namespace {

bool IsSlash(wchar_t c)
{
    return c == L'\\' || c == L'/';
}

// The full path of a relative one. Only its folder goes through the system's conversion, which
// would turn a last part named like a device into that device.
std::wstring FullPath(const std::wstring& path)
{
    size_t slash = path.find_last_of(L"\\/");
    std::wstring folder = slash == std::wstring::npos ? L"." : path.substr(0, slash + 1);
    std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
    DWORD n = GetFullPathNameW(folder.c_str(), 0, nullptr, nullptr);
    if (n == 0)
        return path;
    std::wstring full(n, L'\0');
    n = GetFullPathNameW(folder.c_str(), n, &full[0], nullptr);
    full.resize(n);
    if (!full.empty() && !IsSlash(full.back()))
        full += L'\\';
    return full + name;
}

// Joins the parts after root with single backslashes, dropping "." and going up for "..".
std::wstring Normalized(const std::wstring& root, const std::wstring& rest)
{
    std::vector<std::wstring> parts;
    size_t start = 0;
    for (size_t i = 0; i <= rest.size(); ++i)
    {
        if (i < rest.size() && !IsSlash(rest[i]))
            continue;
        std::wstring part = rest.substr(start, i - start);
        start = i + 1;
        if (part.empty() || part == L".")
            continue;
        if (part == L"..")
        {
            if (!parts.empty())
                parts.pop_back();
            continue;
        }
        parts.push_back(part);
    }
    std::wstring result = root;
    for (size_t i = 0; i < parts.size(); ++i)
        result += (i ? L"\\" : L"") + parts[i];
    return result;
}

} // namespace

std::wstring LongPath(const std::wstring& path)
{
    if (path.empty() || path.compare(0, 4, L"\\\\?\\") == 0 || path.compare(0, 4, L"\\\\.\\") == 0)
        return path;
    bool unc = path.size() > 2 && IsSlash(path[0]) && IsSlash(path[1]);
    bool drive = path.size() > 2 && path[1] == L':' && IsSlash(path[2]);
    std::wstring full = unc || drive ? path : FullPath(path);
    if (full.size() > 2 && IsSlash(full[0]) && IsSlash(full[1]))
        return Normalized(L"\\\\?\\UNC\\", full.substr(2));
    if (full.size() > 2 && full[1] == L':' && IsSlash(full[2]))
        return Normalized(full.substr(0, 2) + L"\\", full.substr(3)).insert(0, L"\\\\?\\");
    return path;
}
