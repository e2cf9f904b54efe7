// libFuzzer target: the vCard reader, the contact mapping, dates, pictures, the writer and the card editor on any bytes.
#include "platform/store/vcard/contact.h"
#include "platform/store/vcard/date.h"
#include "platform/store/vcard/edit.h"
#include "platform/store/vcard/reader.h"
#include "platform/store/vcard/text.h"
#include "platform/store/vcard/window.h"
#include "platform/store/vcard/writer.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::vector<vcard::CVCard> ReadAll(const std::string& text)
{
    std::vector<vcard::CVCard> cards;
    vcard::CVCardReader reader(text.data(), text.size());
    vcard::CVCard card;
    while (reader.Next(card))
        cards.push_back(card);
    return cards;
}

// Whether a property may change when the field changes: the field's own kind, and group labels.
bool MayChange(const std::string& name, int field)
{
    if (name == "X-ABLABEL")
        return true;
    if (field == vcard::FIELD_FIRST_NAME || field == vcard::FIELD_LAST_NAME)
        return name == "N";
    if (field == vcard::FIELD_DISPLAY_NAME)
        return name == "FN";
    if (field == vcard::FIELD_BIRTHDAY)
        return name == "BDAY";
    if (field == vcard::FIELD_ANNIVERSARY)
        return name == "ANNIVERSARY" || name == "X-ANNIVERSARY" || name == "X-EVOLUTION-ANNIVERSARY" ||
               name == "X-MS-ANNIVERSARY" || name == "X-ABDATE" || name == "X-KADDRESSBOOK-X-ANNIVERSARY" ||
               name == "X-ANDROID-CUSTOM";
    if (field < vcard::FIELD_EMAIL)
        return name == "TEL";
    return name == "EMAIL";
}

// The bytes of every property that may not change, in order.
std::vector<std::string> Kept(const std::string& text, const vcard::CVCard& card, int field)
{
    std::vector<std::string> kept;
    for (const vcard::CVCardProperty& p : card.properties)
        if (!MayChange(p.name, field))
            kept.push_back(text.substr(p.begin, p.end - p.begin));
    return kept;
}

// The line ends a text uses: bit 0 CR LF, bit 1 LF alone, bit 2 CR alone.
int LineEnds(const std::string& text)
{
    int ends = 0;
    for (size_t i = 0; i < text.size(); ++i)
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ends |= 1, ++i;
        else if (text[i] == '\n')
            ends |= 2;
        else if (text[i] == '\r')
            ends |= 4;
    return ends;
}

// Changes one field of one card as an editor would and checks that nothing else moved: every
// byte of the file outside the replaced ranges, each range exactly whole properties the field
// may change (or a place between two), and new lines in the card's own line ends.
void CheckEdit(const std::string& bytes, const std::string& text, const vcard::CFileForm& form,
               const std::vector<vcard::CVCard>& cards, const uint8_t* data, size_t size)
{
    if (cards.empty() || size < 4)
        return;
    size_t which = data[0] % cards.size();
    int field = data[1] % vcard::FIELD_COUNT;
    const vcard::CVCard& card = cards[which];
    std::string cardText = text.substr(card.begin, card.end - card.begin);
    vcard::CCardFields fields;
    vcard::ReadFields(card, fields);
    std::string value = vcard::ToUtf8(std::string(reinterpret_cast<const char*>(data) + size - std::min<size_t>(size, 12),
                                                  std::min<size_t>(size, 12)), "UTF-8");
    for (char& c : value)
        if (c == '\r' || c == '\n' || c == '\t')
            c = ' ';
    value = vcard::Trim(value);
    if (field == vcard::FIELD_BIRTHDAY || field == vcard::FIELD_ANNIVERSARY)
    {
        vcard::CVCardDate date = {data[2] % 2 ? vcard::YEAR_UNKNOWN : 1900 + data[2], 1 + data[3] % 12, 1 + data[2] % 28};
        (field == vcard::FIELD_BIRTHDAY ? fields.birthday : fields.anniversary) = data[3] % 5 ? date : vcard::CVCardDate();
    }
    else if (field == vcard::FIELD_FIRST_NAME)
        fields.firstName = value;
    else if (field == vcard::FIELD_LAST_NAME)
        fields.lastName = value;
    else if (field == vcard::FIELD_DISPLAY_NAME)
        fields.displayName = value;
    else if (field < vcard::FIELD_EMAIL)
        fields.phones[field - vcard::FIELD_PHONE] = value;
    else
        fields.emails[field - vcard::FIELD_EMAIL] = value;
    std::string edited;
    std::vector<vcard::CCardEdit> edits;
    if (!vcard::EditCard(cardText, fields, edited, std::string(), &edits))
        return;
    int cardEnds = LineEnds(cardText);
    for (const vcard::CCardEdit& e : edits)
    {
        bool insert = e.begin == e.end, starts = insert && card.properties.empty(), ends = insert;
        for (const vcard::CVCardProperty& p : card.properties)
        {
            if (p.begin - card.begin == e.begin || (insert && p.end - card.begin == e.begin))
                starts = true;
            if (p.end - card.begin == e.end)
                ends = true;
            if (p.begin - card.begin >= e.begin && p.end - card.begin <= e.end && e.begin < e.end && !MayChange(p.name, field))
                abort();
        }
        if (!starts || !ends)
            abort();
        // Single-ended cards get lines of that end.
        if ((cardEnds == 1 || cardEnds == 2 || cardEnds == 4) && (LineEnds(e.text) & ~cardEnds) != 0)
            abort();
    }
    std::string file = vcard::ReplaceRange(text, card.begin, card.end, edited);
    // In the file's own bytes: everything before the first and after the last edit is as it was.
    std::string written = vcard::ApplyCardEdits(bytes, form, card.begin, edits);
    std::string writtenText;
    if (form.utf16 && !vcard::ConvertUtf16File(written, writtenText))
        abort();
    if ((form.utf16 ? writtenText : written) != file)
        abort();
    std::vector<vcard::CVCard> again = ReadAll(file);
    if (again.size() != cards.size())
        abort();
    for (size_t i = 0; i < cards.size(); ++i)
        if (i != which && text.compare(cards[i].begin, cards[i].end - cards[i].begin, file, again[i].begin,
                                       again[i].end - again[i].begin) != 0)
            abort();
    if (Kept(text, card, field) != Kept(file, again[which], field))
        abort();
}


