// GetProps results: property values laid out in one buffer, strings after the records.
#include "platform/store/objects.h"

HRESULT WriteProps(const std::vector<CPropValue>& props, ULONG flags, CEPROPVAL** values, ULONG* size, HANDLE heap)
{
    if (!values || !size)
        return E_POINTER;
    size_t needed = props.size() * sizeof(CEPROPVAL);
    for (const CPropValue& p : props)
        if (p.found && (p.id & 0xFFFF) == CEVT_LPWSTR)
            needed += (p.text.size() + 1) * sizeof(wchar_t);
    if (needed > 0xFFFFFFF)
        return E_OUTOFMEMORY;
    if (!*values || *size < needed)
    {
        if (!(flags & CEDB_ALLOWREALLOC))
        {
            *size = static_cast<ULONG>(needed);
            return HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER);
        }
        if (!heap)
            heap = GetProcessHeap();
        void* buffer = *values ? HeapReAlloc(heap, 0, *values, needed ? needed : 1) : HeapAlloc(heap, 0, needed ? needed : 1);
        if (!buffer)
            return E_OUTOFMEMORY;
        *values = static_cast<CEPROPVAL*>(buffer);
        *size = static_cast<ULONG>(needed);
    }
    CEPROPVAL* records = *values;
    wchar_t* strings = reinterpret_cast<wchar_t*>(records + props.size());
    for (size_t i = 0; i < props.size(); ++i)
    {
        const CPropValue& p = props[i];
        CEPROPVAL& v = records[i];
        ZeroMemory(&v, sizeof(v));
        v.propid = p.id;
        if (!p.found)
        {
            v.wFlags = CEDB_PROPNOTFOUND;
            continue;
        }
        if ((p.id & 0xFFFF) == CEVT_LPWSTR)
        {
            size_t bytes = (p.text.size() + 1) * sizeof(wchar_t);
            CopyMemory(strings, p.text.c_str(), bytes);
            v.val.lpwstr = strings;
            v.wLenData = static_cast<WORD>(bytes > 0xFFFF ? 0xFFFF : bytes);
            strings += p.text.size() + 1;
        }
        else
            v.val.ulVal = p.number;
    }
    return S_OK;
}
