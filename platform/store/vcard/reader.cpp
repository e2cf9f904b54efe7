// The vCard reader: splits an address book into cards and properties, keeping each one's byte range.
#include "platform/store/vcard/reader.h"

#include "platform/store/vcard/text.h"

#include <algorithm>
#include <cstring>

namespace vcard {

namespace {

enum
{
    ENCODING_UNKNOWN = -1,
    ENCODING_PLAIN = 0,
    ENCODING_QP = 1,
    ENCODING_BASE64 = 2
};

bool IsBase64Char(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' || c == '/' ||
           c == '=';
}

// The encoding named by the ENCODING parameter (or a bare 2.1 word) of a property's header.
int HeaderEncoding(const std::string& header)
{
    int encoding = ENCODING_PLAIN;
    size_t start = header.find(';');
    while (start != std::string::npos)
    {
        size_t end = header.find(';', start + 1);
        std::string param = ToUpperAscii(Trim(header.substr(start + 1, end == std::string::npos ? end : end - start - 1)));
        if (param.compare(0, 9, "ENCODING=") == 0)
            param = Trim(param.substr(9));
        if (param == "QUOTED-PRINTABLE")
            encoding = ENCODING_QP;
        else if (param == "BASE64" || param == "B")
            encoding = ENCODING_BASE64;
        start = end;
    }
    return encoding;
}

bool IsLine(const std::string& line, const char* text)
{
    return EqualsNoCase(Trim(line), text);
}

std::string Unquote(const std::string& text)
{
    std::string t = Trim(text);
    if (t.size() >= 2 && t.front() == '"' && t.back() == '"')
        return t.substr(1, t.size() - 2);
    return t;
}

void AddParam(CVCardProperty& property, const std::string& text)
{
    if (property.params.size() >= VCARD_MAX_PARAMS)
        return;
    CVCardParam param;
    size_t eq = text.find('=');
    if (eq == std::string::npos)
    {
        param.value = Unquote(text);
        std::string word = ToUpperAscii(param.value);
        bool encoding = word == "QUOTED-PRINTABLE" || word == "BASE64" || word == "B" || word == "8BIT" || word == "7BIT";
        param.name = encoding ? "ENCODING" : "TYPE";
    }
    else
    {
        param.name = ToUpperAscii(Trim(text.substr(0, eq)));
        param.value = Unquote(text.substr(eq + 1));
    }
    property.params.push_back(param);
}

// Whether the bytes decode in the named charset: single-byte Western charsets always do, UTF-8
// when it is valid, plain ASCII in any charset; other charsets are not read.
bool Decodes(const std::string& bytes, const std::string& charset)
{
    std::string name = ToUpperAscii(Trim(charset));
    if (name == "ISO-8859-1" || name == "ISO8859-1" || name == "LATIN1" || name == "ISO_8859-1" ||
        name == "WINDOWS-1252" || name == "CP1252" || name == "ANSI")
        return true;
    if (name == "UTF-8" || name == "UTF8")
        return IsValidUtf8(bytes);
    for (char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

// group.NAME;param;param:value, with the value decoded as far as the reader decodes values.
bool ParseLine(const std::string& line, CVCardProperty& property)
{
    size_t n = line.size(), i = 0;
    while (i < n && line[i] != ';' && line[i] != ':')
        ++i;
    if (i == n)
        return false;
    std::string full = Trim(line.substr(0, i));
    size_t dot = full.rfind('.');
    if (dot != std::string::npos)
    {
        property.group = full.substr(0, dot);
        full = full.substr(dot + 1);
    }
    property.name = ToUpperAscii(Trim(full));
    if (property.name.empty())
        return false;
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
            AddParam(property, line.substr(start, i - start));
    }
    std::string raw = line.substr(i + 1);
    const std::string* encoding = property.Param("ENCODING");
    if (encoding && EqualsNoCase(*encoding, "QUOTED-PRINTABLE"))
        raw = DecodeQuotedPrintable(raw);
    if (property.IsBase64())
    {
        property.value = Trim(raw);
        return true;
    }
    const std::string* charset = property.Param("CHARSET");
    property.value = ToUtf8(raw, charset ? *charset : std::string());
    property.undecodable = charset && !Decodes(raw, *charset);
    return true;
}

} // namespace

const std::string* CVCardProperty::Param(const char* wanted) const
{
    for (const CVCardParam& p : params)
        if (EqualsNoCase(p.name, wanted))
            return &p.value;
    return nullptr;
}

bool CVCardProperty::HasType(const char* type) const
{
    for (const CVCardParam& p : params)
    {
        if (!EqualsNoCase(p.name, "TYPE"))
            continue;
        for (const std::string& part : SplitComponents(p.value, ','))
            if (EqualsNoCase(Unquote(part), type))
                return true;
    }
    return false;
}

bool CVCardProperty::IsBase64() const
{
    const std::string* encoding = Param("ENCODING");
    return encoding && (EqualsNoCase(*encoding, "B") || EqualsNoCase(*encoding, "BASE64"));
}

const CVCardProperty* CVCard::Find(const char* wanted) const
{
    for (const CVCardProperty& p : properties)
        if (p.name == wanted)
            return &p;
    return nullptr;
}

CVCardReader::CVCardReader(const char* data, size_t size) : m_data(data), m_size(size), m_pos(0)
{
    if (size >= 3 && memcmp(data, "\xEF\xBB\xBF", 3) == 0)
        m_pos = 3;
}

size_t CVCardReader::LineEnd(size_t pos) const
{
    const void* p = memchr(m_data + pos, '\n', m_size - pos);
    return p ? static_cast<size_t>(static_cast<const char*>(p) - m_data) : m_size;
}

bool CVCardReader::IsContinuation(size_t pos, const std::string& line, int encoding) const
{
    char c = m_data[pos];
    if (c == ' ' || c == '\t')
        return true;
    size_t e = LineEnd(pos);
    size_t contentEnd = (e > pos && m_data[e - 1] == '\r') ? e - 1 : e;
    if (encoding == ENCODING_QP && !line.empty() && line.back() == '=')
    {
        // A broken soft break must not swallow the end of the card.
        return !EqualsNoCase(std::string(m_data + pos, std::min<size_t>(contentEnd - pos, 16)), "END:VCARD");
    }
    if (encoding == ENCODING_BASE64 && contentEnd > pos)
    {
        for (size_t i = pos; i < contentEnd; ++i)
            if (!IsBase64Char(m_data[i]))
                return false;
        return true;
    }
    return false;
}

size_t CVCardReader::ReadLogicalLine(size_t pos, std::string& line) const
{
    line.clear();
    int encoding = ENCODING_UNKNOWN;
    size_t scanned = 0;
    bool quoted = false;
    bool first = true;
    while (pos < m_size)
    {
        size_t e = LineEnd(pos);
        size_t contentEnd = (e > pos && m_data[e - 1] == '\r') ? e - 1 : e;
        size_t from = pos;
        if (!first)
        {
            if (encoding == ENCODING_QP && !line.empty() && line.back() == '=')
                line.pop_back();
            else if (m_data[pos] == ' ' || m_data[pos] == '\t')
                from = pos + 1;
        }
        if (from < contentEnd && line.size() < VCARD_MAX_LINE)
            line.append(m_data + from, std::min(contentEnd - from, VCARD_MAX_LINE - line.size()));
        first = false;
        pos = e < m_size ? e + 1 : m_size;
        // Scans each byte once for the colon that ends the header; then the encoding is known.
        for (; encoding == ENCODING_UNKNOWN && scanned < line.size(); ++scanned)
        {
            if (line[scanned] == '"')
                quoted = !quoted;
            else if (line[scanned] == ':' && !quoted)
                encoding = HeaderEncoding(line.substr(0, scanned));
        }
        if (pos >= m_size || !IsContinuation(pos, line, encoding))
            break;
    }
    return pos;
}

bool CVCardReader::Next(CVCard& card)
{
    std::string line;
    while (m_pos < m_size)
    {
        size_t start = m_pos;
        m_pos = ReadLogicalLine(m_pos, line);
        if (!IsLine(line, "BEGIN:VCARD"))
            continue;
        card = CVCard();
        if (ReadCardBody(start, card))
            return true;
    }
    return false;
}

bool CVCardReader::ReadCardBody(size_t start, CVCard& card)
{
    card.begin = start;
    std::string line;
    size_t depth = 0;
    size_t total = 0;
    bool agentFollows = false;
    while (m_pos < m_size)
    {
        size_t lineStart = m_pos;
        m_pos = ReadLogicalLine(m_pos, line);
        if (IsLine(line, "BEGIN:VCARD"))
        {
            if (depth > 0 || agentFollows)
            {
                ++depth;
                agentFollows = false;
                continue;
            }
            // The card before never ended: it is skipped and this one is read from its start.
            m_pos = lineStart;
            return false;
        }
        if (IsLine(line, "END:VCARD"))
        {
            if (depth > 0)
            {
                --depth;
                continue;
            }
            card.end = m_pos;
            return true;
        }
        if (depth > 0 || Trim(line).empty())
            continue;
        CVCardProperty property;
        if (!ParseLine(line, property))
            continue;
        property.begin = lineStart;
        property.end = m_pos;
        agentFollows = property.name == "AGENT" && Trim(property.value).empty();
        if (property.name == "VERSION")
            card.version = Trim(property.value);
        if (card.properties.size() < VCARD_MAX_PROPERTIES && total + property.value.size() <= VCARD_MAX_CARD_BYTES)
        {
            total += property.value.size();
            card.properties.push_back(std::move(property));
        }
    }
    return false;
}

bool CVCardReader::ParseProperty(const char* data, size_t size, CVCardProperty& property)
{
    CVCardReader reader(data, size);
    std::string line;
    size_t end = reader.ReadLogicalLine(0, line);
    if (!ParseLine(line, property))
        return false;
    property.begin = 0;
    property.end = end;
    return true;
}

std::string CVCardReader::UnfoldProperty(const char* data, size_t size)
{
    std::string line;
    CVCardReader(data, size).ReadLogicalLine(0, line);
    return line;
}

bool ConvertUtf16File(const std::string& bytes, std::string& text)
{
    if (bytes.size() < 2)
        return false;
    unsigned char a = static_cast<unsigned char>(bytes[0]), b = static_cast<unsigned char>(bytes[1]);
    bool little = a == 0xFF && b == 0xFE, big = a == 0xFE && b == 0xFF;
    if (!little && !big)
        return false;
    text = Utf16ToUtf8(bytes.data() + 2, bytes.size() - 2, big);
    return true;
}

} // namespace vcard
