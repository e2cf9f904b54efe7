// CStr: every dynamic change builds an exact-size buffer; fixed strings check capacity and never reallocate.
#include "core/str.h"

#include "core/error.h"

#include <windows.h>
#include <cstdarg>
#include <cstdlib>
#include <cwchar>
#include <cwctype>

namespace {

const int kFormatBufferSize = 256;

wchar_t* AllocChars(size_t count)
{
    return static_cast<wchar_t*>(malloc(count * sizeof(wchar_t)));
}

wchar_t* CopyOf(const wchar_t* text, size_t n)
{
    wchar_t* p = AllocChars(n + 1);
    if (p)
    {
        wmemcpy(p, text, n);
        p[n] = 0;
    }
    return p;
}

// Bounded copy of at most count characters into a buffer of limit characters; false when it does not fit.
bool BoundedCopy(wchar_t* dest, size_t limit, const wchar_t* text, size_t count)
{
    size_t n = wcslen(text);
    if (n > count)
        n = count;
    if (n + 1 > limit)
        return false;
    wmemmove(dest, text, n);
    dest[n] = 0;
    return true;
}

} // namespace

CStr::CStr() : m_buffer(AllocChars(1)), m_fixedSize(0)
{
    Assert(m_buffer != nullptr, ERR_NOT_ENOUGH_MEMORY, L"CStr::CStr", __LINE__);
    m_buffer[0] = 0;
}

CStr::CStr(uint32_t fixedSize) : m_buffer(AllocChars(size_t(fixedSize) + 1)), m_fixedSize(fixedSize)
{
    Assert(m_buffer != nullptr, ERR_NOT_ENOUGH_MEMORY, L"CStr::CStr", __LINE__);
    m_buffer[0] = 0;
}

CStr::CStr(const wchar_t* text) : m_buffer(text ? CopyOf(text, wcslen(text)) : AllocChars(1)), m_fixedSize(0)
{
    Assert(m_buffer != nullptr, ERR_NOT_ENOUGH_MEMORY, L"CStr::CStr", __LINE__);
    if (!text)
        m_buffer[0] = 0;
}

CStr::CStr(const CStr& other) : m_buffer(CopyOf(other.m_buffer, wcslen(other.m_buffer))), m_fixedSize(0)
{
    Assert(m_buffer != nullptr, ERR_NOT_ENOUGH_MEMORY, L"CStr::CStr", __LINE__);
}

CStr::CStr(wchar_t* buffer, TakeOver) : m_buffer(buffer), m_fixedSize(0)
{
}

CStr::~CStr()
{
    free(m_buffer);
}

void CStr::SetBuffer(wchar_t* fresh)
{
    free(m_buffer);
    m_buffer = fresh;
}

int CStr::GetLength() const
{
    return static_cast<int>(wcslen(m_buffer));
}

int CStr::GetCapacity() const
{
    return m_fixedSize ? static_cast<int>(m_fixedSize) : GetLength();
}

wchar_t* CStr::At(int index) const
{
    int limit = m_fixedSize ? static_cast<int>(m_fixedSize) : GetLength();
    Assert(index >= 0 && index <= limit, ERR_OUT_OF_RANGE, L"CStr::At", __LINE__);
    return m_buffer + index;
}

int CStr::Find(const wchar_t* text, int start) const
{
    if (!text)
        return -1;
    int length = GetLength();
    Assert(start >= 0 && start <= length, ERR_OUT_OF_RANGE, L"CStr::Find", __LINE__);
    const wchar_t* hit = wcsstr(m_buffer + start, text);
    return hit ? static_cast<int>(hit - m_buffer) : -1;
}

int CStr::ReverseFind(wchar_t ch) const
{
    for (int i = GetLength(); i >= 0; i--)
        if (m_buffer[i] == ch)
            return i;
    return -1;
}

CStr& CStr::operator=(const wchar_t* text)
{
    if (text == m_buffer)
        return *this;
    if (!m_fixedSize)
    {
        wchar_t* fresh = text ? CopyOf(text, wcslen(text)) : AllocChars(1);
        Assert(fresh != nullptr, ERR_NOT_ENOUGH_MEMORY, L"CStr::operator =", __LINE__);
        if (!text)
            fresh[0] = 0;
        SetBuffer(fresh);
        return *this;
    }
    if (!text)
    {
        m_buffer[0] = 0;
        return *this;
    }
    size_t n = wcslen(text);
    Assert(n <= m_fixedSize, ERR_BUFFER_TOO_SMALL, L"CStr::operator =", __LINE__);
    Assert(BoundedCopy(m_buffer, size_t(m_fixedSize) + 1, text, n), ERR_ERROR, L"CStr::operator =", __LINE__);
    return *this;
}

CStr& CStr::operator=(const CStr& other)
{
    return *this = other.m_buffer;
}

