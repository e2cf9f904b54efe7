// Desktop call request and composer: tel:, mailto: and sms: addresses handed to the desktop shell.
#include "platform/phone/phone.h"

#include <cwchar>
#include <cwctype>
#include <string>

const wchar_t* const COMPOSER_PROGRAM = L"\\windows\\tmail.exe";

namespace {

PhoneRecorder g_recorder = nullptr;
// How long a program started for an address may take to give up: a broker that finds no program for
// the address (the Wine desktop's) exits with a failure at once.
const DWORD kGiveUpMilliseconds = 1000;

// Hands the address to the desktop program registered for its scheme; false when there is none.
bool Open(const wchar_t* address)
{
    if (g_recorder)
        return g_recorder(address);
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOCLOSEPROCESS;
    info.lpVerb = L"open";
    info.lpFile = address;
    info.nShow = SW_SHOWNORMAL;
    if (!ShellExecuteExW(&info))
        return false;
    bool taken = true;
    if (info.hProcess)
    {
        DWORD code = 0;
        if (WaitForSingleObject(info.hProcess, kGiveUpMilliseconds) == WAIT_OBJECT_0 &&
            GetExitCodeProcess(info.hProcess, &code) && code != 0)
            taken = false;
        CloseHandle(info.hProcess);
    }
    return taken;
}

void CopyCut(const std::wstring& text, wchar_t* out, int size)
{
    if (size <= 0)
        return;
    size_t n = text.size() < static_cast<size_t>(size - 1) ? text.size() : static_cast<size_t>(size - 1);
    wmemcpy(out, text.c_str(), n);
    out[n] = 0;
}

bool IsDialable(wchar_t c)
{
    return (c >= L'0' && c <= L'9') || c == L'+' || c == L'*' || c == L'#';
}

bool IsPhoneNumber(const wchar_t* text)
{
    int digits = 0;
    for (const wchar_t* p = text; *p; p++)
    {
        if (*p >= L'0' && *p <= L'9')
            digits++;
        else if (!wcschr(L"+-() ./", *p))
            return false;
    }
    return digits > 0;
}

std::wstring PercentEncode(const wchar_t* text)
{
    std::wstring out;
    int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 1)
        return out;
    std::string utf8(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, &utf8[0], n, nullptr, nullptr);
    utf8.resize(static_cast<size_t>(n - 1));
    const char* hex = "0123456789ABCDEF";
    for (unsigned char c : utf8)
    {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
            c == '_' || c == '~' || c == '@' || c == '+')
        {
            out += static_cast<wchar_t>(c);
        }
        else
        {
            out += L'%';
            out += static_cast<wchar_t>(hex[c >> 4]);
            out += static_cast<wchar_t>(hex[c & 15]);
        }
    }
    return out;
}

// Reads `-name "value"` at p; advances p past it.
bool ReadOption(const wchar_t*& p, const wchar_t* name, std::wstring& value)
{
    size_t length = wcslen(name);
    if (wcsncmp(p, name, length) != 0 || p[length] != L' ' || p[length + 1] != L'"')
        return false;
    p += length + 2;
    const wchar_t* end = wcschr(p, L'"');
    if (!end)
        return false;
    value.assign(p, end);
    p = end + 1;
    return true;
}

} // namespace

void SetPhoneRecorder(PhoneRecorder recorder)
{
    g_recorder = recorder;
}

void MakeTelAddress(const wchar_t* number, wchar_t* out, int size)
{
    std::wstring address = L"tel:";
    for (const wchar_t* p = number ? number : L""; *p; p++)
        if (IsDialable(*p))
            address += *p;
    CopyCut(address, out, size);
}

LONG tapiRequestMakeCall(const wchar_t* destination, const wchar_t*, const wchar_t*, const wchar_t*)
{
    wchar_t address[300];
    MakeTelAddress(destination, address, 300);
    if (wcslen(address) <= 4)
        return -1;
    return Open(address) ? 0 : TAPIERR_NOREQUESTRECIPIENT;
}

bool ParseComposerParameters(const wchar_t* parameters, wchar_t* to, wchar_t* subject, wchar_t* body, int size)
{
    const wchar_t* p = parameters ? parameters : L"";
    std::wstring values[3];
    if (!ReadOption(p, L"-to", values[0]) || *p++ != L' ' || !ReadOption(p, L"-subject", values[1]) ||
        *p++ != L' ' || !ReadOption(p, L"-body", values[2]) || *p != 0)
        return false;
    CopyCut(values[0], to, size);
    CopyCut(values[1], subject, size);
    CopyCut(values[2], body, size);
    return true;
}

bool IsTextMessageAddress(const wchar_t* to)
{
    return to && IsPhoneNumber(to);
}

void MakeComposerAddress(const wchar_t* to, const wchar_t* subject, const wchar_t* body, wchar_t* out, int size)
{
    std::wstring address;
    if (IsPhoneNumber(to))
    {
        address = L"sms:";
        for (const wchar_t* p = to; *p; p++)
            if (IsDialable(*p))
                address += *p;
        address += L"?body=" + PercentEncode(body);
    }
    else
    {
        address = L"mailto:" + PercentEncode(to) + L"?subject=" + PercentEncode(subject) + L"&body=" +
                  PercentEncode(body);
    }
    CopyCut(address, out, size);
}

BOOL ShellExecuteRequest(SHELLEXECUTEINFOW* info)
{
    if (!info || !info->lpFile || _wcsicmp(info->lpFile, COMPOSER_PROGRAM) != 0)
        return ShellExecuteExW(info);
    const int kSize = 4096;
    std::wstring to(kSize, L'\0'), subject(kSize, L'\0'), body(kSize, L'\0');
    if (!ParseComposerParameters(info->lpParameters, &to[0], &subject[0], &body[0], kSize))
        return FALSE;
    // Every character may become a three-byte UTF-8 sequence written as three %XX escapes.
    std::wstring address(9 * 3 * kSize + 64, L'\0');
    MakeComposerAddress(to.c_str(), subject.c_str(), body.c_str(), &address[0], static_cast<int>(address.size()));
    if (!Open(address.c_str()))
    {
        SetLastError(ERROR_NO_ASSOCIATION);
        return FALSE;
    }
    return TRUE;
}
