// Text of an address book in the charsets the system's code pages know, for the vCard reader.
#include "platform/store/codepage.h"

#include "platform/store/vcard/text.h"
#include "platform/store/widetext.h"

#include <windows.h>

#include <climits>
#include <cstring>

namespace {

struct CCharsetName
{
    const char* name;
    UINT codePage;
};

// Names and aliases that address books write, beside the ISO-8859 and Windows families.
const CCharsetName CHARSETS[] = {
    {"SHIFT_JIS", 932}, {"SHIFT-JIS", 932}, {"SJIS", 932}, {"X-SJIS", 932}, {"MS_KANJI", 932}, {"CSSHIFTJIS", 932},
    {"WINDOWS-31J", 932}, {"CP932", 932}, {"MS932", 932}, {"EUC-JP", 20932}, {"EUCJP", 20932}, {"X-EUC-JP", 20932},
    {"GB2312", 936}, {"GBK", 936}, {"CP936", 936}, {"MS936", 936}, {"EUC-CN", 936}, {"X-EUC-CN", 936},
    {"X-GBK", 936}, {"CSGB2312", 936}, {"GB_2312-80", 936}, {"GB18030", 54936}, {"BIG5", 950}, {"BIG-5", 950},
    {"CP950", 950}, {"CSBIG5", 950}, {"X-X-BIG5", 950}, {"BIG5-HKSCS", 950}, {"EUC-KR", 949}, {"CSEUCKR", 949},
    {"KS_C_5601-1987", 949}, {"KS_C_5601", 949}, {"KSC5601", 949}, {"KSC_5601", 949}, {"CP949", 949}, {"UHC", 949},
    {"KOI8-R", 20866}, {"CSKOI8R", 20866}, {"KOI8-U", 21866}, {"TIS-620", 874}, {"WINDOWS-874", 874}, {"CP874", 874},
    {"LATIN2", 28592}, {"LATIN-2", 28592}, {"LATIN9", 28605}, {"LATIN-9", 28605}};

// The upper halves (0xA0 to 0xFF) of the ISO-8859 parts that have no system code page.
const wchar_t ISO_8859_10[] =
    L"\x00A0\x0104\x0112\x0122\x012A\x0128\x0136\x00A7\x013B\x0110\x0160\x0166\x017D\x00AD\x016A\x014A"
    L"\x00B0\x0105\x0113\x0123\x012B\x0129\x0137\x00B7\x013C\x0111\x0161\x0167\x017E\x2015\x016B\x014B"
    L"\x0100\x00C1\x00C2\x00C3\x00C4\x00C5\x00C6\x012E\x010C\x00C9\x0118\x00CB\x0116\x00CD\x00CE\x00CF"
    L"\x00D0\x0145\x014C\x00D3\x00D4\x00D5\x00D6\x0168\x00D8\x0172\x00DA\x00DB\x00DC\x00DD\x00DE\x00DF"
    L"\x0101\x00E1\x00E2\x00E3\x00E4\x00E5\x00E6\x012F\x010D\x00E9\x0119\x00EB\x0117\x00ED\x00EE\x00EF"
    L"\x00F0\x0146\x014D\x00F3\x00F4\x00F5\x00F6\x0169\x00F8\x0173\x00FA\x00FB\x00FC\x00FD\x00FE\x0138";
const wchar_t ISO_8859_14[] =
    L"\x00A0\x1E02\x1E03\x00A3\x010A\x010B\x1E0A\x00A7\x1E80\x00A9\x1E82\x1E0B\x1EF2\x00AD\x00AE\x0178"
    L"\x1E1E\x1E1F\x0120\x0121\x1E40\x1E41\x00B6\x1E56\x1E81\x1E57\x1E83\x1E60\x1EF3\x1E84\x1E85\x1E61"
    L"\x00C0\x00C1\x00C2\x00C3\x00C4\x00C5\x00C6\x00C7\x00C8\x00C9\x00CA\x00CB\x00CC\x00CD\x00CE\x00CF"
    L"\x0174\x00D1\x00D2\x00D3\x00D4\x00D5\x00D6\x1E6A\x00D8\x00D9\x00DA\x00DB\x00DC\x00DD\x0176\x00DF"
    L"\x00E0\x00E1\x00E2\x00E3\x00E4\x00E5\x00E6\x00E7\x00E8\x00E9\x00EA\x00EB\x00EC\x00ED\x00EE\x00EF"
    L"\x0175\x00F1\x00F2\x00F3\x00F4\x00F5\x00F6\x1E6B\x00F8\x00F9\x00FA\x00FB\x00FC\x00FD\x0177\x00FF";
const wchar_t ISO_8859_16[] =
    L"\x00A0\x0104\x0105\x0141\x20AC\x201E\x0160\x00A7\x0161\x00A9\x0218\x00AB\x0179\x00AD\x017A\x017B"
    L"\x00B0\x00B1\x010C\x0142\x017D\x201D\x00B6\x00B7\x017E\x010D\x0219\x00BB\x0152\x0153\x0178\x017C"
    L"\x00C0\x00C1\x00C2\x0102\x00C4\x0106\x00C6\x00C7\x00C8\x00C9\x00CA\x00CB\x00CC\x00CD\x00CE\x00CF"
    L"\x0110\x0143\x00D2\x00D3\x00D4\x0150\x00D6\x015A\x0170\x00D9\x00DA\x00DB\x00DC\x0118\x021A\x00DF"
    L"\x00E0\x00E1\x00E2\x0103\x00E4\x0107\x00E6\x00E7\x00E8\x00E9\x00EA\x00EB\x00EC\x00ED\x00EE\x00EF"
    L"\x0111\x0144\x00F2\x00F3\x00F4\x0151\x00F6\x015B\x0171\x00F9\x00FA\x00FB\x00FC\x0119\x021B\x00FF";

// A code page of "<prefix><number>" within [low, high], else 0.
UINT Numbered(const std::string& name, const char* prefix, UINT low, UINT high)
{
    size_t n = strlen(prefix);
    if (name.compare(0, n, prefix) != 0 || name.size() == n || name.size() > n + 5)
        return 0;
    UINT value = 0;
    for (size_t i = n; i < name.size(); ++i)
    {
        if (name[i] < '0' || name[i] > '9')
            return 0;
        value = value * 10 + static_cast<UINT>(name[i] - '0');
    }
    return value >= low && value <= high ? value : 0;
}

// The part number of ISO-8859 written as ISO-8859-2, ISO8859-2, ISO_8859-2 or ISO_8859-2:1987; else 0.
UINT IsoPart(const std::string& name)
{
    std::string key;
    for (char c : name.substr(0, name.find(':')))
        if (c != '-' && c != '_')
            key += c;
    return Numbered(key, "ISO8859", 1, 16);
}

bool CodePageToUtf8(UINT codePage, const std::string& bytes, std::string& utf8)
{
    if (bytes.empty())
    {
        utf8.clear();
        return true;
    }
    if (bytes.size() > INT_MAX / 2 || !IsValidCodePage(codePage))
        return false;
    int size = static_cast<int>(bytes.size());
    int n = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), size, nullptr, 0);
    if (n <= 0)
        return false;
    std::wstring wide(static_cast<size_t>(n), L'\0');
    if (MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), size, &wide[0], n) != n)
        return false;
    utf8 = WideToUtf8(wide);
    return true;
}

