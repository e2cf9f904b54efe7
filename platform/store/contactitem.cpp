// One contact of the store: its event fields, names, properties and picture.
#include "platform/store/card.h"
#include "platform/store/module.h"
#include "platform/store/objects.h"

#include <shlwapi.h>

namespace {

BSTR MakeBstr(std::string_view utf8, bool nullWhenEmpty)
{
    if (utf8.empty() && nullWhenEmpty)
        return nullptr;
    // Most names are plain ASCII: widened straight into the string handed out, with no copy between.
    bool ascii = true;
    for (char c : utf8)
        ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    if (ascii)
    {
        BSTR text = SysAllocStringLen(nullptr, static_cast<UINT>(utf8.size()));
        for (size_t i = 0; text && i < utf8.size(); ++i)
            text[i] = static_cast<wchar_t>(utf8[i]);
        return text;
    }
    std::wstring wide = Utf8ToWide(std::string(utf8));
    return SysAllocStringLen(wide.c_str(), static_cast<UINT>(wide.size()));
}

// The text of a string property, empty when the contact has none.
std::string PropertyText(const vcard::CContactRecord& record, CEPROPID id)
{
    if ((id & 0xFFFF) != CEVT_LPWSTR)
        return std::string();
    WORD number = HIWORD(id);
    if (number >= HIWORD(PIMPR_MOBILE_TELEPHONE_NUMBER) && number <= HIWORD(PIMPR_ASSISTANT_TELEPHONE_NUMBER))
        return record.phones[number - HIWORD(PIMPR_MOBILE_TELEPHONE_NUMBER)];
    if (number >= HIWORD(PIMPR_EMAIL1_ADDRESS) && number <= HIWORD(PIMPR_EMAIL3_ADDRESS))
        return record.emails[number - HIWORD(PIMPR_EMAIL1_ADDRESS)];
    if (id == PIMPR_SMS)
        return record.phones[vcard::PHONE_MOBILE];
    return std::string();
}

// The contact released last, kept for the next one handed out; taken and put back atomically, as
// contacts are made and released on any thread.
CContact* volatile g_kept = nullptr;

} // namespace

CContact::CContact(std::shared_ptr<const CSnapshot> snapshot, size_t entry)
{
    Place(std::move(snapshot), entry);
}

void CContact::Place(std::shared_ptr<const CSnapshot> snapshot, size_t entry)
{
    m_snapshot = std::move(snapshot);
    m_entry = entry;
    m_place = m_snapshot->Entry(entry);
    m_cards = m_snapshot->files[m_place.file].cards.get();
}

CContact* CContact::Make(std::shared_ptr<const CSnapshot> snapshot, size_t entry)
{
    CContact* contact = static_cast<CContact*>(InterlockedExchangePointer(reinterpret_cast<void* volatile*>(&g_kept), nullptr));
    if (!contact)
        return new CContact(std::move(snapshot), entry);
    contact->Place(std::move(snapshot), entry);
    contact->Revive();
    return contact;
}

ULONG STDMETHODCALLTYPE CContact::Release()
{
    LONG left = DropKept();
    if (left == 0)
    {
        // The state goes now: a kept contact holds nothing of the address book.
        m_snapshot.reset();
        m_cards = nullptr;
        if (InterlockedCompareExchangePointer(reinterpret_cast<void* volatile*>(&g_kept), this, nullptr) != nullptr)
            delete this;
        ObjectDestroyed();
    }
    return static_cast<ULONG>(left);
}

void CContact::FreeKept()
{
    delete static_cast<CContact*>(InterlockedExchangePointer(reinterpret_cast<void* volatile*>(&g_kept), nullptr));
}

HRESULT STDMETHODCALLTYPE CContact::QueryInterface(REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (iid == IID_IUnknown || iid == IID_IContact)
        *object = static_cast<IContact*>(this);
    else if (iid == IID_IItem)
        *object = static_cast<IItem*>(this);
    else
        return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CContact::get_Oid(LONG* oid)
{
    if (!oid)
        return E_POINTER;
    *oid = Oid();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CContact::get_Birthday(DATE* date)
{
    if (!date)
        return E_POINTER;
    *date = OleDate(Card().birthday);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CContact::get_Anniversary(DATE* date)
{
    if (!date)
        return E_POINTER;
    *date = OleDate(Card().anniversary);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CContact::get_FileAs(BSTR* name)
{
    if (!name)
        return E_POINTER;
    *name = MakeBstr(m_cards->Name(m_place.card), false);
    return *name ? S_OK : E_OUTOFMEMORY;
}

HRESULT STDMETHODCALLTYPE CContact::get_FirstName(BSTR* name)
{
    if (!name)
        return E_POINTER;
    *name = MakeBstr(Record().firstName, true);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CContact::get_LastName(BSTR* name)
{
    if (!name)
        return E_POINTER;
    *name = MakeBstr(Record().lastName, true);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CContact::GetProps(const CEPROPID* ids, ULONG flags, WORD count, CEPROPVAL** values,
                                             ULONG* size, HANDLE heap)
{
    if (count > 0 && !ids)
        return E_INVALIDARG;
    std::vector<CPropValue> props(count);
    for (WORD i = 0; i < count; ++i)
    {
        props[i].id = ids[i];
        props[i].number = 0;
        props[i].text = Utf8ToWide(PropertyText(Record(), ids[i]));
        props[i].found = !props[i].text.empty();
    }
    return WriteProps(props, flags, values, size, heap);
}

HRESULT STDMETHODCALLTYPE CContact::SetProps(ULONG, WORD, CEPROPVAL*)
{
    // Contacts are changed through the contact card, which writes the card back itself.
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CContact::OpenProperty(CEPROPID id, DWORD access, IStream** stream)
{
    if (!stream)
        return E_POINTER;
    *stream = nullptr;
    if (id != PIMPR_PICTURE)
        return E_INVALIDARG;
    if (access & GENERIC_WRITE)
        return E_ACCESSDENIED;
    std::string bytes;
    if (!m_snapshot->ReadPhoto(m_entry, bytes))
        return HRESULT_FROM_WIN32(ERROR_NOT_FOUND);
    *stream = SHCreateMemStream(reinterpret_cast<const BYTE*>(bytes.data()), static_cast<UINT>(bytes.size()));
    return *stream ? S_OK : E_OUTOFMEMORY;
}

HRESULT STDMETHODCALLTYPE CContact::Edit(HWND* window)
{
    return OpenContactCard(Oid(), nullptr, true, window);
}

HRESULT STDMETHODCALLTYPE CContact::Display(HWND parent)
{
    return OpenContactCard(Oid(), parent, false, nullptr);
}
