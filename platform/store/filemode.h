// What a replaced address book file keeps of the one it replaces: where it really is and who may read it.
#pragma once

#include <windows.h>

#include <string>

// The file a path names, links followed (the path itself when that cannot be told).
std::wstring ResolveLinks(const std::wstring& path);

// Gives the new file the access rights of the original: the Unix permission bits and group when
// running on Linux under Wine (where they are the file's real permissions), else the DACL.
void CopyPermissions(const std::wstring& original, const std::wstring& copy);

// Creates a new file (failing when it exists) that only the current user can read and write,
// for the copy of an address book while it is being written.
HANDLE CreatePrivateFile(const std::wstring& path);