bool TableToUtf8(const wchar_t* high, const std::string& bytes, std::string& utf8)
{
    std::wstring wide;
    wide.reserve(bytes.size());
    for (char ch : bytes)
    {
        unsigned char c = static_cast<unsigned char>(ch);
        wide += c < 0xA0 ? static_cast<wchar_t>(c) : high[c - 0xA0];
    }
    utf8 = WideToUtf8(wide);
    return true;
}

// ISO-2022-JP (JIS X 0208 and half-width katakana between escape sequences) rewritten as Shift_JIS,
// whose code page every system has; false on any sequence outside it.
bool Iso2022JpToShiftJis(const std::string& in, std::string& out)
{
    enum
    {
        ROMAN,
        KANJI,
        KANA
    } mode = ROMAN;
    out.clear();
    for (size_t i = 0; i < in.size(); ++i)
    {
        unsigned char c = static_cast<unsigned char>(in[i]);
        if (c == 0x1B)
        {
            std::string escape = in.substr(i + 1, 2);
            if (escape == "$B" || escape == "$@")
                mode = KANJI;
            else if (escape == "(B" || escape == "(J")
                mode = ROMAN;
            else if (escape == "(I")
                mode = KANA;
            else
                return false;
            i += 2;
            continue;
        }
        if (c >= 0x80)
            return false;
        if (mode == ROMAN || c < 0x21)
            out += static_cast<char>(c);
        else if (mode == KANA)
        {
            if (c > 0x5F)
                return false;
            out += static_cast<char>(c + 0x80);
        }
        else
        {
            unsigned char d = i + 1 < in.size() ? static_cast<unsigned char>(in[++i]) : 0;
            if (c > 0x7E || d < 0x21 || d > 0x7E)
                return false;
            unsigned lead = ((c - 0x21u) >> 1) + 0x81u;
            out += static_cast<char>(lead > 0x9F ? lead + 0x40 : lead);
            unsigned trail = (c & 1) ? d + 0x1Fu + (d >= 0x60 ? 1u : 0u) : d + 0x7Eu;
            out += static_cast<char>(trail);
        }
    }
    return true;
}

