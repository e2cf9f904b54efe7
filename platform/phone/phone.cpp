// Desktop call request and composer: tel:, mailto: and sms: addresses handed to the desktop shell.
#include "platform/phone/phone.h"

#include <cstring>
#include <cwchar>
#include <cwctype>
#include <string>

const wchar_t* const COMPOSER_PROGRAM = L"\\windows\\tmail.exe";

namespace {

PhoneRecorder g_recorder = nullptr;
CalledPartyRecorder g_partyRecorder = nullptr;
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

// The keypad digit of a letter (ABC 2 ... WXYZ 9), as vanity numbers like 1-800-FLOWERS are dialled.
wchar_t KeypadDigit(wchar_t letter)
{
    const wchar_t* const keys = L"22233344455566677778889999";
    wchar_t upper = static_cast<wchar_t>(towupper(letter));
    return upper >= L'A' && upper <= L'Z' ? keys[upper - L'A'] : 0;
}

bool IsAsciiLetter(wchar_t c)
{
    return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z');
}

// Where an extension marker ("x23", "ext. 23", "extension 23") begins at the end of the number, with the
// extension's digits; npos when there is none.
size_t FindExtension(const std::wstring& text, std::wstring& digits)
{
    size_t end = text.size();
    while (end > 0 && iswspace(text[end - 1]))
        end--;
    size_t start = end;
    while (start > 0 && text[start - 1] >= L'0' && text[start - 1] <= L'9')
        start--;
    if (start == end)
        return std::wstring::npos;
    size_t p = start;
    while (p > 0 && (iswspace(text[p - 1]) || text[p - 1] == L'.' || text[p - 1] == L':'))
        p--;
    size_t word = p;
    while (word > 0 && IsAsciiLetter(text[word - 1]))
        word--;
    std::wstring marker = text.substr(word, p - word);
    for (wchar_t& c : marker)
        c = static_cast<wchar_t>(towlower(c));
    if (marker != L"x" && marker != L"ext" && marker != L"extension")
        return std::wstring::npos;
    digits = text.substr(start, end - start);
    return word;
}

// Where a word that is no part of the number begins: letters that do not run on from the number
// ("1-800-FLOWERS" runs on, "555-0100 (home)" and "555 0100 mobile" do not) are a label; npos without one.
size_t FindLabel(const std::wstring& text)
{
    for (size_t i = 1; i < text.size(); i++)
    {
        wchar_t before = text[i - 1];
        bool joined = (before >= L'0' && before <= L'9') || IsAsciiLetter(before) || wcschr(L"-.*#", before);
        if (IsAsciiLetter(text[i]) && !joined)
            return i;
    }
    return std::wstring::npos;
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

// UTF-8, percent-encoded except for the unreserved characters and those in kept.
std::wstring PercentEncode(const wchar_t* text, const char* kept)
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
            c == '_' || c == '~' || (c && strchr(kept, c)))
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

// The address keeps its @ and +; in subject and body a + would be read as a space by mail programs.
const char* const ADDRESS_KEPT = "@+";
const char* const TEXT_KEPT = "";

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

void SetCalledPartyRecorder(CalledPartyRecorder recorder)
{
    g_partyRecorder = recorder;
}

void MakeTelAddress(const wchar_t* number, wchar_t* out, int size)
{
    std::wstring text = number ? number : L"";
    std::wstring extension;
    size_t marker = FindExtension(text, extension);
    if (marker != std::wstring::npos)
        text.erase(marker);
    // A label before the number ("call me: 555") is not part of it.
    size_t first = text.find_first_of(L"0123456789+*#");
    text = first == std::wstring::npos ? L"" : text.substr(first);
    // Nor is a word after it: only the letters of a vanity number are dialled.
    size_t label = FindLabel(text);
    if (label != std::wstring::npos)
        text.erase(label);
    bool global = !text.empty() && text[0] == L'+';
    // "+44 (0)20 ...": the trunk 0 written after a country code is not dialled from abroad.
    size_t trunk = text.find(L"(0)");
    if (global && trunk != std::wstring::npos)
        text.erase(trunk, 3);
    std::wstring digits;
    bool anyDigit = false;
    for (wchar_t c : text)
    {
        if (c >= L'0' && c <= L'9')
        {
            digits += c;
            anyDigit = true;
        }
        else if (c == L'*')
            digits += c;
        else if (c == L'#')
            digits += L"%23";
        else if (KeypadDigit(c))
            digits += KeypadDigit(c);
    }
    std::wstring address = L"tel:";
    if (anyDigit)
    {
        address += (global ? L"+" : L"") + digits;
        if (!extension.empty())
            address += L";ext=" + extension;
    }
    CopyCut(address, out, size);
}

bool IsDialableNumber(const wchar_t* number)
{
    wchar_t address[300];
    MakeTelAddress(number, address, 300);
    return wcslen(address) > 4;
}

LONG tapiRequestMakeCall(const wchar_t* destination, const wchar_t*, const wchar_t* calledParty, const wchar_t*)
{
    wchar_t address[300];
    MakeTelAddress(destination, address, 300);
    if (wcslen(address) <= 4)
        return -1;
    if (g_partyRecorder)
        g_partyRecorder(calledParty ? calledParty : L"");
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
            if ((*p >= L'0' && *p <= L'9') || (*p == L'+' && address.size() == 4))
                address += *p;
        address += L"?body=" + PercentEncode(body, TEXT_KEPT);
    }
    else
    {
        address = L"mailto:" + PercentEncode(to, ADDRESS_KEPT) + L"?subject=" + PercentEncode(subject, TEXT_KEPT) +
                  L"&body=" + PercentEncode(body, TEXT_KEPT);
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
