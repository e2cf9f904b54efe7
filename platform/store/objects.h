// The store's COM objects: application, contacts folder, item collection and contact.
#pragma once

#include "platform/store/addressbook.h"
#include "platform/store/contactstore.h"
#include "platform/store/widetext.h"

#include <memory>

// The object count keeps the DLL loaded; every object below takes part from its creation until its
// last reference goes.
class CRefCount
{
public:
    CRefCount();
    virtual ~CRefCount();
    ULONG Add() { return static_cast<ULONG>(InterlockedIncrement(&m_count)); }
    ULONG Drop();

protected:
    // For an object kept for reuse: its last reference gone without deleting it (it then no longer
    // counts), and handed out again.
    LONG DropKept() { return InterlockedDecrement(&m_count); }
    void Revive();

private:
    LONG m_count;
};

class CApplication : public IPOutlookApp2, private CRefCount
{
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return Add(); }
    ULONG STDMETHODCALLTYPE Release() override { return Drop(); }

    HRESULT STDMETHODCALLTYPE Logon(LONG_PTR window) override;
    HRESULT STDMETHODCALLTYPE Logoff() override;
    HRESULT STDMETHODCALLTYPE GetDefaultFolder(int folder, IFolder** result) override;
    HRESULT STDMETHODCALLTYPE GetItemFromOid(LONG oid, IContact** result) override;
    HRESULT STDMETHODCALLTYPE GetItemFromOidEx(LONG oid, DWORD flags, IItem** result) override;

    // The contacts folder's notification property.
    ULONG NotificationMask() const { return m_mask; }
    void SetNotificationMask(ULONG mask);

    CApplication();
    ~CApplication() override;

private:
    HWND m_window;
    bool m_loggedOn;
    ULONG m_mask;
};

class CFolder : public IFolder, public IItem, private CRefCount
{
public:
    explicit CFolder(CApplication* application);
    ~CFolder() override;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return Add(); }
    ULONG STDMETHODCALLTYPE Release() override { return Drop(); }

    HRESULT STDMETHODCALLTYPE get_Items(IPOutlookItemCollection** result) override;

    HRESULT STDMETHODCALLTYPE GetProps(const CEPROPID* ids, ULONG flags, WORD count, CEPROPVAL** values, ULONG* size,
                                       HANDLE heap) override;
    HRESULT STDMETHODCALLTYPE SetProps(ULONG flags, WORD count, CEPROPVAL* values) override;
    HRESULT STDMETHODCALLTYPE OpenProperty(CEPROPID id, DWORD access, IStream** stream) override;
    HRESULT STDMETHODCALLTYPE Edit(HWND* window) override;
    HRESULT STDMETHODCALLTYPE Display(HWND parent) override;

private:
    CApplication* m_application;
};

class CItemCollection : public IPOutlookItemCollection, private CRefCount
{
public:
    explicit CItemCollection(std::shared_ptr<const CSnapshot> snapshot) : m_snapshot(std::move(snapshot)) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return Add(); }
    ULONG STDMETHODCALLTYPE Release() override { return Drop(); }

    HRESULT STDMETHODCALLTYPE get_Count(int* count) override;
    HRESULT STDMETHODCALLTYPE Item(int index, IContact** result) override;

private:
    std::shared_ptr<const CSnapshot> m_snapshot;
};

class CContact : public IContact, public IItem, private CRefCount
{
public:
    // A program walks the whole address book one contact at a time: the contact released last is
    // handed out again rather than one allocated and freed for each.
    static CContact* Make(std::shared_ptr<const CSnapshot> snapshot, size_t entry);
    // No store object is left: the contact kept for reuse is freed.
    static void FreeKept();

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return Add(); }
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE get_Oid(LONG* oid) override;
    HRESULT STDMETHODCALLTYPE get_Birthday(DATE* date) override;
    HRESULT STDMETHODCALLTYPE get_Anniversary(DATE* date) override;
    HRESULT STDMETHODCALLTYPE get_FileAs(BSTR* name) override;
    HRESULT STDMETHODCALLTYPE get_FirstName(BSTR* name) override;
    HRESULT STDMETHODCALLTYPE get_LastName(BSTR* name) override;

    HRESULT STDMETHODCALLTYPE GetProps(const CEPROPID* ids, ULONG flags, WORD count, CEPROPVAL** values, ULONG* size,
                                       HANDLE heap) override;
    HRESULT STDMETHODCALLTYPE SetProps(ULONG flags, WORD count, CEPROPVAL* values) override;
    HRESULT STDMETHODCALLTYPE OpenProperty(CEPROPID id, DWORD access, IStream** stream) override;
    HRESULT STDMETHODCALLTYPE Edit(HWND* window) override;
    HRESULT STDMETHODCALLTYPE Display(HWND parent) override;

private:
    CContact(std::shared_ptr<const CSnapshot> snapshot, size_t entry);
    void Place(std::shared_ptr<const CSnapshot> snapshot, size_t entry);

    // What the list reads is kept for every card; the rest is read from the card when asked for.
    const CStoreCard& Card() const { return (*m_cards)[m_place.card]; }
    const vcard::CContactRecord& Record() const { return m_snapshot->Record(m_entry); }
    LONG Oid() const { return m_place.oid; }

    std::shared_ptr<const CSnapshot> m_snapshot;
    size_t m_entry;
    // Where the contact's card is, found once.
    CStoreEntry m_place;
    const CFileCards* m_cards;
};

// Property values of GetProps: the records it fills and the buffer it lays them out in (properties.cpp).
struct CPropValue
{
    CEPROPID id;
    bool found;
    ULONG number;     // CEVT_UI4 values
    std::wstring text; // CEVT_LPWSTR values
};
HRESULT WriteProps(const std::vector<CPropValue>& props, ULONG flags, CEPROPVAL** values, ULONG* size, HANDLE heap);
