// The header of a vCard property line (group, name, parameters) as views into the line, for reading and rewriting alike.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vcard {

// One parameter as written between its ';' and the next: "TYPE=HOME,VOICE", "CHARSET=UTF-8", or a
// bare 2.1 word such as "HOME" or "QUOTED-PRINTABLE".
struct CParamView
{
    std::string_view text;  // as written
    std::string_view name;  // without blanks, in the case written; a bare word's is "TYPE" or "ENCODING"
    std::string_view value; // without blanks and surrounding quotes; a bare word's is the word
};

CParamView SplitParam(std::string_view text);

// Without blanks (space, tab, CR, LF) at either end.
std::string_view TrimView(std::string_view text);
// The text in upper case (ASCII letters only) into out, reusing its storage.
void AssignUpper(std::string& out, std::string_view text);

enum ValueEncoding
{
    ENCODING_PLAIN = 0,
    ENCODING_QP = 1,
    ENCODING_BASE64 = 2
};

// The encoding the parameter names, or -1 when it names none.
int ParamEncoding(const CParamView& param);

// Where the colon that ends a line's header stands, found as the line grows while it is unfolded.
// Before the first ';' or ':' (the name) quotes mean nothing; after it a colon inside a quoted
// parameter value does not end the header.
class CHeaderEnd
{
public:
    // The colon's offset, or npos while line holds none; line may only have grown since the last call.
    size_t Find(std::string_view line);

private:
    size_t m_scanned = 0;
    bool m_params = false;
    bool m_quoted = false;
};

struct CPropertyHeader
{
    std::string_view field;  // "item1.TEL" as written, blanks included
    std::string_view group;  // "item1"; empty without one
    std::string_view name;   // "TEL", without blanks, in the case written
    size_t valueStart = 0;   // just past the colon
};

// Walks the parameters from the ';' at i: calls visit(text) with each one's text that is not empty,
// in order. The colon that ends them, or npos when none does.
template <class Visit>
size_t WalkParams(std::string_view line, size_t i, Visit visit)
{
    size_t n = line.size();
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
        if (i > start && i < n)
            visit(line.substr(start, i - start));
    }
    return i < n ? i : std::string_view::npos;
}

// Where the name ("group.NAME") ends: the first ';' or ':', or npos.
size_t NameEnd(std::string_view line);

// Splits "group.NAME;param;param:value" and calls visit(text) with each parameter's text that is
// not empty, in order. False when no colon ends the header or the name is empty.
template <class Visit>
bool ParseHeader(std::string_view line, CPropertyHeader& header, Visit visit)
{
    size_t i = NameEnd(line);
    if (i == std::string_view::npos)
        return false;
    header.field = line.substr(0, i);
    std::string_view full = TrimView(header.field);
    size_t dot = full.rfind('.');
    header.group = dot == std::string_view::npos ? std::string_view() : full.substr(0, dot);
    header.name = TrimView(dot == std::string_view::npos ? full : full.substr(dot + 1));
    if (header.name.empty())
        return false;
    size_t colon = WalkParams(line, i, visit);
    if (colon == std::string_view::npos)
        return false;
    header.valueStart = colon + 1;
    return true;
}

// The encoding named by the first ENCODING parameter of the line's header (a bare 2.1 word too).
int HeaderEncoding(std::string_view line);

} // namespace vcard