void CStr::Assign(const wchar_t* text, uint32_t n)
{
    if (text == m_buffer)
        return;
    if (!m_fixedSize)
    {
        if (!text)
        {
            *this = nullptr;
            return;
        }
        size_t length = wcslen(text);
        if (n != 0 && n < length)
            length = n;
        wchar_t* fresh = CopyOf(text, length);
        Assert(fresh != nullptr, ERR_NOT_ENOUGH_MEMORY, L"CStr::Assign", __LINE__);
        SetBuffer(fresh);
        return;
    }
    if (!text)
    {
        m_buffer[0] = 0;
        return;
    }
    Assert(BoundedCopy(m_buffer, size_t(m_fixedSize) + 1, text, n), ERR_ERROR, L"CStr::Assign", __LINE__);
}

void CStr::AssignTruncated(const wchar_t* text)
{
    Assign(text, m_fixedSize);
}

void CStr::SetFixedSize(uint32_t n)
{
    if (n == m_fixedSize)
        return;
    if (n == 0)
    {
        m_fixedSize = 0;
        return;
    }
    wchar_t* fresh = AllocChars(size_t(n) + 1);
    Assert(fresh != nullptr, ERR_NOT_ENOUGH_MEMORY, L"CStr::SetFixedSize", __LINE__);
    size_t keep = wcslen(m_buffer);
    if (keep > n)
        keep = n;
    wmemcpy(fresh, m_buffer, keep);
    fresh[keep] = 0;
    SetBuffer(fresh);
    m_fixedSize = n;
}

void CStr::Empty()
{
    if (m_fixedSize)
    {
        m_buffer[0] = 0;
        return;
    }
    wchar_t* fresh = AllocChars(1);
    Assert(fresh != nullptr, ERR_NOT_ENOUGH_MEMORY, L"CStr::Empty", __LINE__);
    fresh[0] = 0;
    SetBuffer(fresh);
}

void CStr::Append(const wchar_t* text)
{
    if (!text || !text[0])
        return;
    size_t length = wcslen(m_buffer);
    size_t added = wcslen(text);
    if (m_fixedSize)
    {
        Assert(length + added <= m_fixedSize, ERR_BUFFER_TOO_SMALL, L"CStr::Append", __LINE__);
        Assert(BoundedCopy(m_buffer + length, m_fixedSize - length + 1, text, added), ERR_ERROR, L"CStr::Append",
               __LINE__);
        return;
    }
    wchar_t* fresh = AllocChars(length + added + 1);
    Assert(fresh != nullptr, ERR_NOT_ENOUGH_MEMORY, L"CStr::Append", __LINE__);
    wmemcpy(fresh, m_buffer, length);
    wmemcpy(fresh + length, text, added);
    fresh[length + added] = 0;
    SetBuffer(fresh);
}

void CStr::Append(wchar_t ch, int count)
{
    if (count <= 0)
        return;
    CStr run(static_cast<uint32_t>(count));
    wmemset(run.m_buffer, ch, count);
    run.m_buffer[count] = 0;
    Append(run.m_buffer);
}

void CStr::AppendUnsigned(uint32_t n)
{
    CStr number(25u);
    number.Format(L"%u", n);
    Append(number);
}

void CStr::AppendInt(int n)
{
    CStr number(25u);
    number.Format(L"%d", n);
    Append(number);
}

void CStr::Delete(int index, int count)
{
    if (count == 0)
        return;
    int length = GetLength();
    Assert(index >= 0 && index < length && count > 0, ERR_OUT_OF_RANGE, L"CStr::Delete", __LINE__);
    if (count > length - index)
        count = length - index;
    if (m_fixedSize)
    {
        wmemmove(m_buffer + index, m_buffer + index + count, length - index - count + 1);
        return;
    }
    int newLength = length - count;
    wchar_t* fresh = AllocChars(newLength + 1);
    Assert(fresh != nullptr, ERR_NOT_ENOUGH_MEMORY, L"CStr::Delete", __LINE__);
    wmemcpy(fresh, m_buffer, index);
    wmemcpy(fresh + index, m_buffer + index + count, length - index - count + 1);
    SetBuffer(fresh);
}

void CStr::Replace(int index, int count, const wchar_t* text)
{
    if (!text || !text[0])
    {
        Delete(index, count);
        return;
    }
    int length = GetLength();
    Assert(index >= 0 && count >= 0 && index + count <= length, ERR_OUT_OF_RANGE, L"CStr::Replace", __LINE__);
    int added = static_cast<int>(wcslen(text));
    if (added == count)
    {
        wmemcpy(m_buffer + index, text, count);
        return;
    }
    int newLength = length - count + added;
    int tail = length - index - count;
    if (m_fixedSize)
    {
        Assert(newLength <= static_cast<int>(m_fixedSize), ERR_OUT_OF_RANGE, L"CStr::Replace", __LINE__);
        wmemmove(m_buffer + index + added, m_buffer + index + count, tail + 1);
        wmemcpy(m_buffer + index, text, added);
        return;
    }
    wchar_t* fresh = AllocChars(newLength + 1);
    Assert(fresh != nullptr, ERR_NOT_ENOUGH_MEMORY, L"CStr::Replace", __LINE__);
    wmemcpy(fresh, m_buffer, index);
    wmemcpy(fresh + index, text, added);
    wmemcpy(fresh + index + added, m_buffer + index + count, tail + 1);
    SetBuffer(fresh);
}

