// Text of an address book in the charsets the system's code pages know, for the vCard reader.
#pragma once

#include <string>

// Converts bytes in the named charset (upper case, as the reader passes it) to UTF-8 with the
// system's code pages; false when the charset has none or the bytes are not valid in it.
bool DecodeWithCodePage(const std::string& bytes, const std::string& charset, std::string& utf8);

// Makes the vCard reader decode every charset through DecodeWithCodePage.
void InstallCodePageDecoder();
