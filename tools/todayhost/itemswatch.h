// CItemsWatch: notices Today items registered, changed or removed while the Today screen runs.
#pragma once

#include <windows.h>
#include <string>

class CItemsWatch
{
public:
    CItemsWatch() = default;
    ~CItemsWatch();
    CItemsWatch(const CItemsWatch&) = delete;
    CItemsWatch& operator=(const CItemsWatch&) = delete;

    // Starts watching, taking the registrations as they are now as seen.
    void Start();
    void Stop();
    // True once when the registrations differ from those last seen (which they then become).
    bool Changed();

private:
    void Arm();

    HKEY m_key = nullptr;
    HANDLE m_event = nullptr;
    std::wstring m_seen;
};

// Every registration below the items key as one text: names and values in order.
std::wstring RegisteredItemsText();
