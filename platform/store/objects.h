// The store's COM objects: application, contacts folder, item collection and contact.
#pragma once

#include "platform/store/addressbook.h"
#include "platform/store/contactstore.h"
#include "platform/store/widetext.h"

#include <memory>

// The object count keeps the DLL loaded; every object below takes part.
class CRefCount
{
public:
    CRefCount();
    virtual ~CRefCount();
    ULONG Add() { return static_cast<ULONG>(InterlockedIncrement(&m_count)); }
    ULONG Drop();

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
    CContact(std::shared_ptr<const CSnapshot> snapshot, size_t entry) : m_snapshot(std::move(snapshot)), m_entry(entry)
    {
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return Add(); }
    ULONG STDMETHODCALLTYPE Release() override { return Drop(); }

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
    // What the list reads is kept for every card; the rest is read from the card when asked for.
    const CStoreCard& Card() const { return m_snapshot->Card(m_entry); }
    const vcard::CContactRecord& Record() const { return m_snapshot->Record(m_entry); }
    LONG Oid() const { return m_snapshot->Oid(m_entry); }

    std::shared_ptr<const CSnapshot> m_snapshot;
    size_t m_entry;
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
