// The vCard writer: formats properties as folded lines and splices them into a file's bytes.
#pragma once

#include "platform/store/vcard/reader.h"

#include <string>

namespace vcard {

// Folds a logical line into lines of at most 75 octets (never inside a UTF-8 character),
// continuation lines starting with one space, each line ending in CRLF.
std::string FoldLine(const std::string& line);

// The file's bytes with [begin, end) replaced by replacement; every other byte stays as it was.
std::string ReplaceRange(const std::string& file, size_t begin, size_t end, const std::string& replacement);

} // namespace vcard
