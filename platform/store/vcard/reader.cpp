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

// Where the '=' of a quoted-printable soft break ("=" and maybe blanks at the end of the physical
// line that begins at segment) stands, or npos. Never looks before segment, so that lines of
// blanks cost no rescan of the blanks before them.
size_t SoftBreak(const std::string& line, size_t segment)
{
    size_t i = line.size();
    while (i > segment && (line[i - 1] == ' ' || line[i - 1] == '\t'))
        --i;
    return i > segment && line[i - 1] == '=' ? i - 1 : std::string::npos;
}

// Little-endian UTF-16 without a byte-order mark: the file starts with BEGIN:VCARD in it.
bool StartsUtf16Card(const std::string& bytes, bool bigEndian)
{
    static const char BEGIN[] = "BEGIN:VCARD";
    // The ASCII character of the unit at i, or 0.
    auto ascii = [&](size_t i) -> char {
        if (i + 1 >= bytes.size())
            return 0;
        return bigEndian ? (bytes[i] == 0 ? bytes[i + 1] : 0) : (bytes[i + 1] == 0 ? bytes[i] : 0);
    };
    size_t i = 0;
    while (ascii(i) == ' ' || ascii(i) == '\t' || ascii(i) == '\r' || ascii(i) == '\n')
        i += 2;
    for (size_t k = 0; BEGIN[k]; ++k, i += 2)
    {
        char c = ascii(i);
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
        if (c != BEGIN[k])
            return false;
    }
    return true;
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
    bool decoded = true;
    property.value = ToUtf8(raw, charset ? *charset : std::string(), &decoded);
    property.undecodable = !decoded;
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
    bool found = false;
    for (const CVCardParam& p : params)
        if (!found && EqualsNoCase(p.name, "TYPE"))
            VisitListWords(p.value, [&](const char* word, size_t length) {
                found = EqualsNoCase(word, length, type);
                return !found;
            });
    return found;
}

bool CVCardProperty::IsBase64() const
{
    const std::string* encoding = Param("ENCODING");
    return encoding && (EqualsNoCase(*encoding, "B") || EqualsNoCase(*encoding, "BASE64"));
}

const CVCardProperty* CVCard::Find(const char* wanted) const
{
    for (const CVCardProperty& p : properties)
        if (EqualsNoCase(p.name, wanted))
            return &p;
    return nullptr;
}

CVCardReader::CVCardReader(const char* data, size_t size) : m_data(data), m_size(size), m_pos(0)
{
    if (size >= 3 && memcmp(data, "\xEF\xBB\xBF", 3) == 0)
        m_pos = 3;
}

size_t CVCardReader::CNextByte::Find(const char* data, size_t size, size_t pos, char c)
{
    // Still valid when no such byte lies between where it was searched from and where it was found.
    if (from > pos || at < pos)
    {
        const void* p = memchr(data + pos, c, size - pos);
        at = p ? static_cast<size_t>(static_cast<const char*>(p) - data) : size;
        from = pos;
    }
    return at;
}

size_t CVCardReader::LineEnd(size_t pos) const
{
    return std::min(m_nextCr.Find(m_data, m_size, pos, '\r'), m_nextLf.Find(m_data, m_size, pos, '\n'));
}

size_t CVCardReader::NextLine(size_t end) const
{
    if (end >= m_size)
        return m_size;
    return m_data[end] == '\r' && end + 1 < m_size && m_data[end + 1] == '\n' ? end + 2 : end + 1;
}

bool CVCardReader::IsContinuation(size_t pos, const std::string& line, size_t segment, int encoding) const
{
    char c = m_data[pos];
    if (c == ' ' || c == '\t')
        return true;
    size_t contentEnd = LineEnd(pos);
    if (encoding == ENCODING_QP && SoftBreak(line, segment) != std::string::npos)
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
    size_t segment = 0;
    while (pos < m_size)
    {
        size_t contentEnd = LineEnd(pos);
        size_t from = pos;
        if (!first)
        {
            size_t soft = encoding == ENCODING_QP ? SoftBreak(line, segment) : std::string::npos;
            if (soft != std::string::npos)
                line.erase(soft);
            else if (m_data[pos] == ' ' || m_data[pos] == '\t')
                from = pos + 1;
        }
        segment = line.size();
        if (from < contentEnd && line.size() < VCARD_MAX_LINE)
            line.append(m_data + from, std::min(contentEnd - from, VCARD_MAX_LINE - line.size()));
        first = false;
        pos = NextLine(contentEnd);
        // Scans each byte once for the colon that ends the header; then the encoding is known.
        for (; encoding == ENCODING_UNKNOWN && scanned < line.size(); ++scanned)
        {
            if (line[scanned] == '"')
                quoted = !quoted;
            else if (line[scanned] == ':' && !quoted)
                encoding = HeaderEncoding(line.substr(0, scanned));
        }
        if (pos >= m_size || !IsContinuation(pos, line, segment, encoding))
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
            if (agentFollows)
            {
                ++depth;
                agentFollows = false;
                continue;
            }
            m_pos = lineStart;
            // The card before never ended: it is skipped and this one is read from its start.
            if (depth == 0)
                return false;
            // An agent card inside never ended: the card ends where the next one begins.
            card.end = lineStart;
            return true;
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
        if (Trim(line).empty())
            continue;
        CVCardProperty property;
        bool parsed = ParseLine(line, property);
        agentFollows = parsed && property.name == "AGENT" && Trim(property.value).empty();
        if (!parsed || depth > 0)
            continue;
        property.begin = lineStart;
        property.end = m_pos;
        if (property.name == "VERSION")
            card.version = Trim(property.value);
        size_t count = card.properties.size();
        bool room = count < VCARD_MAX_PROPERTIES || (count < 2 * VCARD_MAX_PROPERTIES && IsContactProperty(property.name));
        if (room && total + property.value.size() <= VCARD_MAX_CARD_BYTES)
        {
            total += property.value.size();
            card.properties.push_back(std::move(property));
        }
    }
    // The data ends inside the card (a cut-off download, a file still being written): it is read as it is.
    if (card.properties.empty())
        return false;
    card.end = m_size;
    return true;
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

bool ConvertUtf16File(const std::string& bytes, std::string& text, bool* bom, bool* bigEndian)
{
    if (bytes.size() < 2)
        return false;
    unsigned char a = static_cast<unsigned char>(bytes[0]), b = static_cast<unsigned char>(bytes[1]);
    bool little = a == 0xFF && b == 0xFE, big = a == 0xFE && b == 0xFF;
    bool marked = little || big;
    if (!marked && StartsUtf16Card(bytes, true))
        big = true;
    else if (!marked && !StartsUtf16Card(bytes, false))
        return false;
    if (bom)
        *bom = marked;
    if (bigEndian)
        *bigEndian = big;
    size_t skip = marked ? 2 : 0;
    text = Utf16ToUtf8(bytes.data() + skip, bytes.size() - skip, big);
    return true;
}

} // namespace vcard
