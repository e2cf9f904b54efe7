// The vCard reader: splits an address book into cards and properties, keeping each one's byte range.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace vcard {

struct CVCardParam
{
    std::string name;  // upper case; bare 2.1 words become TYPE or ENCODING
    std::string value; // as written, without surrounding quotes
};

struct CVCardProperty
{
    std::string group; // "item1" of "item1.TEL", else empty
    std::string name;  // upper case
    std::vector<CVCardParam> params;
    // Unfolded and, for text, decoded from quoted-printable and its charset into UTF-8.
    // Escapes are kept; base64 values are kept as written.
    std::string value;
    // The property's raw lines in the source, line breaks included: [begin, end).
    size_t begin = 0;
    size_t end = 0;
    // The value's charset is unknown or its bytes do not decode: value holds no faithful text.
    bool undecodable = false;

    const std::string* Param(const char* name) const;
    // A TYPE value, also inside comma lists ("HOME,VOICE") and quoted lists.
    bool HasType(const char* type) const;
    bool IsBase64() const;
};

struct CVCard
{
    std::string version;
    std::vector<CVCardProperty> properties;
    // From the start of BEGIN:VCARD to the end of the END:VCARD line.
    size_t begin = 0;
    size_t end = 0;

    const CVCardProperty* Find(const char* name) const;
};

// Limits that keep memory and time bounded on hostile input.
const size_t VCARD_MAX_LINE = 16u << 20;
const size_t VCARD_MAX_PROPERTIES = 4096;
const size_t VCARD_MAX_PARAMS = 64;
const size_t VCARD_MAX_CARD_BYTES = 64u << 20;

// Reads cards one at a time from UTF-8 (or ASCII) bytes that stay owned by the caller.
class CVCardReader
{
public:
    CVCardReader(const char* data, size_t size);
    // The next card that can be read; false at the end. Cards without END:VCARD are skipped.
    bool Next(CVCard& card);
    // Parses the logical line(s) at [0, size) as one property; false when it is not one.
    static bool ParseProperty(const char* data, size_t size, CVCardProperty& property);
    // The logical line of the property at [0, size): unfolded, its value not decoded.
    static std::string UnfoldProperty(const char* data, size_t size);

private:
    size_t ReadLogicalLine(size_t pos, std::string& line) const;
    size_t LineEnd(size_t pos) const;
    bool IsContinuation(size_t pos, const std::string& line, int encoding) const;
    bool ReadCardBody(size_t start, CVCard& card);

    const char* m_data;
    size_t m_size;
    size_t m_pos;
};

// A file that starts with a UTF-16 byte-order mark is converted to UTF-8 into text (its offsets
// then refer to the converted text); false for every other file, which the reader reads as is.
bool ConvertUtf16File(const std::string& bytes, std::string& text);

} // namespace vcard
