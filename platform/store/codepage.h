// Text of an address book in the charsets the system's code pages know, for the vCard reader.
#pragma once

#include <string>

// Converts bytes in the named charset (upper case, as the reader passes it) to UTF-8 with the
// system's code pages; false when the charset has none or the bytes are not valid in it.
bool DecodeWithCodePage(const std::string& bytes, const std::string& charset, std::string& utf8);

// UTF-8 text in the named charset's code page; false when the charset has no code page that
// can be written. Characters the code page lacks are not refused here: FromUtf8 checks the result.
bool EncodeWithCodePage(const std::string& utf8, const std::string& charset, std::string& bytes);

// Makes the vCard reader decode (and the editor encode) every charset through the code pages.
void InstallCodePageDecoder();
