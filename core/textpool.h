// CTextPool: texts copied into a few large blocks; each stays in place until the pool is cleared.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

class CTextPool
{
public:
    CTextPool() = default;
    CTextPool(const CTextPool&) = delete;
    CTextPool& operator=(const CTextPool&) = delete;

    // A copy of the length characters at text, ended by a zero; valid until Clear.
    const wchar_t* Add(const wchar_t* text, size_t length);
    void Clear();

private:
    // Large enough that a list of many names needs few blocks; a longer text gets a block of its own size.
    static const size_t BLOCK_CHARS = 32768;
    std::vector<std::unique_ptr<wchar_t[]>> m_blocks;
    size_t m_used = 0;
    size_t m_size = 0;
};
