// The header of a vCard property line (group, name, parameters) as views into the line, for reading and rewriting alike.
#include "platform/store/vcard/header.h"

#include "platform/store/vcard/text.h"

namespace vcard {

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool Is(std::string_view text, const char* word)
{
    return EqualsNoCase(text.data(), text.size(), word);
}

std::string_view Unquote(std::string_view text)
{
    std::string_view t = TrimView(text);
    if (t.size() >= 2 && t.front() == '"' && t.back() == '"')
        return t.substr(1, t.size() - 2);
    return t;
}

} // namespace

std::string_view TrimView(std::string_view text)
{
    size_t b = 0, e = text.size();
    while (b < e && IsBlank(text[b]))
        ++b;
    while (e > b && IsBlank(text[e - 1]))
        --e;
    return text.substr(b, e - b);
}

void AssignUpper(std::string& out, std::string_view text)
{
    out.assign(text.data(), text.size());
    for (char& c : out)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
}

CParamView SplitParam(std::string_view text)
{
    CParamView param;
    param.text = text;
    size_t eq = text.find('=');
    if (eq == std::string_view::npos)
    {
        param.value = Unquote(text);
        std::string_view w = param.value;
        bool encoding = Is(w, "QUOTED-PRINTABLE") || Is(w, "BASE64") || Is(w, "B") || Is(w, "8BIT") || Is(w, "7BIT");
        param.name = encoding ? "ENCODING" : "TYPE";
    }
    else
    {
        param.name = TrimView(text.substr(0, eq));
        param.value = Unquote(text.substr(eq + 1));
    }
    return param;
}

int ParamEncoding(const CParamView& param)
{
    if (!Is(param.name, "ENCODING"))
        return -1;
    if (Is(param.value, "QUOTED-PRINTABLE"))
        return ENCODING_QP;
    if (Is(param.value, "BASE64") || Is(param.value, "B"))
        return ENCODING_BASE64;
    return ENCODING_PLAIN;
}

size_t CHeaderEnd::Find(std::string_view line)
{
    for (; m_scanned < line.size(); ++m_scanned)
    {
        char c = line[m_scanned];
        if (m_quoted)
            m_quoted = c != '"';
        else if (c == ':')
            return m_scanned;
        else if (c == ';')
            m_params = true;
        else if (c == '"' && m_params)
            m_quoted = true;
    }
    return std::string_view::npos;
}

size_t NameEnd(std::string_view line)
{
    size_t i = 0;
    while (i < line.size() && line[i] != ';' && line[i] != ':')
        ++i;
    return i < line.size() ? i : std::string_view::npos;
}

int HeaderEncoding(std::string_view line)
{
    int encoding = -1;
    size_t i = NameEnd(line);
    if (i != std::string_view::npos)
        WalkParams(line, i, [&](std::string_view text) {
            if (encoding < 0)
                encoding = ParamEncoding(SplitParam(text));
        });
    return encoding < 0 ? ENCODING_PLAIN : encoding;
}

} // namespace vcard