// A Windows code page named as WINDOWS-1252, CP1252 or X-CP1252; 0 for any other name.
UINT WindowsCodePage(const std::string& charset)
{
    UINT windows = Numbered(charset, "WINDOWS-", 1250, 1258);
    if (!windows)
        windows = Numbered(charset, "CP", 1250, 1258);
    return windows ? windows : Numbered(charset, "X-CP", 1250, 1258);
}

// The code page that holds a charset both ways, or 0 (those read through a table or rewritten
// first, which are never written back in their own charset).
UINT WritableCodePage(const std::string& charset)
{
    for (const CCharsetName& known : CHARSETS)
        if (charset == known.name)
            return known.codePage == 54936 && !IsValidCodePage(54936) ? 0 : known.codePage;
    UINT windows = WindowsCodePage(charset);
    if (windows)
        return windows;
    UINT part = IsoPart(charset);
    if (part == 13)
        return 28603;
    if (part == 15)
        return 28605;
    return part >= 1 && part <= 9 ? 28590 + part : 0;
}

} // namespace

bool EncodeWithCodePage(const std::string& utf8, const std::string& charset, std::string& bytes)
{
    UINT codePage = WritableCodePage(charset);
    bytes.clear();
    if (!codePage || !IsValidCodePage(codePage) || utf8.size() > INT_MAX / 4)
        return false;
    if (utf8.empty())
        return true;
    if (!vcard::IsValidUtf8(utf8))
        return false;
    std::wstring wide = Utf8ToWide(utf8);
    int n = static_cast<int>(wide.size());
    int m = WideCharToMultiByte(codePage, 0, wide.data(), n, nullptr, 0, nullptr, nullptr);
    if (m <= 0)
        return false;
    bytes.resize(static_cast<size_t>(m));
    // Characters outside the code page come out as stand-ins; the caller's read-back check finds them.
    return WideCharToMultiByte(codePage, 0, wide.data(), n, &bytes[0], m, nullptr, nullptr) == m;
}

bool DecodeWithCodePage(const std::string& bytes, const std::string& charset, std::string& utf8)
{
    for (const CCharsetName& known : CHARSETS)
        if (charset == known.name)
        {
            // Systems without the GB18030 code page still read its one- and two-byte part as GBK.
            if (known.codePage == 54936 && !IsValidCodePage(54936))
                return CodePageToUtf8(936, bytes, utf8);
            return CodePageToUtf8(known.codePage, bytes, utf8);
        }
    if (charset == "ISO-2022-JP" || charset == "CSISO2022JP")
    {
        std::string shiftJis;
        return Iso2022JpToShiftJis(bytes, shiftJis) && CodePageToUtf8(932, shiftJis, utf8);
    }
    UINT windows = WindowsCodePage(charset);
    if (windows)
        return CodePageToUtf8(windows, bytes, utf8);
    switch (IsoPart(charset))
    {
    case 0:
    case 12:
        return false;
    case 10:
        return TableToUtf8(ISO_8859_10, bytes, utf8);
    case 14:
        return TableToUtf8(ISO_8859_14, bytes, utf8);
    case 16:
        return TableToUtf8(ISO_8859_16, bytes, utf8);
    case 11:
        // Thai: the Windows page adds characters where ISO-8859-11 has control codes.
        for (char c : bytes)
            if (static_cast<unsigned char>(c) >= 0x80 && static_cast<unsigned char>(c) < 0xA0)
                return false;
        return CodePageToUtf8(874, bytes, utf8);
    case 13:
        return CodePageToUtf8(28603, bytes, utf8);
    case 15:
        return CodePageToUtf8(28605, bytes, utf8);
    default:
        return CodePageToUtf8(28590 + IsoPart(charset), bytes, utf8);
    }
}

void InstallCodePageDecoder()
{
    vcard::SetCharsetDecoder(DecodeWithCodePage);
    vcard::SetCharsetEncoder(EncodeWithCodePage);
}
