// The vCard writer: formats properties as folded lines and splices them into a file's bytes.
#include "platform/store/vcard/writer.h"

#include "platform/store/vcard/text.h"

namespace vcard {

namespace {

const size_t FOLD_WIDTH = 75;

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
