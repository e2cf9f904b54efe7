// The vCard writer: formats properties as folded lines and splices them into a file's bytes.
#pragma once

#include "platform/store/vcard/reader.h"

#include <string>

namespace vcard {

// Folds a logical line into lines of at most 75 octets (never inside a UTF-8 character),
// continuation lines starting with one space, each line ending in CRLF.
std::string FoldLine(const std::string& line);

// group.NAME;PARAM=value:value as folded lines. The value is written as it stands (escaped text,
// or base64); encoding and charset parameters of the source are dropped because the value is
// UTF-8 now, and a 2.1 card that needs it gets CHARSET=UTF-8.
std::string FormatProperty(const CVCardProperty& property, const std::string& version);

// The file's bytes with [begin, end) replaced by replacement; every other byte stays as it was.
std::string ReplaceRange(const std::string& file, size_t begin, size_t end, const std::string& replacement);

} // namespace vcard
