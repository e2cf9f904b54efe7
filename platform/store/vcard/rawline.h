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

    // Reads the property at [begin, end) of text; false when it is not one property line.
    bool Read(const std::string& text, size_t begin, size_t end);
    // The parameter's name in upper case; a bare 2.1 word is a TYPE or an ENCODING, as the reader reads it.
    static std::string ParamName(const std::string& param);
    static std::string ParamValue(const std::string& param);
    void RemoveParams(const char* name);
    // The logical line, folded for the card: quoted-printable values with soft breaks.
    std::string Format() const;
};

// The components of a structured value as written, split on the separators that are not escaped.
std::vector<std::string> RawComponents(const std::string& value);

// The text (UTF-8, escaped) in the property's charset and encoding, so that it can stand beside
// the bytes of the other components; false when that charset cannot hold it.
bool EncodeLike(const CVCardProperty& property, const std::string& text, std::string& bytes);

// Each component of the written value decodes to the component of the decoded value: only then
// can one component be replaced without touching the bytes of the others.
bool ComponentsDecodeAlike(const CVCardProperty& property, const std::vector<std::string>& raw);

} // namespace vcard
