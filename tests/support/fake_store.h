// An in-memory contact store registered in the test process under the store's class id.
#pragma once

#include "platform/store/contactstore.h"

#include <map>
#include <string>
#include <vector>

struct FakeContact
{
    LONG oid;
    std::wstring name;
    DATE birthday;
    DATE anniversary;
    bool oidFails;
    // Absent names are null, not empty.
    const wchar_t* firstName;
    const wchar_t* lastName;
    std::map<CEPROPID, std::wstring> properties;
};

// Contacts that the next CoCreateInstance of the store serves; also records what callers did.
struct FakeStoreState
{
    std::vector<FakeContact> contacts;
    HWND loggedOnWindow = nullptr;
    ULONG notifications = 0xdeadbeef;
    int logons = 0;
    int logoffs = 0;
    // What creating the store gives: a failure stands for a device without a contact store.
    HRESULT createResult = S_OK;
    HRESULT logonResult = S_OK;
    // What listing the contacts gives: a failure stands for an address book that cannot be read, which
    // the error information then names.
    HRESULT itemsResult = S_OK;
    std::wstring itemsError;
    int enumerations = 0;
    int edits = 0;
    int displays = 0;
    // Property requests in the order they came: the ids of each GetProps call.
    std::vector<std::vector<CEPROPID>> requests;
};

// The contact with this oid, or null.
FakeContact* FindFakeContact(LONG oid);

FakeStoreState& FakeStore();

// Registers the fake under CLSID_Application for the life of the object.
class CFakeStoreRegistration
{
public:
    CFakeStoreRegistration();
    ~CFakeStoreRegistration();

private:
    DWORD m_cookie;
};

// OLE automation date of a calendar date.
DATE OleDate(int year, int month, int day);
