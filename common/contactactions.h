// Contact actions shared by the main program and the Today plug-in: numbers, addresses, templates, requests.
#pragma once

#include "core/str.h"
#include "core/strlist.h"
#include "data/settings.h"

#include <windows.h>

struct IPOutlookApp2;

// How an action talks to the user: a note when nothing can be offered, and a pick among several.
class CActionUi
{
public:
    virtual ~CActionUi() = default;
    virtual void ShowMissing(const wchar_t* text) = 0;
    // True with index set when the user confirmed one of items.
    virtual bool Pick(const wchar_t* title, CStrList& items, int& index) = 0;
};

// Appends the contact's non-empty telephone numbers, in the store's order of number kinds.
void GatherPhoneNumbers(IPOutlookApp2* store, LONG oid, CStrList& out);
// Appends the text-message address, then the three e-mail addresses.
void GatherMessageAddresses(IPOutlookApp2* store, LONG oid, CStrList& out);
// Replaces the first %FirstName% and %LastName% (any case) and turns double quotes into apostrophes.
void FillTemplates(IPOutlookApp2* store, LONG oid, CStr& subject, CStr& body);
// -to "address" -subject "subject" -body "body"
void BuildComposerParameters(const wchar_t* address, const wchar_t* subject, const wchar_t* body, CStr& out);
// False when no program on the machine takes the message.
bool ComposeMessage(const wchar_t* address, const wchar_t* subject, const wchar_t* body);

// One entry out of items: none gives the missing note, one is taken, several are offered.
bool ChooseEntry(CStrList& items, CActionUi& ui, const wchar_t* missing, const wchar_t* title, CStr& choice);

// Both say which kind of program is missing when no program on the machine takes the request. Neither uses
// store, settings or name once ui's pick has returned: their owner may have gone meanwhile.
void CallContact(IPOutlookApp2* store, LONG oid, const wchar_t* name, CActionUi& ui);
void SendGreeting(IPOutlookApp2* store, LONG oid, const CSettings& settings, CActionUi& ui);