// The cards read through a window of a size the input chooses are the cards of the whole text, with
// the same ranges and properties; the list's fields agree with the whole record's.
void CheckWindows(const std::string& text, const std::vector<vcard::CVCard>& cards, size_t window)
{
    size_t at = 0, next = 0;
    bool read = vcard::ReadCardsInWindows(
        [&](char* buffer, size_t room) -> long long {
            size_t n = std::min(room, text.size() - at);
            memcpy(buffer, text.data() + at, n);
            at += n;
            return static_cast<long long>(n);
        },
        window,
        [&](const vcard::CVCard& card, const char*, uint64_t offset) {
            if (next >= cards.size() || offset + card.begin != cards[next].begin || offset + card.end != cards[next].end ||
                card.properties.size() != cards[next].properties.size())
                abort();
            for (size_t i = 0; i < card.properties.size(); ++i)
                if (card.properties[i].value != cards[next].properties[i].value ||
                    offset + card.properties[i].end != cards[next].properties[i].end)
                    abort();
            vcard::CContactRecord whole, listed;
            vcard::ReadContact(card, whole);
            vcard::ReadContact(card, listed, vcard::LIST_FIELDS);
            if (whole.name != listed.name || whole.uid != listed.uid || whole.birthday != listed.birthday ||
                whole.anniversary != listed.anniversary)
                abort();
            ++next;
        });
    if (!read || next != cards.size())
        abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string bytes(reinterpret_cast<const char*>(data), size);
    std::string converted;
    vcard::CFileForm form;
    form.utf16 = vcard::ConvertUtf16File(bytes, converted, &form.bom, &form.bigEndian);
    const std::string& text = form.utf16 ? converted : bytes;
    std::vector<vcard::CVCard> cards = ReadAll(text);
    for (const vcard::CVCard& card : cards)
    {
        if (card.begin >= card.end || card.end > text.size())
            abort();
        vcard::CContactRecord record;
        vcard::ReadContact(card, record);
        if (record.hasPhoto)
        {
            vcard::CVCardProperty photo;
            std::string picture;
            if (vcard::CVCardReader::ParseProperty(text.data() + record.photoBegin, record.photoEnd - record.photoBegin,
                                                   photo))
                vcard::DecodePhoto(photo, picture);
        }
        for (const vcard::CVCardProperty& property : card.properties)
        {
            if (property.begin < card.begin || property.end > card.end || property.begin >= property.end)
                abort();
            // A logical line folded by the writer unfolds to the same line.
            std::string line = vcard::CVCardReader::UnfoldProperty(text.data() + property.begin, property.end - property.begin);
            std::string lines = vcard::FoldLine(line);
            // (Quoted-printable soft breaks aside: a line with '=' is left out.)
            if (line.find_first_of("\r\n=") == std::string::npos &&
                vcard::CVCardReader::UnfoldProperty(lines.data(), lines.size()) != line)
                abort();
        }
    }
    CheckEdit(bytes, text, form, cards, data, size);
    CheckWindows(text, cards, 16 + (size > 0 ? data[size - 1] : 0));
    vcard::CVCardDate date;
    vcard::ParseVCardDate(bytes.substr(0, 64), date);
    return 0;
}
