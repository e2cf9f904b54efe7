// The vCard writer: formats properties as folded lines and splices them into a file's bytes.
#include "platform/store/vcard/writer.h"

#include "platform/store/vcard/text.h"

namespace vcard {

namespace {

const size_t FOLD_WIDTH = 75;

// A comma in TYPE separates a list of types and stays bare; elsewhere it is quoted like : and ;.
bool NeedsQuotes(const std::string& name, const std::string& value)
{
    return value.find_first_of(name == "TYPE" ? ":;\"" : ":;,\"") != std::string::npos;
}

bool IsAscii(const std::string& text)
{
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

// Names keep only the characters a name may hold, so that no name can end the header early.
std::string CleanName(const std::string& name)
{
    std::string clean;
    for (char c : name)
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_')
            clean += c;
    return clean;
}

} // namespace

std::string FoldLine(const std::string& line)
{
    std::string out;
    out.reserve(line.size() + line.size() / 64 * 3 + 2);
    size_t pos = 0;
    size_t width = FOLD_WIDTH;
    while (line.size() - pos > width)
    {
        size_t cut = pos + width;
        // Step back to the start of a UTF-8 character.
        while (cut > pos + 1 && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80)
            --cut;
        out.append(line, pos, cut - pos);
        out += "\r\n ";
        pos = cut;
        width = FOLD_WIDTH - 1;
    }
    out.append(line, pos, std::string::npos);
    out += "\r\n";
    return out;
}

std::string FormatProperty(const CVCardProperty& property, const std::string& version)
{
    std::string line;
    std::string group = CleanName(property.group);
    if (!group.empty())
        line += group + ".";
    line += CleanName(property.name);
    bool base64 = property.IsBase64();
    for (const CVCardParam& p : property.params)
    {
        std::string name = CleanName(p.name);
        if (name.empty() || name == "CHARSET" || (name == "ENCODING" && !base64))
            continue;
        // A parameter value cannot hold a double quote; an apostrophe stands in for it.
        std::string value = p.value;
        for (char& c : value)
            if (c == '"')
                c = '\'';
        line += ";" + name + "=";
        line += NeedsQuotes(name, value) ? "\"" + value + "\"" : value;
    }
    if (version == "2.1" && !base64 && !IsAscii(property.value))
        line += ";CHARSET=UTF-8";
    line += ":" + property.value;
    return FoldLine(line);
}

std::string ReplaceRange(const std::string& file, size_t begin, size_t end, const std::string& replacement)
{
    if (begin > end || end > file.size())
        return file;
    std::string out;
    out.reserve(file.size() - (end - begin) + replacement.size());
    out.append(file, 0, begin);
    out += replacement;
    out.append(file, end, std::string::npos);
    return out;
}

} // namespace vcard
