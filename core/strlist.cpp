// CStrList and the report names of CArray.
#include "core/strlist.h"

#include <cwchar>

const wchar_t* ArrayFunctionName(wchar_t* buffer, int size, const wchar_t* typeName, const wchar_t* operation)
{
    _snwprintf(buffer, size - 1, L"CArray<%ls>::%ls", typeName, operation);
    buffer[size - 1] = 0;
    return buffer;
}

CStrList::CStrList() : m_items(new CArray<CStr*>())
{
}

CStrList::~CStrList()
{
    RemoveAll();
    delete m_items;
}

void CStrList::Add(const wchar_t* text)
{
    CStr* item = new CStr();
    *item = text;
    m_items->Append(item);
}

void CStrList::RemoveAll()
{
    for (uint32_t i = 0; i < m_items->GetCount(); i++)
        delete m_items->At(i);
    m_items->Delete(0, m_items->GetCount());
}
