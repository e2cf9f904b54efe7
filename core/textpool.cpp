// CTextPool: texts copied into a few large blocks.
#include "core/textpool.h"

#include <cstring>

const wchar_t* CTextPool::Add(const wchar_t* text, size_t length)
{
    if (m_blocks.empty() || m_size - m_used < length + 1)
    {
        m_size = length + 1 > BLOCK_CHARS ? length + 1 : BLOCK_CHARS;
        m_blocks.emplace_back(new wchar_t[m_size]);
        m_used = 0;
    }
    wchar_t* copy = m_blocks.back().get() + m_used;
    if (length > 0)
        memcpy(copy, text, length * sizeof(wchar_t));
    copy[length] = 0;
    m_used += length + 1;
    return copy;
}

void CTextPool::Clear()
{
    m_blocks.clear();
    m_used = 0;
    m_size = 0;
}
