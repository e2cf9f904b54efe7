// The vCard reader: splits an address book into cards and properties, keeping each one's byte range.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
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
    // The value's charset is unknown or its bytes are not valid in it: value is only a best
    // reading, and the property's bytes must never be rewritten from it.
    bool undecodable = false;
    // The property's raw lines in the source, line breaks included: [begin, end).
    size_t begin = 0;
    size_t end = 0;

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

// Limits that keep memory and time bounded on hostile input. Past VCARD_MAX_PROPERTIES a card keeps
// only the properties a contact is read from, up to as many again; what lies past a bound is
// skipped, never the rest of the card.
const size_t VCARD_MAX_LINE = 16u << 20;
const size_t VCARD_MAX_PROPERTIES = 4096;
const size_t VCARD_MAX_PARAMS = 64;
const size_t VCARD_MAX_CARD_BYTES = 64u << 20;
// Whether a contact is read from properties of this (upper-case) name; kept with the contact mapping.
bool IsContactProperty(const std::string& name);

// Reads cards one at a time from UTF-8 (or ASCII) bytes that stay owned by the caller. Lines end
// with CR LF, LF or CR alone (also mixed, as in a file of one program edited by another).
class CVCardReader
{
public:
    // atStart: the data is the start of its file, where a byte-order mark is skipped.
    CVCardReader(const char* data, size_t size, bool atStart = true);
    // The next card that can be read; false at the end. A card cut off by the next BEGIN:VCARD is
    // skipped; the last card of the data is read up to its end even without END:VCARD. A card
    // passed again is overwritten in place: its properties' strings keep their storage.
    bool Next(CVCard& card);
    // Parses the logical line(s) at [0, size) as one property; false when it is not one.
    static bool ParseProperty(const char* data, size_t size, CVCardProperty& property);
    // The logical line of the property at [0, size): unfolded, its value not decoded.
    static std::string UnfoldProperty(const char* data, size_t size);
    // Where the next card is looked for.
    size_t Position() const { return m_pos; }
    // Whether a line read so far reached the end of the data: more data could have made it longer
    // or continued it, so what was read from it holds only if the data really ends there.
    bool RanOut() const { return m_furthest >= m_size; }

private:
    // The logical line at pos, unfolded; a line that is not folded is a view into the data.
    size_t ReadLogicalLine(size_t pos, std::string_view& line);
    // Where the content of the line at pos ends, and where the line after it starts.
    size_t LineEnd(size_t pos) const;
    size_t NextLine(size_t end) const;
    bool IsContinuation(size_t pos, std::string_view line, size_t segment, int encoding) const;
    bool ReadCardBody(size_t start, CVCard& card);

    const char* m_data;
    size_t m_size;
    size_t m_pos;
    size_t m_furthest;
    std::string m_unfolded;
    // The next CR and LF, remembered so that finding line ends stays linear in files with only one of them.
    struct CNextByte
    {
        size_t from = 1;
        size_t at = 0;
        size_t Find(const char* data, size_t size, size_t pos, char c);
    };
    mutable CNextByte m_nextCr;
    mutable CNextByte m_nextLf;
};

// A file in UTF-16 (with a byte-order mark, or little endian without one) is converted to UTF-8 into
// text (its offsets then refer to the converted text); false for every other file, which the
// reader reads as is. bom and bigEndian tell how the file was written.
bool ConvertUtf16File(const std::string& bytes, std::string& text, bool* bom = nullptr, bool* bigEndian = nullptr);

} // namespace vcard
