// CArray: growable array of 32-bit values or pointers, growing linearly by a fixed step; owns no pointee.
#pragma once

#include "core/error.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

class CStr;
class CDataItem;
class CVelaView;

// The element type as it is spelled in the function names of fatal reports.
template <class T> struct CArrayTypeName;
template <> struct CArrayTypeName<int> { static constexpr const wchar_t* kName = L"int"; };
template <> struct CArrayTypeName<CStr*> { static constexpr const wchar_t* kName = L"class CStr *"; };
template <> struct CArrayTypeName<CDataItem*> { static constexpr const wchar_t* kName = L"class CDataItem *"; };
template <> struct CArrayTypeName<CVelaView*> { static constexpr const wchar_t* kName = L"class CVelaView *"; };

// Builds "CArray<type>::operation" into a caller buffer, only on the fatal path.
const wchar_t* ArrayFunctionName(wchar_t* buffer, int size, const wchar_t* typeName, const wchar_t* operation);

template <class T> class CArray
{
public:
    CArray() : m_items(nullptr), m_count(0), m_capacity(16), m_step(16)
    {
        Allocate(L"CArray");
    }

    explicit CArray(uint32_t size) : m_items(nullptr), m_count(0), m_capacity(size), m_step(size)
    {
        Check(size != 0, ERR_INVALID_VALUE, L"CArray", __LINE__);
        Allocate(L"CArray");
    }

    virtual ~CArray()
    {
        free(m_items);
    }

    CArray(const CArray&) = delete;
    CArray& operator=(const CArray&) = delete;

    uint32_t GetCount() const { return m_count; }
    uint32_t GetCapacity() const { return m_capacity; }

    T& At(uint32_t index) const
    {
        Check(index < m_count, ERR_OUT_OF_RANGE, L"At", __LINE__);
        return m_items[index];
    }

    T& operator[](uint32_t index) const
    {
        Check(index < m_count, ERR_OUT_OF_RANGE, L"operator []", __LINE__);
        return m_items[index];
    }

    void Append(T element)
    {
        m_count++;
        if (m_count > m_capacity)
        {
            m_capacity += m_step;
            T* grown = static_cast<T*>(realloc(m_items, size_t(m_capacity) * sizeof(T)));
            Check(grown != nullptr, ERR_NOT_ENOUGH_MEMORY, L"Append", __LINE__);
            m_items = grown;
        }
        m_items[m_count - 1] = element;
    }

    void Delete(uint32_t index, uint32_t n)
    {
        Check(uint64_t(index) + n <= m_count, ERR_OUT_OF_RANGE, L"Delete", __LINE__);
        if (n == 0)
            return;
        memmove(m_items + index, m_items + index + n, size_t(m_count - index - n) * sizeof(T));
        m_count -= n;
    }

private:
    void Allocate(const wchar_t* operation)
    {
        m_items = static_cast<T*>(malloc(size_t(m_capacity) * sizeof(T)));
        Check(m_items != nullptr, ERR_NOT_ENOUGH_MEMORY, operation, __LINE__);
    }

    static void Check(bool condition, int code, const wchar_t* operation, int line)
    {
        if (condition)
            return;
        wchar_t name[100];
        FatalError(code, ArrayFunctionName(name, 100, CArrayTypeName<T>::kName, operation), line);
    }

    T* m_items;
    uint32_t m_count;
    uint32_t m_capacity;
    uint32_t m_step;
};
