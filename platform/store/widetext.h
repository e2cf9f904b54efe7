// UTF-8 text as the system's wide strings and back, through the vCard code's one UTF-16 conversion.
#pragma once

#include <string>

// Invalid UTF-8 sequences become U+FFFD.
std::wstring Utf8ToWide(const std::string& utf8);
// Lone surrogates become U+FFFD.
std::string WideToUtf8(const std::wstring& wide);
