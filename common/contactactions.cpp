// Contact actions: gathering from the store, choosing, filling the templates, call and composer requests.
#include "common/contactactions.h"

#include "platform/phone/phone.h"
#include "platform/store/contactstore.h"

namespace {

const CEPROPID kPhoneProperties[] = {
    PIMPR_MOBILE_TELEPHONE_NUMBER,   PIMPR_BUSINESS_TELEPHONE_NUMBER, PIMPR_BUSINESS2_TELEPHONE_NUMBER,
    PIMPR_HOME_TELEPHONE_NUMBER,     PIMPR_HOME2_TELEPHONE_NUMBER,    PIMPR_BUSINESS_FAX_NUMBER,
    PIMPR_HOME_FAX_NUMBER,           PIMPR_CAR_TELEPHONE_NUMBER,      PIMPR_RADIO_TELEPHONE_NUMBER,
    PIMPR_COMPANY_TELEPHONE_NUMBER,  PIMPR_ASSISTANT_TELEPHONE_NUMBER,
};
const CEPROPID kTextMessageProperty[] = {PIMPR_SMS};
const CEPROPID kEmailProperties[] = {PIMPR_EMAIL1_ADDRESS, PIMPR_EMAIL2_ADDRESS, PIMPR_EMAIL3_ADDRESS};

void Gather(IPOutlookApp2* store, LONG oid, const CEPROPID* ids, WORD count, CStrList& out)
{
    if (!store)
        return;
    IItem* item = nullptr;
    if (FAILED(store->GetItemFromOidEx(oid, 0, &item)) || !item)
        return;
    CEPROPVAL* values = nullptr;
    ULONG size = 0;
    if (SUCCEEDED(item->GetProps(ids, CEDB_ALLOWREALLOC, count, &values, &size, nullptr)) && values)
    {
        for (WORD i = 0; i < count; i++)
            if (values[i].wFlags == 0 && values[i].val.lpwstr && values[i].val.lpwstr[0])
                out.Add(values[i].val.lpwstr);
    }
    if (values)
        HeapFree(GetProcessHeap(), 0, values);
    item->Release();
}

void ReplacePlaceholder(CStr& text, const wchar_t* placeholder, BSTR value)
{
    CStr lower(text.GetBuffer());
    lower.MakeLower();
    int at = lower.Find(placeholder, 0);
    if (at >= 0)
        text.Replace(at, static_cast<int>(wcslen(placeholder)), value ? value : L"");
}

} // namespace

void GatherPhoneNumbers(IPOutlookApp2* store, LONG oid, CStrList& out)
{
    Gather(store, oid, kPhoneProperties, 11, out);
}

void GatherMessageAddresses(IPOutlookApp2* store, LONG oid, CStrList& out)
{
    Gather(store, oid, kTextMessageProperty, 1, out);
    Gather(store, oid, kEmailProperties, 3, out);
}

void FillTemplates(IPOutlookApp2* store, LONG oid, CStr& subject, CStr& body)
{
    if (!store)
        return;
    IContact* contact = nullptr;
    if (FAILED(store->GetItemFromOid(oid, &contact)) || !contact)
        return;
    BSTR first = nullptr;
    BSTR last = nullptr;
    if (FAILED(contact->get_FirstName(&first)))
        first = nullptr;
    if (FAILED(contact->get_LastName(&last)))
        last = nullptr;
    CStr* texts[] = {&subject, &body};
    for (CStr* text : texts)
    {
        ReplacePlaceholder(*text, L"%firstname%", first);
        ReplacePlaceholder(*text, L"%lastname%", last);
        text->ReplaceAll(L"\"", L"'");
    }
    SysFreeString(first);
    SysFreeString(last);
    contact->Release();
}

void BuildComposerParameters(const wchar_t* address, const wchar_t* subject, const wchar_t* body, CStr& out)
{
    // A double quote in any value would end it early and let the rest pass as options: the string
    // always holds exactly its three values.
    CStr values[3] = {CStr(address), CStr(subject), CStr(body)};
    for (CStr& value : values)
        value.ReplaceAll(L"\"", L"'");
    out = L"-to \"";
    out.Append(values[0]);
    out.Append(L"\" -subject \"");
    out.Append(values[1]);
    out.Append(L"\" -body \"");
    out.Append(values[2]);
    out.Append(L"\"");
}

bool ComposeMessage(const wchar_t* address, const wchar_t* subject, const wchar_t* body)
{
    CStr parameters;
    BuildComposerParameters(address, subject, body, parameters);
    SHELLEXECUTEINFOW request = {};
    request.cbSize = sizeof(request);
    request.lpFile = COMPOSER_PROGRAM;
    request.lpParameters = parameters;
    request.nShow = SW_SHOWNORMAL;
    return ShellExecuteRequest(&request) != FALSE;
}

bool ChooseEntry(CStrList& items, CActionUi& ui, const wchar_t* missing, const wchar_t* title, CStr& choice)
{
    if (items.GetCount() == 0)
    {
        ui.ShowMissing(missing);
        return false;
    }
    if (items.GetCount() == 1)
    {
        choice = *items.GetAt(0);
        return true;
    }
    int index = 0;
    if (!ui.Pick(title, items, index) || index < 0 || static_cast<uint32_t>(index) >= items.GetCount())
        return false;
    choice = *items.GetAt(static_cast<uint32_t>(index));
    return true;
}

void CallContact(IPOutlookApp2* store, LONG oid, const wchar_t* name, CActionUi& ui)
{
    CStr party(name);
    CStrList numbers;
    GatherPhoneNumbers(store, oid, numbers);
    CStr choice;
    if (!ChooseEntry(numbers, ui, L"Phone number is missing!", L"Select phone number:", choice) || choice.IsEmpty())
        return;
    // A number with nothing to dial in it ("unknown", "n/a") is no number.
    if (!IsDialableNumber(choice))
    {
        ui.ShowMissing(L"Phone number is missing!");
        return;
    }
    if (tapiRequestMakeCall(choice, L"", party, L"") == TAPIERR_NOREQUESTRECIPIENT)
        ui.ShowMissing(L"No program for calls (tel:) is set up on this computer.");
}

void SendGreeting(IPOutlookApp2* store, LONG oid, const CSettings& settings, CActionUi& ui)
{
    // The pick is a modal step: the store and settings may be gone when it returns (the Today screen makes
    // its items again meanwhile), so the greeting is made from them before and only owned copies are used after.
    CStrList addresses;
    GatherMessageAddresses(store, oid, addresses);
    CStr subject(settings.MessageSubject);
    CStr body(settings.MessageBody);
    FillTemplates(store, oid, subject, body);
    CStr choice;
    if (!ChooseEntry(addresses, ui, L"Address is missing!", L"Select address:", choice) || choice.IsEmpty())
        return;
    if (ComposeMessage(choice, subject, body))
        return;
    if (IsTextMessageAddress(choice))
        ui.ShowMissing(L"No program for text messages (sms:) is set up on this computer.");
    else
        ui.ShowMissing(L"No e-mail program (mailto:) is set up on this computer.");
}
