// A property as it is written: its header kept byte for byte, its value replaced in the property's own charset and encoding.
#include "platform/store/vcard/rawline.h"

#include "platform/store/vcard/header.h"
#include "platform/store/vcard/text.h"
#include "platform/store/vcard/writer.h"

#include <cctype>
#include <cstdint>
#include <cstdlib>

namespace vcard {

namespace {

const size_t QP_LINE = 76;

} // namespace

bool IsQuotedPrintable(const CVCardProperty& property)
{
    const std::string* encoding = property.Param("ENCODING");
    return encoding && EqualsNoCase(Trim(*encoding), "QUOTED-PRINTABLE");
}

std::string CharsetOf(const CVCardProperty& property)
{
    const std::string* charset = property.Param("CHARSET");
    return charset ? CharsetKey(*charset) : std::string();
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

namespace {

// A charset in which every byte is a character of its own.
bool IsSingleByte(const std::string& charset)
{
    return charset.compare(0, 8, "ISO-8859") == 0 || charset.compare(0, 8, "ISO8859-") == 0 ||
           charset.compare(0, 8, "ISO_8859") == 0 || charset.compare(0, 8, "WINDOWS-") == 0 ||
           charset.compare(0, 4, "KOI8") == 0 || charset == "LATIN1" || charset == "CP1252" || charset == "ANSI" ||
           charset == "US-ASCII" || charset == "ASCII";
}

// Lines of at most 76 octets joined by soft breaks, never inside the header, an =XX triplet or a
// character: a cut goes after a byte below 0x80 (which ends a character in every charset an
// address book uses), or before any byte that starts a character of a single-byte charset or of UTF-8.
std::string FoldQuotedPrintable(const std::string& line, size_t valueStart, const std::string& charset)
{
    bool utf8 = charset.empty() || charset == "UTF-8" || charset == "UTF8";
    bool singleByte = IsSingleByte(charset);
    // Each place a cut may go: before the encoded byte at it.
    std::vector<size_t> cuts;
    int previous = 0;
    for (size_t i = valueStart; i < line.size();)
    {
        int byte = static_cast<unsigned char>(line[i]);
        size_t length = 1;
        if (line[i] == '=' && i + 2 < line.size() && isxdigit(static_cast<unsigned char>(line[i + 1])) &&
            isxdigit(static_cast<unsigned char>(line[i + 2])))
        {
            byte = static_cast<int>(strtol(line.substr(i + 1, 2).c_str(), nullptr, 16));
            length = 3;
        }
        if (i > valueStart && (previous < 0x80 || singleByte || (utf8 && (byte & 0xC0) != 0x80)))
            cuts.push_back(i);
        previous = byte;
        i += length;
    }
    std::string out;
    size_t pos = 0;
    auto next = cuts.begin();
    // A line holds at most 75 octets before its '='; a character longer than that still stays whole.
    while (line.size() - pos > QP_LINE - 1)
    {
        size_t cut = 0;
        while (next != cuts.end() && (cut == 0 || *next - pos <= QP_LINE - 1))
            cut = *next++;
        if (cut <= pos)
            break;
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
    size_t last = end;
    while (last > begin && (text[last - 1] == '\r' || text[last - 1] == '\n'))
        --last;
    eol = text.substr(last, end - last);
    folded = text.find_first_of("\r\n", begin) < last;
    // A line break left inside the logical line would end the property early once written again.
    if (line.find_first_of("\r\n") != std::string::npos)
        return false;
    CPropertyHeader header;
    params.clear();
    if (!ParseHeader(line, header, [&](std::string_view text) { params.emplace_back(text); }))
        return false;
    name.assign(header.field);
    value = line.substr(header.valueStart);
    return true;
}

std::string CRawLine::ParamName(const std::string& param)
{
    std::string name;
    AssignUpper(name, SplitParam(param).name);
    return name;
}

std::string CRawLine::ParamValue(const std::string& param)
{
    return std::string(SplitParam(param).value);
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
    // The first ENCODING and the first CHARSET count, as they do for the reader: soft breaks in a
    // value the reader does not read as quoted-printable would end the property at the first one.
    const std::string* encoding = nullptr;
    const std::string* charset = nullptr;
    for (const std::string& p : params)
    {
        line += ";" + p;
        std::string paramName = ParamName(p);
        if (paramName == "ENCODING" && !encoding)
            encoding = &p;
        if (paramName == "CHARSET" && !charset)
            charset = &p;
    }
    line += ":";
    size_t valueStart = line.size();
    line += value;
    if (!folded)
        return line + "\r\n";
    bool quotedPrintable = encoding && EqualsNoCase(Trim(ParamValue(*encoding)), "QUOTED-PRINTABLE");
    return quotedPrintable ? FoldQuotedPrintable(line, valueStart, charset ? CharsetKey(ParamValue(*charset)) : std::string())
                           : FoldLine(line);
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
    if (!FromUtf8(text, CharsetOf(property), bytes))
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
