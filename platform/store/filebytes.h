// Reading a whole file, and the hashes that name what the store keeps per file.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

// A whole file of at most limit bytes, opened so that other programs may go on reading, writing
// and renaming it; false when it cannot be read or is larger (error, when given, says why).
bool ReadFileBytes(const std::wstring& path, std::string& bytes, ULONGLONG limit, DWORD* error = nullptr);

// FNV-1a, 64 bits: the content id of a card without UID, and names of files. A hash given goes on from the bytes
// hashed into it (the data in pieces hashes as the whole does).
uint64_t Fnv64(const char* data, size_t size);
uint64_t Fnv64(const char* data, size_t size, uint64_t hash);

// What tells a card's bytes from other bytes: eight bytes a step (a byte a step costs more than a
// tenth of reading a large book). Any one changed word changes it.
uint64_t CardHash(const char* data, size_t size);

// FNV-1a, 64 bits, over the UTF-16 units of a name with its letter case folded: the same file
// named in another case gets the same lock and the same temporary copy.
uint64_t FoldedNameHash(const std::wstring& name);
