// The contact store's COM interfaces, identifiers, property numbers and notification messages.
#pragma once

#include <windows.h>
#include <objidl.h>
#include <oleauto.h>

// The store's application object and the interfaces the programs use.
inline const CLSID CLSID_Application = {0x05058F23, 0x20BE, 0x11D2, {0x8F, 0x18, 0x00, 0x00, 0xF8, 0x7A, 0x43, 0x35}};
inline const IID IID_IPOutlookApp2 = {0xAF7D0DC7, 0x3D35, 0x424B, {0xAA, 0x60, 0x27, 0xA3, 0x8B, 0x8B, 0x62, 0x9E}};
inline const IID IID_IItem = {0xFB8998D0, 0x38F0, 0x4D12, {0xAC, 0x56, 0x4E, 0xC8, 0xFC, 0xE9, 0xF3, 0xD5}};
inline const IID IID_IFolder = {0x6E5C7A3D, 0x51B2, 0x4C0A, {0x9E, 0x61, 0x2F, 0x40, 0x8C, 0x1B, 0x77, 0x01}};
inline const IID IID_IPOutlookItemCollection = {0x6E5C7A3D, 0x51B2, 0x4C0A, {0x9E, 0x61, 0x2F, 0x40, 0x8C, 0x1B, 0x77, 0x02}};
inline const IID IID_IContact = {0x6E5C7A3D, 0x51B2, 0x4C0A, {0x9E, 0x61, 0x2F, 0x40, 0x8C, 0x1B, 0x77, 0x03}};

