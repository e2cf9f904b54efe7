// Text helpers of the vCard reader: charsets to UTF-8, quoted-printable, base64, escapes.
#include "platform/store/vcard/text.h"

#include <cstdint>

namespace vcard {

namespace {

// Windows-1252 code points of the bytes 0x80 to 0x9F; 0 marks the five undefined ones.
const uint16_t CP1252_HIGH[32] = {
    0x20AC, 0, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0, 0x017D, 0,
    0, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0, 0x017E, 0x0178};

const uint32_t REPLACEMENT = 0xFFFD;

CharsetDecoder g_decoder = nullptr;
CharsetEncoder g_encoder = nullptr;

void AppendUtf8(std::string& out, uint32_t cp)
{
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        cp = REPLACEMENT;
    if (cp < 0x80)
        out += static_cast<char>(cp);
    else if (cp < 0x800)
    {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
    else if (cp < 0x10000)
    {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
    else
    {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Length of the valid UTF-8 sequence at i, or 0 when the bytes there are not one.
size_t Utf8SequenceLength(const std::string& s, size_t i)
{
    unsigned char c = static_cast<unsigned char>(s[i]);
    if (c < 0x80)
        return 1;
    size_t n;
    uint32_t cp;
    if (c >= 0xC2 && c <= 0xDF)
        n = 2, cp = c & 0x1F;
    else if (c >= 0xE0 && c <= 0xEF)
        n = 3, cp = c & 0x0F;
    else if (c >= 0xF0 && c <= 0xF4)
        n = 4, cp = c & 0x07;
    else
        return 0;
    if (i + n > s.size())
        return 0;
    for (size_t k = 1; k < n; ++k)
    {
        unsigned char d = static_cast<unsigned char>(s[i + k]);
        if ((d & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (d & 0x3F);
    }
    if ((n == 3 && cp < 0x800) || (n == 4 && (cp < 0x10000 || cp > 0x10FFFF)) || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return n;
}

std::string SingleByteToUtf8(const std::string& bytes, bool windows1252)
{
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 4);
    for (char ch : bytes)
    {
        unsigned char c = static_cast<unsigned char>(ch);
        uint32_t cp = c;
        if (windows1252 && c >= 0x80 && c <= 0x9F && CP1252_HIGH[c - 0x80] != 0)
            cp = CP1252_HIGH[c - 0x80];
        AppendUtf8(out, cp);
    }
    return out;
}

std::string SanitizeUtf8(const std::string& bytes)
{
    std::string out;
    out.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size();)
    {
        size_t n = Utf8SequenceLength(bytes, i);
        if (n == 0)
        {
            AppendUtf8(out, REPLACEMENT);
            ++i;
        }
        else
        {
            out.append(bytes, i, n);
            i += n;
        }
    }
    return out;
}

bool IsAscii(const std::string& bytes)
{
    for (char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

// UTF-16 text of one value: its byte-order mark decides, else order (0 little, 1 big endian, -1
// guess by where the zero bytes of Latin text are).
std::string Utf16TextToUtf8(const std::string& bytes, int order)
{
    size_t start = 0;
    unsigned char a = bytes.size() >= 2 ? static_cast<unsigned char>(bytes[0]) : 0;
    unsigned char b = bytes.size() >= 2 ? static_cast<unsigned char>(bytes[1]) : 0;
    if ((a == 0xFF && b == 0xFE) || (a == 0xFE && b == 0xFF))
    {
        order = a == 0xFE;
        start = 2;
    }
    if (order < 0)
    {
        size_t even = 0, odd = 0;
        for (size_t i = 0; i + 1 < bytes.size(); i += 2)
        {
            even += bytes[i] == 0;
            odd += bytes[i + 1] == 0;
        }
        order = even > odd;
    }
    return Utf16ToUtf8(bytes.data() + start, bytes.size() - start, order == 1);
}

// A '=' followed by nothing but blanks: a soft line break at the end of the value.
bool SoftBreakAt(const std::string& text, size_t i)
{
    size_t k = i + 1;
    while (k < text.size() && (text[k] == ' ' || text[k] == '\t'))
        ++k;
    return k == text.size();
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

int Base64Value(char c)
{
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '+' || c == '-')
        return 62;
    if (c == '/' || c == '_')
        return 63;
    return -1;
}

} // namespace

std::string ToUpperAscii(std::string text)
{
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return text;
}

bool EqualsNoCase(const std::string& a, const char* b)
{
    return EqualsNoCase(a.data(), a.size(), b);
}

bool EqualsNoCase(const char* a, size_t length, const char* b)
{
    size_t i = 0;
    for (; i < length && b[i]; ++i)
    {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z')
            x = static_cast<char>(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z')
            y = static_cast<char>(y - 'a' + 'A');
        if (x != y)
            return false;
    }
    return i == length && b[i] == 0;
}

std::string Trim(const std::string& text)
{
    size_t b = 0, e = text.size();
    while (b < e && (text[b] == ' ' || text[b] == '\t' || text[b] == '\r' || text[b] == '\n'))
        ++b;
    while (e > b && (text[e - 1] == ' ' || text[e - 1] == '\t' || text[e - 1] == '\r' || text[e - 1] == '\n'))
        --e;
    return text.substr(b, e - b);
}

bool IsValidUtf8(const std::string& bytes)
{
    for (size_t i = 0; i < bytes.size();)
    {
        size_t n = Utf8SequenceLength(bytes, i);
        if (n == 0)
            return false;
        i += n;
    }
    return true;
}

void SetCharsetDecoder(CharsetDecoder decoder)
{
    g_decoder = decoder;
}

void SetCharsetEncoder(CharsetEncoder encoder)
{
    g_encoder = encoder;
}

bool FromUtf8(const std::string& utf8, const std::string& charset, std::string& bytes)
{
    std::string name = CharsetKey(charset);
    bytes.clear();
    if (name.empty() || name == "UTF-8" || name == "UTF8" || (IsAscii(utf8) && name.compare(0, 6, "UTF-16") != 0 &&
                                                              name != "UCS-2" && name != "UNICODE"))
    {
        bytes = utf8;
        return IsValidUtf8(utf8);
    }
    if (name == "ISO-8859-1" || name == "ISO8859-1" || name == "ISO_8859-1" || name == "LATIN1" || name == "LATIN-1" ||
        name == "L1" || name == "CP819" || name == "ISO-IR-100")
    {
        for (size_t i = 0; i < utf8.size();)
        {
            size_t n = Utf8SequenceLength(utf8, i);
            if (n == 0 || n > 2)
                return false;
            uint32_t cp = n == 1 ? static_cast<unsigned char>(utf8[i])
                                 : ((static_cast<unsigned char>(utf8[i]) & 0x1Fu) << 6) |
                                       (static_cast<unsigned char>(utf8[i + 1]) & 0x3Fu);
            bytes += static_cast<char>(cp);
            i += n;
        }
    }
    else if (!g_encoder || !g_encoder(utf8, name == "CP1252" || name == "X-CP1252" || name == "ANSI" ? "WINDOWS-1252" : name, bytes))
        return false;
    // Whatever the charset made of the text must read back as the text, without best-fit stand-ins.
    bool decoded = false;
    return ToUtf8(bytes, name, &decoded) == utf8 && decoded;
}

std::string CharsetKey(const std::string& charset)
{
    std::string key;
    for (char c : ToUpperAscii(charset))
        if (c != ' ' && c != '\t' && c != '"' && c != '\'')
            key += c;
    return key;
}

std::string ToUtf8(const std::string& bytes, const std::string& charset, bool* decoded)
{
    std::string name = CharsetKey(charset);
    if (decoded)
        *decoded = true;
    if (name == "ISO-8859-1" || name == "ISO8859-1" || name == "ISO_8859-1" || name == "LATIN1" ||
        name == "LATIN-1" || name == "L1" || name == "CP819" || name == "ISO-IR-100")
        return SingleByteToUtf8(bytes, false);
    if (name == "WINDOWS-1252" || name == "CP1252" || name == "X-CP1252" || name == "ANSI")
        return SingleByteToUtf8(bytes, true);
    if (name == "UTF-16" || name == "UTF-16LE" || name == "UTF-16BE" || name == "UCS-2" || name == "UNICODE")
    {
        if (decoded)
            *decoded = bytes.size() % 2 == 0;
        return Utf16TextToUtf8(bytes, name == "UTF-16BE" ? 1 : name == "UTF-16LE" ? 0 : -1);
    }
    // Undeclared bytes that are not UTF-8 show as Windows-1252, but that is a guess, not a decoding.
    if (name.empty() && !IsValidUtf8(bytes))
    {
        if (decoded)
            *decoded = false;
        return SingleByteToUtf8(bytes, true);
    }
    bool ascii = name == "US-ASCII" || name == "ASCII" || name == "ANSI_X3.4-1968";
    if (name.empty() || name == "UTF-8" || name == "UTF8" || (ascii && IsAscii(bytes)))
    {
        if (IsValidUtf8(bytes))
            return bytes;
    }
    else if (!ascii && g_decoder)
    {
        std::string utf8;
        if (g_decoder(bytes, name, utf8) && IsValidUtf8(utf8))
            return utf8;
    }
    if (decoded)
        *decoded = false;
    return SanitizeUtf8(bytes);
}

std::string Utf16ToUtf8(const char* data, size_t size, bool bigEndian)
{
    std::string out;
    out.reserve(size / 2);
    auto unit = [&](size_t i) -> uint32_t {
        unsigned char a = static_cast<unsigned char>(data[i]), b = static_cast<unsigned char>(data[i + 1]);
        return bigEndian ? (a << 8 | b) : (b << 8 | a);
    };
    for (size_t i = 0; i + 1 < size; i += 2)
    {
        uint32_t u = unit(i);
        if (u >= 0xD800 && u <= 0xDBFF && i + 3 < size)
        {
            uint32_t low = unit(i + 2);
            if (low >= 0xDC00 && low <= 0xDFFF)
            {
                AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
                i += 2;
                continue;
            }
        }
        AppendUtf8(out, u);
    }
    return out;
}

std::string Utf8ToUtf16(const std::string& utf8, bool bigEndian)
{
    std::string out;
    out.reserve(utf8.size() * 2);
    auto unit = [&](uint32_t u) {
        char hi = static_cast<char>(u >> 8), lo = static_cast<char>(u & 0xFF);
        out += bigEndian ? hi : lo;
        out += bigEndian ? lo : hi;
    };
    for (size_t i = 0; i < utf8.size();)
    {
        size_t n = Utf8SequenceLength(utf8, i);
        uint32_t cp = REPLACEMENT;
        if (n == 1)
            cp = static_cast<unsigned char>(utf8[i]);
        else if (n > 1)
        {
            cp = static_cast<unsigned char>(utf8[i]) & (0xFFu >> (n + 1));
            for (size_t k = 1; k < n; ++k)
                cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3Fu);
        }
        i += n ? n : 1;
        if (cp >= 0x10000)
        {
            unit(0xD800 + ((cp - 0x10000) >> 10));
            unit(0xDC00 + ((cp - 0x10000) & 0x3FF));
        }
        else
            unit(cp);
    }
    return out;
}

size_t Utf16Offset(const char* data, size_t size, bool bigEndian, size_t utf8Offset)
{
    auto unit = [&](size_t i) -> uint32_t {
        unsigned char a = static_cast<unsigned char>(data[i]), b = static_cast<unsigned char>(data[i + 1]);
        return bigEndian ? (a << 8 | b) : (b << 8 | a);
    };
    // The same walk as Utf16ToUtf8, counting the UTF-8 bytes each unit became.
    size_t i = 0, counted = 0;
    while (i + 1 < size && counted < utf8Offset)
    {
        uint32_t u = unit(i);
        if (u >= 0xD800 && u <= 0xDBFF && i + 3 < size && unit(i + 2) >= 0xDC00 && unit(i + 2) <= 0xDFFF)
        {
            counted += 4;
            i += 4;
            continue;
        }
        counted += u < 0x80 ? 1 : u < 0x800 ? 2 : 3;
        i += 2;
    }
    return i;
}

std::string DecodeQuotedPrintable(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i)
    {
        char c = text[i];
        if (c == '=' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 && HexValue(text[i + 2]) >= 0)
        {
            out += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
            i += 2;
        }
        else if (c == '=' && SoftBreakAt(text, i))
            break;
        else
            out += c;
    }
    return out;
}

bool DecodeBase64(const std::string& text, std::string& bytes)
{
    bytes.clear();
    bytes.reserve(text.size() / 4 * 3 + 3);
    uint32_t accumulator = 0;
    int bits = 0;
    bool padding = false;
    for (char c : text)
    {
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n')
            continue;
        if (c == '=')
        {
            padding = true;
            continue;
        }
        int v = Base64Value(c);
        if (v < 0 || padding)
            return false;
        accumulator = (accumulator << 6) | static_cast<uint32_t>(v);
        bits += 6;
        if (bits >= 8)
        {
            bits -= 8;
            bytes += static_cast<char>((accumulator >> bits) & 0xFF);
        }
    }
    return true;
}

std::string UnescapeText(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i)
    {
        if (text[i] == '\\' && i + 1 < text.size())
        {
            char n = text[i + 1];
            if (n == 'n' || n == 'N')
                out += '\n';
            else if (n == '\\' || n == ',' || n == ';' || n == ':')
                out += n;
            else
            {
                out += '\\';
                out += n;
            }
            ++i;
        }
        else
            out += text[i];
    }
    return out;
}

std::string EscapeText(const std::string& text)
{
    std::string out;
    out.reserve(text.size() + 8);
    for (char c : text)
    {
        if (c == '\\' || c == ',' || c == ';')
        {
            out += '\\';
            out += c;
        }
        else if (c == '\n')
            out += "\\n";
        else if (c != '\r')
            out += c;
    }
    return out;
}

std::vector<std::string> SplitComponents(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t i = 0; i <= text.size(); ++i)
    {
        if (i + 1 < text.size() && text[i] == '\\')
        {
            ++i;
            continue;
        }
        if (i == text.size() || text[i] == separator)
        {
            parts.push_back(UnescapeText(text.substr(start, i - start)));
            start = i + 1;
        }
    }
    return parts;
}

} // namespace vcard
