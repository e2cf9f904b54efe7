// Reading a whole file, and the hashes that name what the store keeps per file.
#include "platform/store/filebytes.h"

#include "platform/store/longpath.h"

#include <algorithm>
#include <cstring>

namespace {

const uint64_t FNV_BASIS = 14695981039346656037ull;
const uint64_t FNV_PRIME = 1099511628211ull;

} // namespace

bool ReadFileBytes(const std::wstring& path, std::string& bytes, ULONGLONG limit, DWORD* error)
{
    DWORD failure = ERROR_SUCCESS;
    HANDLE h = CreateFileW(LongPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        failure = GetLastError();
    else
    {
        LARGE_INTEGER size;
        if (!GetFileSizeEx(h, &size))
            failure = GetLastError();
        else if (static_cast<ULONGLONG>(size.QuadPart) > limit)
            failure = ERROR_FILE_TOO_LARGE;
        else
        {
            bytes.resize(static_cast<size_t>(size.QuadPart));
            size_t done = 0;
            while (failure == ERROR_SUCCESS && done < bytes.size())
            {
                DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 24)), got = 0;
                if (!ReadFile(h, &bytes[done], chunk, &got, nullptr) || got == 0)
                    failure = GetLastError() ? GetLastError() : ERROR_READ_FAULT;
                done += got;
            }
            bytes.resize(done);
        }
        CloseHandle(h);
    }
    if (error)
        *error = failure;
    return failure == ERROR_SUCCESS;
}

uint64_t Fnv64(const char* data, size_t size)
{
    return Fnv64(data, size, FNV_BASIS);
}

uint64_t Fnv64(const char* data, size_t size, uint64_t hash)
{
    uint64_t h = hash;
    for (size_t i = 0; i < size; ++i)
        h = (h ^ static_cast<unsigned char>(data[i])) * FNV_PRIME;
    return h;
}

uint64_t CardHash(const char* data, size_t size)
{
    // Each step is a bijection of the state for a given word, so cards differing in one word differ.
    uint64_t h = FNV_BASIS ^ size;
    auto mix = [&h](uint64_t word) {
        h = (h ^ word) * FNV_PRIME;
        h ^= h >> 32;
    };
    for (; size >= 8; data += 8, size -= 8)
    {
        uint64_t word;
        memcpy(&word, data, 8);
        mix(word);
    }
    uint64_t tail = 0;
    memcpy(&tail, data, size);
    mix(tail);
    return h;
}

uint64_t FoldedNameHash(const std::wstring& name)
{
    std::wstring folded = name;
    if (!folded.empty())
        CharUpperBuffW(&folded[0], static_cast<DWORD>(folded.size()));
    uint64_t h = FNV_BASIS;
    for (wchar_t c : folded)
        h = (h ^ static_cast<unsigned short>(c)) * FNV_PRIME;
    return h;
}
