// Text helpers of the vCard reader: charsets to UTF-8, quoted-printable, base64, escapes.
#pragma once

#include <string>
#include <vector>

namespace vcard {

std::string ToUpperAscii(std::string text);
bool EqualsNoCase(const std::string& a, const char* b);
std::string Trim(const std::string& text);

// Calls visit(word, length) for each word of a comma list, without blanks and quotes, in place
// (a list of thousands of words costs no string per word); stops when visit returns false.
template <class Visit>
void VisitListWords(const std::string& list, Visit visit)
{
    for (size_t start = 0; start <= list.size();)
    {
        size_t end = list.find(',', start);
        if (end == std::string::npos)
            end = list.size();
        size_t b = start, e = end;
        while (b < e && (list[b] == ' ' || list[b] == '\t' || list[b] == '"'))
            ++b;
        while (e > b && (list[e - 1] == ' ' || list[e - 1] == '\t' || list[e - 1] == '"'))
            --e;
        if (!visit(list.data() + b, e - b))
            return;
        start = end + 1;
    }
}
bool EqualsNoCase(const char* a, size_t length, const char* b);

bool IsValidUtf8(const std::string& bytes);

// Converts bytes of a named charset to UTF-8; false when the charset is unknown to it or the bytes
// are not valid in that charset. The store installs one that uses the system's code pages.
typedef bool (*CharsetDecoder)(const std::string& bytes, const std::string& charset, std::string& utf8);
void SetCharsetDecoder(CharsetDecoder decoder);
// Converts UTF-8 text to bytes of the named charset; false when the charset cannot hold every
// character of it, so that the bytes would not read back as the text. The store installs an
// encoder that uses the system's code pages for the charsets beyond UTF-8 and Latin-1.
typedef bool (*CharsetEncoder)(const std::string& utf8, const std::string& charset, std::string& bytes);
void SetCharsetEncoder(CharsetEncoder encoder);
bool FromUtf8(const std::string& utf8, const std::string& charset, std::string& bytes);
// Charset names upper case, without blanks and quotes ("shift_jis" -> "SHIFT_JIS").
std::string CharsetKey(const std::string& charset);

// Converts bytes in the named charset to UTF-8. Without a charset, valid UTF-8 stays as it is and
// anything else is read as Windows-1252. UTF-8, US-ASCII, Latin-1, Windows-1252 and UTF-16 are
// known here; other charsets go to the installed decoder. When the charset is unknown or the
// bytes do not decode, decoded is set false and the result is the bytes' best reading, in which
// invalid sequences never survive.
std::string ToUtf8(const std::string& bytes, const std::string& charset, bool* decoded = nullptr);
// UTF-16 text (little or big endian) to UTF-8; unpaired surrogates become U+FFFD.
std::string Utf16ToUtf8(const char* data, size_t size, bool bigEndian);

// UTF-8 text as UTF-16 code units without byte-order mark; invalid sequences become U+FFFD.
std::string Utf8ToUtf16(const std::string& utf8, bool bigEndian);
// Where in UTF-16 data (without its mark) the UTF-8 text that Utf16ToUtf8 makes of it reaches
// utf8Offset bytes: the byte offsets of a file's text map back onto the file as written.
size_t Utf16Offset(const char* data, size_t size, bool bigEndian, size_t utf8Offset);

std::string DecodeQuotedPrintable(const std::string& text);
// Skips white space; false on any other character outside the base64 alphabet.
bool DecodeBase64(const std::string& text, std::string& bytes);

// vCard text escapes: \n \N \\ \, \; (others are kept as written).
std::string UnescapeText(const std::string& text);
std::string EscapeText(const std::string& text);
// Splits on every separator that is not escaped; each part is unescaped.
std::vector<std::string> SplitComponents(const std::string& text, char separator);

} // namespace vcard
