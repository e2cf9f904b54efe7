// The store's application object, its contacts folder and the folder's item collection.
#include "platform/store/longpath.h"
#include "platform/store/module.h"
#include "platform/store/notifier.h"
#include "platform/store/objects.h"

CRefCount::CRefCount() : m_count(1)
{
    ObjectCreated();
}

CRefCount::~CRefCount()
{
}

ULONG CRefCount::Drop()
{
    LONG left = InterlockedDecrement(&m_count);
    if (left == 0)
    {
        delete this;
        ObjectDestroyed();
    }
    return static_cast<ULONG>(left);
}

void CRefCount::Revive()
{
    m_count = 1;
    ObjectCreated();
}

CApplication::CApplication() : m_window(nullptr), m_loggedOn(false), m_mask(0)
{
}

CApplication::~CApplication()
{
    CNotifier::Instance().Unregister(this);
}

HRESULT STDMETHODCALLTYPE CApplication::QueryInterface(REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (iid != IID_IUnknown && iid != IID_IPOutlookApp2)
        return E_NOINTERFACE;
    *object = static_cast<IPOutlookApp2*>(this);
    AddRef();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CApplication::Logon(LONG_PTR window)
{
    HWND hwnd = reinterpret_cast<HWND>(window);
    if (hwnd && !IsWindow(hwnd))
        return E_INVALIDARG;
    m_window = hwnd;
    m_loggedOn = true;
    CNotifier::Instance().Register(this, m_window, m_mask);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CApplication::Logoff()
{
    if (!m_loggedOn)
        return E_FAIL;
    m_loggedOn = false;
    m_window = nullptr;
    CNotifier::Instance().Unregister(this);
    return S_OK;
}

void CApplication::SetNotificationMask(ULONG mask)
{
    m_mask = mask;
    if (m_loggedOn)
        CNotifier::Instance().Register(this, m_window, m_mask);
}

HRESULT STDMETHODCALLTYPE CApplication::GetDefaultFolder(int folder, IFolder** result)
{
    if (!result)
        return E_POINTER;
    *result = nullptr;
    if (folder != olFolderContacts)
        return E_INVALIDARG;
    *result = new CFolder(this);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CApplication::GetItemFromOid(LONG oid, IContact** result)
{
    if (!result)
        return E_POINTER;
    *result = nullptr;
    // A contact is looked up in the state already held: the watch keeps it current.
    std::shared_ptr<const CSnapshot> snapshot = TheAddressBook().Held();
    long entry = snapshot->Find(oid);
    if (entry < 0)
        return E_INVALIDARG;
    *result = CContact::Make(snapshot, static_cast<size_t>(entry));
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CApplication::GetItemFromOidEx(LONG oid, DWORD, IItem** result)
{
    if (!result)
        return E_POINTER;
    *result = nullptr;
    IContact* contact = nullptr;
    HRESULT hr = GetItemFromOid(oid, &contact);
    if (FAILED(hr))
        return hr;
    hr = contact->QueryInterface(IID_IItem, reinterpret_cast<void**>(result));
    contact->Release();
    return hr;
}

CFolder::CFolder(CApplication* application) : m_application(application)
{
    m_application->AddRef();
}

CFolder::~CFolder()
{
    m_application->Release();
}

HRESULT STDMETHODCALLTYPE CFolder::QueryInterface(REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (iid == IID_IUnknown || iid == IID_IFolder)
        *object = static_cast<IFolder*>(this);
    else if (iid == IID_IItem)
        *object = static_cast<IItem*>(this);
    else
        return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

namespace {

// The reason the configured address book cannot be read, or 0 when it can (or none is configured).
DWORD AddressBookProblem(const std::wstring& location)
{
    if (location.empty())
        return 0;
    DWORD attributes = GetFileAttributesW(LongPath(location).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return GetLastError() ? GetLastError() : ERROR_FILE_NOT_FOUND;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return 0;
    HANDLE file = CreateFileW(LongPath(location).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return GetLastError() ? GetLastError() : ERROR_READ_FAULT;
    CloseHandle(file);
    return 0;
}

void SetErrorDescription(const std::wstring& description)
{
    ICreateErrorInfo* create = nullptr;
    if (FAILED(CreateErrorInfo(&create)) || !create)
        return;
    create->SetGUID(IID_IFolder);
    create->SetDescription(const_cast<LPOLESTR>(description.c_str()));
    IErrorInfo* info = nullptr;
    if (SUCCEEDED(create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info))) && info)
    {
        SetErrorInfo(0, info);
        info->Release();
    }
    create->Release();
}

} // namespace

HRESULT STDMETHODCALLTYPE CFolder::get_Items(IPOutlookItemCollection** result)
{
    if (!result)
        return E_POINTER;
    *result = nullptr;
    std::wstring location = ReadAddressBookLocation();
    if (DWORD problem = AddressBookProblem(location))
    {
        SetErrorDescription(location);
        return HRESULT_FROM_WIN32(problem);
    }
    *result = new CItemCollection(TheAddressBook().Current());
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CFolder::GetProps(const CEPROPID* ids, ULONG flags, WORD count, CEPROPVAL** values,
                                            ULONG* size, HANDLE heap)
{
    if (count > 0 && !ids)
        return E_INVALIDARG;
    std::vector<CPropValue> props(count);
    for (WORD i = 0; i < count; ++i)
    {
        props[i].id = ids[i];
        props[i].found = ids[i] == PIMPR_FOLDERNOTIFICATIONS;
        props[i].number = m_application->NotificationMask();
    }
    return WriteProps(props, flags, values, size, heap);
}

HRESULT STDMETHODCALLTYPE CFolder::SetProps(ULONG, WORD count, CEPROPVAL* values)
{
    if (count > 0 && !values)
        return E_INVALIDARG;
    for (WORD i = 0; i < count; ++i)
        if (values[i].propid != PIMPR_FOLDERNOTIFICATIONS || values[i].val.ulVal > PIMFOLDERNOTIFICATION_ALL)
            return E_INVALIDARG;
    for (WORD i = 0; i < count; ++i)
        m_application->SetNotificationMask(values[i].val.ulVal);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CFolder::OpenProperty(CEPROPID, DWORD, IStream** stream)
{
    if (stream)
        *stream = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CFolder::Edit(HWND* window)
{
    if (window)
        *window = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CFolder::Display(HWND)
{
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CItemCollection::QueryInterface(REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (iid != IID_IUnknown && iid != IID_IPOutlookItemCollection)
        return E_NOINTERFACE;
    *object = static_cast<IPOutlookItemCollection*>(this);
    AddRef();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CItemCollection::get_Count(int* count)
{
    if (!count)
        return E_POINTER;
    *count = static_cast<int>(m_snapshot->Count());
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CItemCollection::Item(int index, IContact** result)
{
    if (!result)
        return E_POINTER;
    *result = nullptr;
    if (index < 1 || static_cast<size_t>(index) > m_snapshot->Count())
        return E_INVALIDARG;
    *result = CContact::Make(m_snapshot, static_cast<size_t>(index - 1));
    return S_OK;
}
