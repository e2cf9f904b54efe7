// Call request and message composer of the handheld, stood in by the desktop's dialler and mail program.
#pragma once

#include <windows.h>
#include <shellapi.h>

// The call request's answer when no program takes calls.
constexpr LONG TAPIERR_NOREQUESTRECIPIENT = -2;

// The platform's call request: number, application name, called party, comment. 0 on success,
// TAPIERR_NOREQUESTRECIPIENT when no desktop program takes tel: addresses.
LONG tapiRequestMakeCall(const wchar_t* destination, const wchar_t* application, const wchar_t* calledParty,
                         const wchar_t* comment);

// The shell's execute request. A request for the handheld's message composer (\windows\tmail.exe with
// -to "..." -subject "..." -body "...") opens a mailto: address (sms: for a telephone number) instead;
// any other request goes to the desktop shell as it is. When no desktop program takes the composer's
// address the result is FALSE with the last error ERROR_NO_ASSOCIATION.
BOOL ShellExecuteRequest(SHELLEXECUTEINFOW* info);

// True when the composer writes to this address as a text message (sms:), not as an e-mail (mailto:).
bool IsTextMessageAddress(const wchar_t* to);

// The message composer's program path on the handheld.
extern const wchar_t* const COMPOSER_PROGRAM;

// The desktop addresses these requests turn into (exposed for tests). A tel: address as RFC 3966
// writes it: keypad digits for the letters of a vanity number (1-800-FLOWERS), a word after the number
// in brackets or after a space left out as its label, ";ext=" for an extension, no trunk "(0)" after a
// country code; just "tel:" when the number holds no digit.
void MakeTelAddress(const wchar_t* number, wchar_t* out, int size);
// True when the number has something to dial.
bool IsDialableNumber(const wchar_t* number);
// Parses the composer's parameter string; false when it is not exactly three quoted values.
bool ParseComposerParameters(const wchar_t* parameters, wchar_t* to, wchar_t* subject, wchar_t* body, int size);
// mailto:to?subject=...&body=... or sms:number?body=..., percent-encoded as UTF-8.
void MakeComposerAddress(const wchar_t* to, const wchar_t* subject, const wchar_t* body, wchar_t* out, int size);

// Tests observe the requests instead of starting programs: the recorder gets each desktop address and
// answers whether a program took it.
typedef bool (*PhoneRecorder)(const wchar_t* address);
void SetPhoneRecorder(PhoneRecorder recorder);
// And who each call was for: the recorder gets the called party of every call request it lets through.
typedef void (*CalledPartyRecorder)(const wchar_t* calledParty);
void SetCalledPartyRecorder(CalledPartyRecorder recorder);