// The platform imaging factory that decodes pictures.
inline const CLSID CLSID_ImagingFactory = {0x327ABDA8, 0x072B, 0x11D3, {0x9D, 0x7B, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
inline const IID IID_IImagingFactory = {0x327ABDA7, 0x072B, 0x11D3, {0x9D, 0x7B, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};

// A contact without such a date (1 January 4501).
const DATE NO_DATE = 949998.0;

const int olFolderContacts = 10;

// Property identifiers: number in the high word, type in the low word.
typedef DWORD CEPROPID;
const WORD CEVT_LPWSTR = 0x1F;
const WORD CEVT_UI4 = 0x13;
inline constexpr CEPROPID StringProperty(WORD number)
{
    return (static_cast<DWORD>(number) << 16) | CEVT_LPWSTR;
}

const CEPROPID PIMPR_FOLDERNOTIFICATIONS = 0x10010013;
const CEPROPID PIMPR_PICTURE = 0x00FF0064;

// Folder notification values: which changes are reported to logged-on windows.
const ULONG PIMFOLDERNOTIFICATION_NONE = 0;
const ULONG PIMFOLDERNOTIFICATION_ALL = 3;

// Telephone numbers, e-mail addresses and the text-message address.
const CEPROPID PIMPR_MOBILE_TELEPHONE_NUMBER = StringProperty(0x96);
const CEPROPID PIMPR_BUSINESS_TELEPHONE_NUMBER = StringProperty(0x97);
const CEPROPID PIMPR_BUSINESS2_TELEPHONE_NUMBER = StringProperty(0x98);
const CEPROPID PIMPR_HOME_TELEPHONE_NUMBER = StringProperty(0x99);
const CEPROPID PIMPR_HOME2_TELEPHONE_NUMBER = StringProperty(0x9A);
const CEPROPID PIMPR_BUSINESS_FAX_NUMBER = StringProperty(0x9B);
const CEPROPID PIMPR_HOME_FAX_NUMBER = StringProperty(0x9C);
const CEPROPID PIMPR_PAGER_NUMBER = StringProperty(0x9D);
const CEPROPID PIMPR_CAR_TELEPHONE_NUMBER = StringProperty(0x9E);
const CEPROPID PIMPR_RADIO_TELEPHONE_NUMBER = StringProperty(0x9F);
const CEPROPID PIMPR_COMPANY_TELEPHONE_NUMBER = StringProperty(0xA0);
const CEPROPID PIMPR_ASSISTANT_TELEPHONE_NUMBER = StringProperty(0xA1);
const CEPROPID PIMPR_EMAIL1_ADDRESS = StringProperty(0x90);
const CEPROPID PIMPR_EMAIL2_ADDRESS = StringProperty(0x91);
const CEPROPID PIMPR_EMAIL3_ADDRESS = StringProperty(0x92);
const CEPROPID PIMPR_SMS = StringProperty(0x10A2);

// One property value of GetProps / SetProps.
const WORD CEDB_PROPNOTFOUND = 0x0400;
const ULONG CEDB_ALLOWREALLOC = 0x00000001;

union CEVALUNION
{
    short iVal;
    USHORT uiVal;
    long lVal;
    ULONG ulVal;
    FILETIME filetime;
    LPWSTR lpwstr;
    double dblVal;
    BOOL boolVal;
};

struct CEPROPVAL
{
    CEPROPID propid;
    WORD wLenData;
    WORD wFlags;
    CEVALUNION val;
};

// Change notifications posted to every logged-on window.
const UINT PIM_ITEM_CREATED_LOCAL = 0x8100;
const UINT PIM_ITEM_DELETED_LOCAL = 0x8101;
const UINT PIM_ITEM_CHANGED_LOCAL = 0x8102;
const UINT PIM_ITEM_CREATED_REMOTE = 0x8105;
const UINT PIM_ITEM_DELETED_REMOTE = 0x8106;
const UINT PIM_ITEM_CHANGED_REMOTE = 0x8107;

struct IFolder;
struct IContact;
struct IItem;
struct IPOutlookItemCollection;

struct IPOutlookApp2 : public IUnknown
{
    // window: the window that receives change notifications while logged on.
    virtual HRESULT STDMETHODCALLTYPE Logon(LONG_PTR window) = 0;
    virtual HRESULT STDMETHODCALLTYPE Logoff() = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDefaultFolder(int folder, IFolder** result) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetItemFromOid(LONG oid, IContact** result) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetItemFromOidEx(LONG oid, DWORD flags, IItem** result) = 0;
};

struct IFolder : public IUnknown
{
    // Fails when the address book is set but cannot be read (missing, or no access); the thread's error
    // information (GetErrorInfo) then describes it by its location.
    virtual HRESULT STDMETHODCALLTYPE get_Items(IPOutlookItemCollection** result) = 0;
};

struct IPOutlookItemCollection : public IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE get_Count(int* count) = 0;
    // index is 1-based.
    virtual HRESULT STDMETHODCALLTYPE Item(int index, IContact** result) = 0;
};

struct IContact : public IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE get_Oid(LONG* oid) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Birthday(DATE* date) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Anniversary(DATE* date) = 0;
    // The name that names the contact's events; the caller frees it with SysFreeString.
    virtual HRESULT STDMETHODCALLTYPE get_FileAs(BSTR* name) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_FirstName(BSTR* name) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_LastName(BSTR* name) = 0;
};

// Generic item access: properties, the picture stream, and the store's own contact windows.
// The contacts folder answers IItem too, for its notification property.
struct IItem : public IUnknown
{
    // With CEDB_ALLOWREALLOC the store allocates *values on heap (the process heap when null); the caller frees it.
    virtual HRESULT STDMETHODCALLTYPE GetProps(const CEPROPID* ids, ULONG flags, WORD count, CEPROPVAL** values,
                                               ULONG* size, HANDLE heap) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetProps(ULONG flags, WORD count, CEPROPVAL* values) = 0;
    virtual HRESULT STDMETHODCALLTYPE OpenProperty(CEPROPID id, DWORD access, IStream** stream) = 0;
    virtual HRESULT STDMETHODCALLTYPE Edit(HWND* window) = 0;
    virtual HRESULT STDMETHODCALLTYPE Display(HWND parent) = 0;
};
