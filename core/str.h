// CStr: the owning zero-terminated wide string, dynamic (exact-size buffer) or of a fixed size.
#pragma once

#include <cstdint>

class CStr
{
public:
    CStr();
    explicit CStr(uint32_t fixedSize);
    CStr(const wchar_t* text);
    CStr(const CStr& other);
    ~CStr();

    wchar_t* GetBuffer() const { return m_buffer; }
    int GetLength() const;
    int GetCapacity() const;
    bool IsEmpty() const { return m_buffer[0] == 0; }
    bool IsFixed() const { return m_fixedSize != 0; }
    uint32_t GetFixedSize() const { return m_fixedSize; }
    wchar_t* At(int index) const;
    int Find(const wchar_t* text, int start) const;
    int ReverseFind(wchar_t ch) const;
    operator const wchar_t*() const { return m_buffer; }

    CStr& operator=(const wchar_t* text);
    CStr& operator=(const CStr& other);
    void Assign(const wchar_t* text, uint32_t n);
    void AssignTruncated(const wchar_t* text);
    void SetFixedSize(uint32_t n);
    void Empty();

    void Append(const wchar_t* text);
    void Append(wchar_t ch, int count);
    void AppendUnsigned(uint32_t n);
    void AppendInt(int n);
    void Delete(int index, int count);
    void Replace(int index, int count, const wchar_t* text);
    int ReplaceAll(const wchar_t* find, const wchar_t* replacement);
    void MakeLower();

    void Format(const wchar_t* format, ...);
    void AppendFormat(const wchar_t* format, ...);
    void LoadStringW(unsigned id);

    // New heap buffers (malloc) owned by the caller.
    wchar_t* AllocLeft(int n) const;
    wchar_t* AllocRight(int n) const;
    wchar_t* AllocMiddle(int index, int n) const;
    static wchar_t* Duplicate(const wchar_t* text);

    CStr Left(int n) const;
    CStr Right(int n) const;
    CStr Middle(int index, int n) const;

private:
    struct TakeOver {};
    CStr(wchar_t* buffer, TakeOver);
    void SetBuffer(wchar_t* fresh);

    wchar_t* m_buffer;
    uint32_t m_fixedSize;
};
