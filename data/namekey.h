// CNameKeys: the locale's case-insensitive sort keys of names, made without the locale's call where that is safe.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include <windows.h>

// Comparing two keys byte by byte (a key that is the start of another first) orders the names exactly as
// the user's locale does without regard to case.
// A name made only of characters whose weights the locale was seen to put together by a simple rule (their
// primary weights in turn, then their accents' weights in turn) gets a quick key: made from those weights
// in a few nanoseconds, and so not worth keeping. Any other name's key
// comes from the locale's call and is kept, in blocks that never move: a kept key stays where it was
// written until the object goes, and the memory never holds an old and a grown copy at once.
class CNameKeys
{
public:
    // names: how many names the keys are for; few names all take the locale's call.
    explicit CNameKeys(uint32_t names);
    CNameKeys(const CNameKeys&) = delete;
    CNameKeys& operator=(const CNameKeys&) = delete;

    // Writes name's quick key (up to its first null) to out; false when name has none.
    bool Quick(const wchar_t* name, std::vector<unsigned char>& out) const;
    // The locale's key of name, kept; its length goes to length (0 when the locale made none).
    const unsigned char* Kept(const wchar_t* name, uint32_t& length);

private:
    unsigned char* Reserve(size_t length);

    std::vector<std::unique_ptr<unsigned char[]>> m_blocks;
    unsigned char* m_free = nullptr; // the unused end of the last block
    size_t m_left = 0;
    bool m_quick;
};
