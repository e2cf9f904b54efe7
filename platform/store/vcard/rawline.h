// A property as it is written: its header kept byte for byte, its value replaced in the property's own charset and encoding.
#pragma once

#include "platform/store/vcard/reader.h"

#include <string>
#include <vector>

namespace vcard {

// One logical line split into "group.NAME", each parameter's text and the value, none decoded.
struct CRawLine
{
    std::string name;
    std::vector<std::string> params; // "TYPE=HOME,VOICE", "CHARSET=UTF-8", "QUOTED-PRINTABLE", ...
    std::string value;
    bool folded = false; // written on more than one line (quoted-printable: with soft breaks)
    std::string eol;     // the line end after the property as read

    // Reads the property at [begin, end) of text; false when it is not one property line.
    bool Read(const std::string& text, size_t begin, size_t end);
    // The parameter's name in upper case; a bare 2.1 word is a TYPE or an ENCODING, as the reader reads it.
    static std::string ParamName(const std::string& param);
    static std::string ParamValue(const std::string& param);
    void RemoveParams(const char* name);
    // The logical line with CRLF, folded only when it was: at 75 octets between characters, or
    // with quoted-printable soft breaks that never split a character.
    std::string Format() const;
};

bool IsQuotedPrintable(const CVCardProperty& property);
// The property's CHARSET as a charset key, empty when it has none.
std::string CharsetOf(const CVCardProperty& property);
// Bytes as quoted-printable on one line: '=' , controls, bytes past 0x7E and a last blank as =XX.
std::string EncodeQuotedPrintable(const std::string& bytes);

// The components of a structured value as written, split on the separators that are not escaped.
std::vector<std::string> RawComponents(const std::string& value);

// The text (UTF-8, escaped) in the property's charset and encoding, so that it can stand beside
// the bytes of the other components; false when that charset cannot hold it.
bool EncodeLike(const CVCardProperty& property, const std::string& text, std::string& bytes);

// Each component of the written value decodes to the component of the decoded value: only then
// can one component be replaced without touching the bytes of the others.
bool ComponentsDecodeAlike(const CVCardProperty& property, const std::vector<std::string>& raw);

} // namespace vcard