int CStr::ReplaceAll(const wchar_t* find, const wchar_t* replacement)
{
    // An empty search text would match everywhere without advancing.
    if (!find || !find[0])
        return 0;
    int findLength = static_cast<int>(wcslen(find));
    int replacementLength = replacement ? static_cast<int>(wcslen(replacement)) : 0;
    int replaced = 0;
    int position = 0;
    for (;;)
    {
        int hit = Find(find, position);
        if (hit < 0)
            break;
        Replace(hit, findLength, replacement);
        replaced++;
        position = hit + replacementLength;
    }
    return replaced;
}

void CStr::MakeLower()
{
    CharLowerW(m_buffer);
}

void CStr::Format(const wchar_t* format, ...)
{
    Empty();
    if (!format)
        return;
    va_list args;
    va_start(args, format);
    if (m_fixedSize)
    {
        int n = _vsnwprintf(m_buffer, m_fixedSize, format, args);
        va_end(args);
        if (n < 0 || n > static_cast<int>(m_fixedSize))
            m_buffer[0] = 0;
        else
            m_buffer[n] = 0;
        Assert(n >= 0 && n <= static_cast<int>(m_fixedSize), ERR_INVALID_VALUE, L"CStr::Format", __LINE__);
        return;
    }
    wchar_t local[kFormatBufferSize];
    int n = _vsnwprintf(local, kFormatBufferSize, format, args);
    va_end(args);
    Assert(n >= 0 && n < kFormatBufferSize, ERR_INVALID_VALUE, L"CStr::Format", __LINE__);
    local[n] = 0;
    wchar_t* fresh = CopyOf(local, n);
    Assert(fresh != nullptr, ERR_NOT_ENOUGH_MEMORY, L"CStr::Format", __LINE__);
    SetBuffer(fresh);
}

void CStr::AppendFormat(const wchar_t* format, ...)
{
    if (!format)
        return;
    wchar_t local[kFormatBufferSize];
    va_list args;
    va_start(args, format);
    int n = _vsnwprintf(local, kFormatBufferSize, format, args);
    va_end(args);
    Assert(n >= 0 && n < kFormatBufferSize, ERR_INVALID_VALUE, L"CStr::AppendFormat", __LINE__);
    local[n] = 0;
    Append(local);
}

void CStr::LoadStringW(unsigned id)
{
    HINSTANCE module = GetModuleHandleW(nullptr);
    if (m_fixedSize)
    {
        int n = ::LoadStringW(module, id, m_buffer, static_cast<int>(m_fixedSize));
        Assert(n > 0, ERR_NOT_FOUND, L"CStr::LoadStringW", __LINE__);
        return;
    }
    wchar_t local[kFormatBufferSize];
    int n = ::LoadStringW(module, id, local, kFormatBufferSize);
    Assert(n > 0, ERR_NOT_FOUND, L"CStr::LoadStringW", __LINE__);
    wchar_t* fresh = CopyOf(local, n);
    Assert(fresh != nullptr, ERR_NOT_ENOUGH_MEMORY, L"CStr::LoadStringW", __LINE__);
    SetBuffer(fresh);
}

wchar_t* CStr::AllocLeft(int n) const
{
    int length = GetLength();
    if (n < 0)
        n = 0;
    wchar_t* p = CopyOf(m_buffer, n < length ? n : length);
    Assert(p != nullptr, ERR_NOT_ENOUGH_MEMORY, L"CStr::AllocLeft", __LINE__);
    return p;
}

wchar_t* CStr::AllocRight(int n) const
{
    int length = GetLength();
    if (n < 0)
        n = 0;
    int take = n < length ? n : length;
    wchar_t* p = CopyOf(m_buffer + length - take, take);
    Assert(p != nullptr, ERR_NOT_ENOUGH_MEMORY, L"CStr::AllocRight", __LINE__);
    return p;
}

wchar_t* CStr::AllocMiddle(int index, int n) const
{
    int length = GetLength();
    Assert(index >= 0 && index < length, ERR_OUT_OF_RANGE, L"CStr::AllocMiddle", __LINE__);
    if (n < 0)
        n = 0;
    int take = n < length - index ? n : length - index;
    wchar_t* p = CopyOf(m_buffer + index, take);
    Assert(p != nullptr, ERR_NOT_ENOUGH_MEMORY, L"CStr::AllocMiddle", __LINE__);
    return p;
}

wchar_t* CStr::Duplicate(const wchar_t* text)
{
    wchar_t* p = CopyOf(text ? text : L"", text ? wcslen(text) : 0);
    Assert(p != nullptr, ERR_NOT_ENOUGH_MEMORY, L"CStr::Duplicate", __LINE__);
    return p;
}

CStr CStr::Left(int n) const
{
    return CStr(AllocLeft(n), TakeOver());
}

CStr CStr::Right(int n) const
{
    return CStr(AllocRight(n), TakeOver());
}

CStr CStr::Middle(int index, int n) const
{
    return CStr(AllocMiddle(index, n), TakeOver());
}
