// CNameKeys: the locale's case-insensitive sort keys of names, made without the locale's call where that is safe.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include <windows.h>

// The sort keys of many names, kept in blocks that are never moved: a key's bytes stay where they were
// written until the object goes, and the memory never holds an old and a grown copy at once.
// Comparing two keys byte by byte (a key that is the start of another first) orders the names exactly as
// the user's locale does without regard to case.
class CNameKeys
{
public:
    // localeOnly: every key comes from the locale's call (the reference the quick keys are checked against).
    explicit CNameKeys(bool localeOnly = false);
    CNameKeys(const CNameKeys&) = delete;
    CNameKeys& operator=(const CNameKeys&) = delete;

    // The key of name (up to its first null), appended; its length goes to length.
    const unsigned char* Append(const wchar_t* name, uint32_t& length);
    // How many of the appended keys were made from the per-character weights.
    uint32_t GetQuickCount() const { return m_quick; }

private:
    unsigned char* Reserve(size_t length);
    uint32_t AppendFromLocale(const wchar_t* name, const unsigned char*& bytes);

    std::vector<std::unique_ptr<unsigned char[]>> m_blocks;
    unsigned char* m_free = nullptr; // the unused end of the last block
    size_t m_left = 0;
    bool m_localeOnly;
    uint32_t m_quick = 0;
};
