// The vCard reader: splits an address book into cards and properties, keeping each one's byte range.
#include "platform/store/vcard/reader.h"

#include "platform/store/vcard/header.h"
#include "platform/store/vcard/text.h"

#include <algorithm>
#include <cstring>

namespace vcard {

namespace {

bool IsBase64Char(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' || c == '/' ||
           c == '=';
}

// Where the '=' of a quoted-printable soft break ("=" and maybe blanks at the end of the physical
// line that begins at segment) stands, or npos. Never looks before segment, so that lines of
// blanks cost no rescan of the blanks before them.
size_t SoftBreak(std::string_view line, size_t segment)
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

bool IsLine(std::string_view line, const char* text)
{
    std::string_view t = TrimView(line);
    return EqualsNoCase(t.data(), t.size(), text);
}

bool IsAscii(std::string_view text)
{
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

// group.NAME;param;param:value, with the value decoded as far as the reader decodes values. The
// property's strings keep their storage from an earlier card, so that reading allocates little.
bool ParseLine(std::string_view line, CVCardProperty& property)
{
    CPropertyHeader header;
    size_t count = 0;
    bool parsed = ParseHeader(line, header, [&](std::string_view text) {
        if (count >= VCARD_MAX_PARAMS)
            return;
        CParamView view = SplitParam(text);
        if (count == property.params.size())
            property.params.emplace_back();
        CVCardParam& param = property.params[count++];
        AssignUpper(param.name, view.name);
        param.value.assign(view.value.data(), view.value.size());
    });
    property.params.resize(count);
    if (!parsed)
        return false;
    property.group.assign(header.group.data(), header.group.size());
    AssignUpper(property.name, header.name);
    property.undecodable = false;
    std::string_view raw = line.substr(header.valueStart);
    const std::string* encoding = property.Param("ENCODING");
    bool quotedPrintable = encoding && EqualsNoCase(*encoding, "QUOTED-PRINTABLE");
    const std::string* charset = property.Param("CHARSET");
    if (!quotedPrintable && (property.IsBase64() || (!charset && IsAscii(raw))))
    {
        // Nothing to decode: base64 is kept as written, and ASCII is UTF-8 already.
        std::string_view kept = property.IsBase64() ? TrimView(raw) : raw;
        property.value.assign(kept.data(), kept.size());
        return true;
    }
    std::string bytes = quotedPrintable ? DecodeQuotedPrintable(std::string(raw)) : std::string(raw);
    bool decoded = true;
    property.value = ToUtf8(bytes, charset ? *charset : std::string(), &decoded);
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

CVCardReader::CVCardReader(const char* data, size_t size, bool atStart)
    : m_data(data), m_size(size), m_pos(0), m_furthest(0)
{
    if (atStart && size >= 3 && memcmp(data, "\xEF\xBB\xBF", 3) == 0)
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

bool CVCardReader::IsContinuation(size_t pos, std::string_view line, size_t segment, int encoding) const
{
    char c = m_data[pos];
    if (c == ' ' || c == '\t')
        return true;
    size_t contentEnd = LineEnd(pos);
    if (encoding == ENCODING_QP && SoftBreak(line, segment) != std::string::npos)
    {
        // A broken soft break must not swallow the end of the card.
        return !EqualsNoCase(m_data + pos, std::min<size_t>(contentEnd - pos, 16), "END:VCARD");
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

size_t CVCardReader::ReadLogicalLine(size_t pos, std::string_view& line)
{
    size_t contentEnd = LineEnd(pos);
    // A line that is not folded stays where it is; only a folded one is joined into m_unfolded.
    line = std::string_view(m_data + pos, std::min(contentEnd - pos, VCARD_MAX_LINE));
    pos = NextLine(contentEnd);
    CHeaderEnd header;
    int encoding = -1;
    size_t segment = 0;
    bool unfolded = false;
    while (pos < m_size)
    {
        if (encoding < 0)
        {
            size_t colon = header.Find(line);
            if (colon != std::string_view::npos)
                encoding = HeaderEncoding(line.substr(0, colon + 1));
        }
        if (!IsContinuation(pos, line, segment, encoding))
            break;
        if (!unfolded)
            m_unfolded.assign(line.data(), line.size());
        unfolded = true;
        contentEnd = LineEnd(pos);
        size_t from = pos;
        size_t soft = encoding == ENCODING_QP ? SoftBreak(m_unfolded, segment) : std::string::npos;
        if (soft != std::string::npos)
            m_unfolded.erase(soft);
        else if (m_data[pos] == ' ' || m_data[pos] == '\t')
            from = pos + 1;
        segment = m_unfolded.size();
        if (from < contentEnd && m_unfolded.size() < VCARD_MAX_LINE)
            m_unfolded.append(m_data + from, std::min(contentEnd - from, VCARD_MAX_LINE - m_unfolded.size()));
        line = m_unfolded;
        pos = NextLine(contentEnd);
    }
    m_furthest = std::max(m_furthest, pos);
    return pos;
}

bool CVCardReader::Next(CVCard& card)
{
    std::string_view line;
    while (m_pos < m_size)
    {
        size_t start = m_pos;
        m_pos = ReadLogicalLine(m_pos, line);
        if (!IsLine(line, "BEGIN:VCARD"))
            continue;
        if (ReadCardBody(start, card))
            return true;
    }
    return false;
}

bool CVCardReader::ReadCardBody(size_t start, CVCard& card)
{
    card.version.clear();
    card.begin = start;
    card.end = 0;
    // Properties are parsed into the card's existing ones, which keep their storage.
    std::vector<CVCardProperty>& properties = card.properties;
    size_t count = 0;
    std::string_view line;
    size_t depth = 0;
    size_t total = 0;
    bool agentFollows = false;
    bool ended = false;
    while (m_pos < m_size && !ended)
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
                break;
            // An agent card inside never ended: the card ends where the next one begins.
            card.end = lineStart;
            ended = true;
            continue;
        }
        if (IsLine(line, "END:VCARD"))
        {
            if (depth > 0)
            {
                --depth;
                continue;
            }
            card.end = m_pos;
            ended = true;
            continue;
        }
        if (TrimView(line).empty())
            continue;
        if (count == properties.size())
            properties.emplace_back();
        CVCardProperty& property = properties[count];
        bool parsed = ParseLine(line, property);
        agentFollows = parsed && std::string_view(property.name) == "AGENT" && TrimView(property.value).empty();
        if (!parsed || depth > 0)
            continue;
        property.begin = lineStart;
        property.end = m_pos;
        if (std::string_view(property.name) == "VERSION")
            card.version.assign(TrimView(property.value));
        bool room = count < VCARD_MAX_PROPERTIES || (count < 2 * VCARD_MAX_PROPERTIES && IsContactProperty(property.name));
        if (room && total + property.value.size() <= VCARD_MAX_CARD_BYTES)
        {
            total += property.value.size();
            ++count;
        }
    }
    properties.resize(count);
    if (ended)
        return true;
    // The data ends inside the card (a cut-off download, a file still being written): it is read as it is.
    if (m_pos < m_size || count == 0)
        return false;
    card.end = m_size;
    return true;
}

bool CVCardReader::ParseProperty(const char* data, size_t size, CVCardProperty& property)
{
    CVCardReader reader(data, size);
    std::string_view line;
    size_t end = reader.ReadLogicalLine(0, line);
    if (!ParseLine(line, property))
        return false;
    property.begin = 0;
    property.end = end;
    return true;
}

std::string CVCardReader::UnfoldProperty(const char* data, size_t size)
{
    std::string_view line;
    CVCardReader reader(data, size);
    reader.ReadLogicalLine(0, line);
    return std::string(line);
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
