// Test helpers that see an address book file as Linux does under Wine: its mode and whether it is a link.
#pragma once

#include <string>

// False when the tests do not run under Wine on x86-64 Linux (the helpers then do nothing).
bool HaveUnixFiles();
// The file's Unix mode (type and permission bits), following links, or -1.
long UnixMode(const std::wstring& path);
bool SetUnixMode(const std::wstring& path, long mode);
bool IsUnixLink(const std::wstring& path);
// Creates link pointing to target (as written, so a relative target stays relative).
bool MakeUnixLink(const std::string& target, const std::wstring& link);
// Removes a file or a link itself (Wine does not delete a link through the Windows calls).
bool RemoveUnixFile(const std::wstring& path);
