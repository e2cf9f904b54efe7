// In-memory contact store: enough of the store's interfaces for the event list.
#include "tests/support/fake_store.h"

namespace {

template <class Interface> class CUnknownImpl : public Interface
{
public:
    CUnknownImpl(const IID& iid) : m_iid(iid), m_refs(1) {}
    virtual ~CUnknownImpl() = default;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override
    {
        if (riid == IID_IUnknown || riid == m_iid)
        {
            *out = static_cast<Interface*>(this);
            this->AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_refs; }
    ULONG STDMETHODCALLTYPE Release() override
    {
        ULONG left = --m_refs;
        if (left == 0)
            delete this;
        return left;
    }

private:
    IID m_iid;
    ULONG m_refs;
};

class CContact : public CUnknownImpl<IContact>
{
public:
    explicit CContact(const FakeContact& c) : CUnknownImpl(IID_IContact), m_contact(c) {}
    HRESULT STDMETHODCALLTYPE get_Oid(LONG* oid) override
    {
        if (m_contact.oidFails)
            return E_FAIL;
        *oid = m_contact.oid;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Birthday(DATE* date) override { *date = m_contact.birthday; return S_OK; }
    HRESULT STDMETHODCALLTYPE get_Anniversary(DATE* date) override { *date = m_contact.anniversary; return S_OK; }
    HRESULT STDMETHODCALLTYPE get_FileAs(BSTR* name) override
    {
        *name = SysAllocString(m_contact.name.c_str());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_FirstName(BSTR* name) override
    {
        *name = m_contact.firstName ? SysAllocString(m_contact.firstName) : nullptr;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_LastName(BSTR* name) override
    {
        *name = m_contact.lastName ? SysAllocString(m_contact.lastName) : nullptr;
        return S_OK;
    }

private:
    FakeContact m_contact;
};

// A contact's generic item: string properties from the fake's map, on the process heap.
class CContactItem : public CUnknownImpl<IItem>
{
public:
    explicit CContactItem(LONG oid) : CUnknownImpl(IID_IItem), m_oid(oid) {}
    HRESULT STDMETHODCALLTYPE GetProps(const CEPROPID* ids, ULONG, WORD count, CEPROPVAL** values, ULONG* size,
                                       HANDLE heap) override
    {
        FakeContact* contact = FindFakeContact(m_oid);
        if (!contact)
            return E_FAIL;
        FakeStore().requests.push_back(std::vector<CEPROPID>(ids, ids + count));
        size_t bytes = count * sizeof(CEPROPVAL);
        for (WORD i = 0; i < count; i++)
            if (contact->properties.count(ids[i]))
                bytes += (contact->properties[ids[i]].size() + 1) * sizeof(wchar_t);
        BYTE* block = static_cast<BYTE*>(HeapAlloc(heap ? heap : GetProcessHeap(), 0, bytes));
        CEPROPVAL* props = reinterpret_cast<CEPROPVAL*>(block);
        wchar_t* text = reinterpret_cast<wchar_t*>(block + count * sizeof(CEPROPVAL));
        for (WORD i = 0; i < count; i++)
        {
            props[i] = CEPROPVAL();
            props[i].propid = ids[i];
            if (!contact->properties.count(ids[i]))
            {
                props[i].wFlags = CEDB_PROPNOTFOUND;
                continue;
            }
            const std::wstring& value = contact->properties[ids[i]];
            wmemcpy(text, value.c_str(), value.size() + 1);
            props[i].val.lpwstr = text;
            text += value.size() + 1;
        }
        *values = props;
        *size = static_cast<ULONG>(bytes);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetProps(ULONG, WORD, CEPROPVAL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OpenProperty(CEPROPID, DWORD, IStream**) override { return E_FAIL; }
    HRESULT STDMETHODCALLTYPE Edit(HWND*) override
    {
        FakeStore().edits++;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Display(HWND) override
    {
        FakeStore().displays++;
        return S_OK;
    }

private:
    LONG m_oid;
};

class CCollection : public CUnknownImpl<IPOutlookItemCollection>
{
public:
    CCollection() : CUnknownImpl(IID_IPOutlookItemCollection) {}
    HRESULT STDMETHODCALLTYPE get_Count(int* count) override
    {
        *count = static_cast<int>(FakeStore().contacts.size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Item(int index, IContact** result) override
    {
        if (index < 1 || index > static_cast<int>(FakeStore().contacts.size()))
            return E_INVALIDARG;
        *result = new CContact(FakeStore().contacts[index - 1]);
        return S_OK;
    }
};

class CFolder : public CUnknownImpl<IFolder>, public IItem
{
public:
    CFolder() : CUnknownImpl(IID_IFolder) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override
    {
        if (riid == IID_IItem)
        {
            *out = static_cast<IItem*>(this);
            AddRef();
            return S_OK;
        }
        return CUnknownImpl::QueryInterface(riid, out);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return CUnknownImpl::AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return CUnknownImpl::Release(); }
    HRESULT STDMETHODCALLTYPE get_Items(IPOutlookItemCollection** result) override
    {
        FakeStore().enumerations++;
        if (FAILED(FakeStore().itemsResult))
        {
            ICreateErrorInfo* create = nullptr;
            if (SUCCEEDED(CreateErrorInfo(&create)))
            {
                create->SetDescription(const_cast<LPOLESTR>(FakeStore().itemsError.c_str()));
                IErrorInfo* info = nullptr;
                create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info));
                SetErrorInfo(0, info);
                info->Release();
                create->Release();
            }
            *result = nullptr;
            return FakeStore().itemsResult;
        }
        *result = new CCollection();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetProps(const CEPROPID*, ULONG, WORD, CEPROPVAL**, ULONG*, HANDLE) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SetProps(ULONG, WORD count, CEPROPVAL* values) override
    {
        if (count == 1 && values[0].propid == PIMPR_FOLDERNOTIFICATIONS)
            FakeStore().notifications = values[0].val.ulVal;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OpenProperty(CEPROPID, DWORD, IStream**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Edit(HWND*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Display(HWND) override { return E_NOTIMPL; }
};

class CApplication : public CUnknownImpl<IPOutlookApp2>
{
public:
    CApplication() : CUnknownImpl(IID_IPOutlookApp2) {}
    HRESULT STDMETHODCALLTYPE Logon(LONG_PTR window) override
    {
        FakeStore().logons++;
        FakeStore().loggedOnWindow = reinterpret_cast<HWND>(window);
        return FakeStore().logonResult;
    }
    HRESULT STDMETHODCALLTYPE Logoff() override
    {
        FakeStore().logoffs++;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDefaultFolder(int folder, IFolder** result) override
    {
        if (folder != olFolderContacts)
            return E_INVALIDARG;
        *result = new CFolder();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetItemFromOid(LONG oid, IContact** result) override
    {
        FakeContact* contact = FindFakeContact(oid);
        *result = contact ? new CContact(*contact) : nullptr;
        return contact ? S_OK : E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE GetItemFromOidEx(LONG oid, DWORD, IItem** result) override
    {
        FakeContact* contact = FindFakeContact(oid);
        *result = contact ? new CContactItem(oid) : nullptr;
        return contact ? S_OK : E_FAIL;
    }
};

class CFactory : public CUnknownImpl<IClassFactory>
{
public:
    CFactory() : CUnknownImpl(IID_IClassFactory) {}
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** out) override
    {
        if (outer)
            return CLASS_E_NOAGGREGATION;
        if (FAILED(FakeStore().createResult))
        {
            *out = nullptr;
            return FakeStore().createResult;
        }
        CApplication* app = new CApplication();
        HRESULT hr = app->QueryInterface(riid, out);
        app->Release();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

} // namespace

FakeStoreState& FakeStore()
{
    static FakeStoreState state;
    return state;
}

FakeContact* FindFakeContact(LONG oid)
{
    for (FakeContact& c : FakeStore().contacts)
        if (c.oid == oid)
            return &c;
    return nullptr;
}

CFakeStoreRegistration::CFakeStoreRegistration() : m_cookie(0)
{
    FakeStore() = FakeStoreState();
    CFactory* factory = new CFactory();
    CoRegisterClassObject(CLSID_Application, factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &m_cookie);
    factory->Release();
}

CFakeStoreRegistration::~CFakeStoreRegistration()
{
    CoRevokeClassObject(m_cookie);
}

DATE OleDate(int year, int month, int day)
{
    SYSTEMTIME st = {};
    st.wYear = static_cast<WORD>(year);
    st.wMonth = static_cast<WORD>(month);
    st.wDay = static_cast<WORD>(day);
    DATE date = 0;
    SystemTimeToVariantTime(&st, &date);
    return date;
}
