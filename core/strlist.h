// CStrList: an owning list of dynamic strings.
#pragma once

#include "core/array.h"
#include "core/str.h"

class CStrList
{
public:
    CStrList();
    ~CStrList();
    CStrList(const CStrList&) = delete;
    CStrList& operator=(const CStrList&) = delete;

    void Add(const wchar_t* text);
    CStr* GetAt(uint32_t index) const { return m_items->At(index); }
    uint32_t GetCount() const { return m_items->GetCount(); }
    void RemoveAll();

private:
    CArray<CStr*>* m_items;
};
