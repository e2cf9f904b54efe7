// A property as it is written: its header kept byte for byte, its value replaced in the property's own charset and encoding.
#include "platform/store/vcard/rawline.h"

#include "platform/store/vcard/text.h"
#include "platform/store/vcard/writer.h"

#include <cstdint>

namespace vcard {

namespace {

const size_t QP_LINE = 76;

bool IsAsciiText(const std::string& text)
{
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

bool IsQuotedPrintable(const CVCardProperty& property)
{
    const std::string* encoding = property.Param("ENCODING");
    return encoding && EqualsNoCase(Trim(*encoding), "QUOTED-PRINTABLE");
}

std::string CharsetOf(const CVCardProperty& property)
{
    const std::string* charset = property.Param("CHARSET");
    return charset ? ToUpperAscii(Trim(*charset)) : std::string();
}

// UTF-8 to ISO-8859-1 bytes; false for a character outside it (or a C1 control, which
// Windows-1252 reads as other characters).
bool ToLatin1(const std::string& text, std::string& bytes)
{
    bytes.clear();
    for (size_t i = 0; i < text.size(); ++i)
    {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 0x80)
        {
            bytes += static_cast<char>(c);
            continue;
        }
        if ((c & 0xE0) != 0xC0 || i + 1 >= text.size())
            return false;
        uint32_t cp = ((c & 0x1Fu) << 6) | (static_cast<unsigned char>(text[++i]) & 0x3Fu);
        if (cp < 0xA0 || cp > 0xFF)
            return false;
        bytes += static_cast<char>(cp);
    }
    return true;
}

std::string EncodeQuotedPrintable(const std::string& bytes)
{
    static const char HEX[] = "0123456789ABCDEF";
    std::string out;
    for (size_t i = 0; i < bytes.size(); ++i)
    {
        unsigned char c = static_cast<unsigned char>(bytes[i]);
        bool plain = (c > 32 && c < 127 && c != '=') || (c == ' ' && i + 1 < bytes.size());
        if (plain)
            out += static_cast<char>(c);
        else
        {
            out += '=';
            out += HEX[c >> 4];
            out += HEX[c & 15];
        }
    }
    return out;
}

// Lines of at most 76 octets joined by soft breaks, never inside the header or an =XX triplet.
std::string FoldQuotedPrintable(const std::string& line, size_t valueStart)
{
    std::string out;
    size_t pos = 0;
    while (line.size() - pos > QP_LINE)
    {
        size_t cut = pos + QP_LINE - 1;
        if (cut <= valueStart)
            cut = valueStart + 1;
        if (line[cut - 1] == '=' && cut - 1 > pos)
            cut -= 1;
        else if (cut >= 2 && line[cut - 2] == '=' && cut - 2 > pos)
            cut -= 2;
        out.append(line, pos, cut - pos);
        out += "=\r\n";
        pos = cut;
    }
    out.append(line, pos, std::string::npos);
    out += "\r\n";
    return out;
}

} // namespace

bool CRawLine::Read(const std::string& text, size_t begin, size_t end)
{
    if (begin > end || end > text.size())
        return false;
    std::string line = CVCardReader::UnfoldProperty(text.data() + begin, end - begin);
    // A line break left inside the logical line would end the property early once written again.
    if (line.find_first_of("\r\n") != std::string::npos)
        return false;
    size_t i = 0, n = line.size();
    while (i < n && line[i] != ';' && line[i] != ':')
        ++i;
    if (i == n)
        return false;
    name = line.substr(0, i);
    params.clear();
    while (i < n && line[i] == ';')
    {
        size_t start = ++i;
        bool quoted = false;
        while (i < n && (quoted || (line[i] != ';' && line[i] != ':')))
        {
            if (line[i] == '"')
                quoted = !quoted;
            ++i;
        }
        if (i == n)
            return false;
        if (i > start)
            params.push_back(line.substr(start, i - start));
    }
    value = line.substr(i + 1);
    return true;
}

std::string CRawLine::ParamName(const std::string& param)
{
    size_t eq = param.find('=');
    if (eq != std::string::npos)
        return ToUpperAscii(Trim(param.substr(0, eq)));
    std::string word = ToUpperAscii(Trim(param));
    bool encoding = word == "QUOTED-PRINTABLE" || word == "BASE64" || word == "B" || word == "8BIT" || word == "7BIT";
    return encoding ? "ENCODING" : "TYPE";
}

std::string CRawLine::ParamValue(const std::string& param)
{
    size_t eq = param.find('=');
    std::string value = Trim(eq == std::string::npos ? param : param.substr(eq + 1));
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        value = value.substr(1, value.size() - 2);
    return value;
}

void CRawLine::RemoveParams(const char* wanted)
{
    std::vector<std::string> kept;
    for (const std::string& p : params)
        if (ParamName(p) != wanted)
            kept.push_back(p);
    params.swap(kept);
}

std::string CRawLine::Format() const
{
    std::string line = name;
    bool quotedPrintable = false;
    for (const std::string& p : params)
    {
        line += ";" + p;
        quotedPrintable = quotedPrintable || (ParamName(p) == "ENCODING" && EqualsNoCase(ParamValue(p), "QUOTED-PRINTABLE"));
    }
    line += ":";
    size_t valueStart = line.size();
    line += value;
    return quotedPrintable ? FoldQuotedPrintable(line, valueStart) : FoldLine(line);
}

std::vector<std::string> RawComponents(const std::string& value)
{
    std::vector<std::string> parts(1);
    for (size_t i = 0; i < value.size(); ++i)
    {
        if (value[i] == '\\' && i + 1 < value.size())
        {
            parts.back() += value.substr(i, 2);
            ++i;
        }
        else if (value[i] == ';')
            parts.emplace_back();
        else
            parts.back() += value[i];
    }
    return parts;
}

bool EncodeLike(const CVCardProperty& property, const std::string& text, std::string& bytes)
{
    std::string charset = CharsetOf(property);
    if (IsAsciiText(text) || charset.empty() || charset == "UTF-8" || charset == "UTF8")
        bytes = text;
    else if (charset == "ISO-8859-1" || charset == "ISO8859-1" || charset == "LATIN1" || charset == "ISO_8859-1" ||
             charset == "WINDOWS-1252" || charset == "CP1252" || charset == "ANSI")
    {
        if (!ToLatin1(text, bytes))
            return false;
    }
    else
        return false;
    if (IsQuotedPrintable(property))
        bytes = EncodeQuotedPrintable(bytes);
    return true;
}

bool ComponentsDecodeAlike(const CVCardProperty& property, const std::vector<std::string>& raw)
{
    std::vector<std::string> decoded = RawComponents(property.value);
    if (property.undecodable || property.IsBase64() || decoded.size() != raw.size())
        return false;
    std::string charset = CharsetOf(property);
    bool quotedPrintable = IsQuotedPrintable(property);
    for (size_t i = 0; i < raw.size(); ++i)
        if (ToUtf8(quotedPrintable ? DecodeQuotedPrintable(raw[i]) : raw[i], charset) != decoded[i])
            return false;
    return true;
}

} // namespace vcard
