// Editing a card: the fields a contact editor changes, merging two edits, and rewriting only what changed.
#include "platform/store/vcard/edit.h"

#include "platform/store/vcard/rawline.h"
#include "platform/store/vcard/text.h"
#include "platform/store/vcard/writer.h"

#include <algorithm>
#include <cstdio>

namespace vcard {

namespace {

std::string DateText(const CVCardDate& date)
{
    if (date.year == 0)
        return std::string();
    char text[16];
    snprintf(text, sizeof(text), "%04d-%02d-%02d", date.year, date.month, date.day);
    return text;
}

std::string* TextField(CCardFields& fields, int field)
{
    if (field == FIELD_FIRST_NAME)
        return &fields.firstName;
    if (field == FIELD_LAST_NAME)
        return &fields.lastName;
    if (field == FIELD_DISPLAY_NAME)
        return &fields.displayName;
    if (field >= FIELD_PHONE && field < FIELD_EMAIL)
        return &fields.phones[field - FIELD_PHONE];
    if (field >= FIELD_EMAIL && field < FIELD_COUNT)
        return &fields.emails[field - FIELD_EMAIL];
    return nullptr;
}

void CopyField(const CCardFields& from, CCardFields& to, int field)
{
    if (field == FIELD_BIRTHDAY)
        to.birthday = from.birthday;
    else if (field == FIELD_ANNIVERSARY)
        to.anniversary = from.anniversary;
    else
        *TextField(to, field) = *TextField(const_cast<CCardFields&>(from), field);
}

CVCardDate DateOf(const CVCard& card, int index)
{
    CVCardDate date;
    if (index < 0)
        return date;
    const CVCardProperty& p = card.properties[index];
    if (!ParseVCardDate(EventDateText(p), date))
        return CVCardDate();
    const std::string* omit = p.Param("X-APPLE-OMIT-YEAR");
    if (omit && Trim(*omit) == std::to_string(date.year))
        date.year = YEAR_UNKNOWN;
    return date;
}

std::string OneLine(const std::string& text)
{
    std::string line = text;
    for (char& c : line)
        if (c == '\r' || c == '\n' || c == '\t')
            c = ' ';
    return Trim(line);
}

// Second slots move into empty first slots: a card reads its numbers into the first free slot.
void MoveUp(std::string* slots, int count)
{
    int filled = 0;
    for (int i = 0; i < count; ++i)
        if (!slots[i].empty())
        {
            std::string value = slots[i];
            slots[i].clear();
            slots[filled++] = value;
        }
}

// Text escapes as the version knows them: 2.1 escapes only the component separator.
std::string Escape(const std::string& text, const std::string& version)
{
    if (version != "2.1")
        return EscapeText(text);
    std::string out;
    for (char c : text)
    {
        if (c == ';')
            out += '\\';
        out += c;
    }
    return out;
}

bool IsAscii(const std::string& text)
{
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

const char* const PHONE_TYPES[PHONE_SLOTS] = {"CELL",      "WORK,VOICE", "WORK,VOICE", "HOME,VOICE",
                                              "HOME,VOICE", "WORK,FAX",   "HOME,FAX",   "PAGER",
                                              "CAR",       "X-RADIO",    "X-COMPANY",  "X-ASSISTANT"};

// Collects the byte edits of one card and applies them in order.
class CCardEditor
{
public:
    CCardEditor(const std::string& text, const CVCard& card) : m_text(text), m_card(card), m_removed(card.properties.size())
    {
        // The card's line ends are those of its first line: CR LF, LF or CR alone.
        size_t first = text.find_first_of("\r\n");
        m_eol = first == std::string::npos || text[first] == '\n' ? "\n" : text.compare(first, 2, "\r\n") == 0 ? "\r\n" : "\r";
        m_endLine = text.size();
        std::string upper = ToUpperAscii(text);
        // A 2.1 card that writes its types as TYPE=CELL has new lines written so too.
        m_typeEquals = upper.find(";TYPE=") != std::string::npos;
        size_t end = upper.rfind("END:VCARD");
        if (end != std::string::npos)
            m_endLine = upper.rfind('\n', end) == std::string::npos ? end : upper.rfind('\n', end) + 1;
    }

    const std::string& Version() const { return m_card.version; }
    bool TypeEquals() const { return m_typeEquals; }

    // The property as written; false when it cannot be read again (it is then left alone).
    bool Read(int index, CRawLine& raw) const
    {
        const CVCardProperty& p = m_card.properties[index];
        return raw.Read(m_text, p.begin, p.end);
    }

    // Whether a written text failed to read back as the one property it stands for: the card
    // is then not saved.
    bool Refused() const { return m_refused; }

    void Put(int index, const CRawLine& raw)
    {
        const CVCardProperty& old = m_card.properties[index];
        std::string lines = raw.Format();
        CVCardProperty back;
        if (!CVCardReader::ParseProperty(lines.data(), lines.size(), back) || back.end != lines.size())
            m_refused = true;
        if (raw.eol.empty())
        {
            Add(old.begin, old.end, Lines(lines));
            return;
        }
        // A value ending in a soft break also took the blank lines after it: its own line end is
        // the first of them, and the others stay after the rewritten lines.
        size_t own = raw.eol.compare(0, 2, "\r\n") == 0 ? 2 : 1;
        Add(old.begin, old.end, Lines(lines, raw.eol.substr(0, own)) + raw.eol.substr(own));
    }

    // The value becomes text (escaped UTF-8), in the property's charset and encoding when that
    // charset holds it; else that property alone becomes UTF-8 (declared so in 2.1), still
    // quoted-printable if it was. The rest of the header stays as written.
    void ReplaceText(int index, const std::string& value)
    {
        CRawLine raw;
        if (!Read(index, raw))
            return;
        const CVCardProperty& p = m_card.properties[index];
        bool declared = !CharsetOf(p).empty() || Version() != "2.1" || IsAscii(value);
        std::string bytes;
        if (declared && !p.IsBase64() && EncodeLike(p, value, bytes))
        {
            raw.value = bytes;
            Put(index, raw);
            return;
        }
        bool quotedPrintable = IsQuotedPrintable(p);
        raw.RemoveParams("CHARSET");
        if (!quotedPrintable)
            raw.RemoveParams("ENCODING");
        if (Version() == "2.1" && !IsAscii(value))
            raw.params.push_back("CHARSET=UTF-8");
        raw.value = quotedPrintable ? EncodeQuotedPrintable(value) : value;
        Put(index, raw);
    }

    // Removes a property; an X-ABLABEL of its group goes with the group's last other property.
    void Remove(int index)
    {
        const CVCardProperty& old = m_card.properties[index];
        m_removed[index] = true;
        Add(old.begin, old.end, std::string());
        if (old.group.empty())
            return;
        for (size_t i = 0; i < m_card.properties.size(); ++i)
        {
            const CVCardProperty& p = m_card.properties[i];
            if (p.group == old.group && p.name != "X-ABLABEL" && !m_removed[i])
                return;
        }
        for (size_t i = 0; i < m_card.properties.size(); ++i)
            if (m_card.properties[i].group == old.group && !m_removed[i])
            {
                m_removed[i] = true;
                Add(m_card.properties[i].begin, m_card.properties[i].end, std::string());
            }
    }

    // Inserts a new property before the property at index (-1: after the last property).
    void Insert(int before, const std::string& nameAndParams, const std::string& value)
    {
        std::string line = nameAndParams;
        if (Version() == "2.1" && !IsAscii(value))
            line += ";CHARSET=UTF-8";
        line += ":" + value;
        // At the end, right after the last property: whatever lies between it and the END line
        // (blank lines, a folded END) stays as it is.
        size_t at = before >= 0 ? m_card.properties[before].begin
                                : m_card.properties.empty() ? m_endLine : m_card.properties.back().end;
        std::string lines = Lines(FoldLine(line));
        // A value whose last line ends in a quoted-printable soft break would take the new line
        // as its continuation, and an empty AGENT must stay right before its nested card: the new
        // property then goes before it.
        for (const CVCardProperty& p : m_card.properties)
            if (p.end == at)
            {
                std::string own = m_text.substr(p.begin, p.end - p.begin);
                if (CVCardReader::UnfoldProperty((own + lines).data(), own.size() + lines.size()) !=
                        CVCardReader::UnfoldProperty(own.data(), own.size()) ||
                    (p.name == "AGENT" && Trim(p.value).empty()))
                    at = p.begin;
                break;
            }
        Add(at, at, lines);
    }

    // The edits in order of place, none overlapping another.
    std::vector<CCardEdit> Edits()
    {
        std::stable_sort(m_edits.begin(), m_edits.end(), [](const CCardEdit& a, const CCardEdit& b) {
            if (a.begin != b.begin)
                return a.begin < b.begin;
            return (a.end == a.begin) > (b.end == b.begin);
        });
        std::vector<CCardEdit> edits;
        size_t pos = 0;
        for (const CCardEdit& e : m_edits)
            if (e.begin >= pos)
            {
                edits.push_back(e);
                pos = e.end;
            }
        return edits;
    }

private:

    void Add(size_t begin, size_t end, const std::string& text) { m_edits.push_back({begin, end, text}); }

    // The writer's CRLF lines in the given line ends.
    static std::string Lines(const std::string& crlf, const std::string& eol)
    {
        if (eol == "\r\n")
            return crlf;
        std::string out;
        for (size_t i = 0; i < crlf.size(); ++i)
            if (crlf.compare(i, 2, "\r\n") == 0)
            {
                out += eol;
                ++i;
            }
            else
                out += crlf[i];
        return out;
    }
    std::string Lines(const std::string& crlf) const { return Lines(crlf, m_eol); }

    const std::string& m_text;
    const CVCard& m_card;
    std::vector<bool> m_removed;
    std::vector<CCardEdit> m_edits;
    std::string m_eol;
    size_t m_endLine;
    bool m_typeEquals = false;
    bool m_refused = false;
};

void EditText(CCardEditor& editor, const CVCard& card, int index, const std::string& value)
{
    if (!card.properties[index].undecodable)
        editor.ReplaceText(index, value);
}

// A date value replaces only the value kind that a plain date is not.
bool IsDateValueParam(const std::string& param)
{
    if (CRawLine::ParamName(param) != "VALUE")
        return false;
    std::string kind = CRawLine::ParamValue(param);
    return EqualsNoCase(kind, "text") || EqualsNoCase(kind, "date-time") || EqualsNoCase(kind, "timestamp");
}

void EditDate(CCardEditor& editor, const CVCard& card, int index, const CVCardDate& date, const char* newName)
{
    if (date.year == 0)
    {
        if (index >= 0)
            editor.Remove(index);
        return;
    }
    if (index < 0)
    {
        editor.Insert(-1, newName, FormatCardDate(date, editor.Version(), std::string()));
        return;
    }
    const CVCardProperty& p = card.properties[index];
    CRawLine raw;
    // An Android event carries its date among other fields: it is shown, never rewritten.
    if (p.undecodable || p.name == "X-ANDROID-CUSTOM" || !editor.Read(index, raw))
        return;
    bool apple = p.Param("X-APPLE-OMIT-YEAR") != nullptr;
    std::vector<std::string> params;
    for (const std::string& param : raw.params)
    {
        std::string name = CRawLine::ParamName(param);
        if (name != "X-APPLE-OMIT-YEAR" && name != "CHARSET" && name != "ENCODING" && !IsDateValueParam(param))
            params.push_back(param);
    }
    // The year-less form of the card's own exporter stays the one it reads.
    if (apple && date.year == YEAR_UNKNOWN)
    {
        params.push_back("X-APPLE-OMIT-YEAR=" + std::to_string(YEAR_UNKNOWN));
        char text[16];
        bool extended = p.value.find('-') != std::string::npos;
        snprintf(text, sizeof(text), extended ? "%04d-%02d-%02d" : "%04d%02d%02d", date.year, date.month, date.day);
        raw.value = text;
    }
    else
        raw.value = FormatCardDate(date, editor.Version(), p.value);
    raw.params = params;
    editor.Put(index, raw);
}

void EditPhone(CCardEditor& editor, const CVCard& card, const CContactRecord& record, int slot, const std::string& number)
{
    int index = record.phoneProperty[slot];
    const std::string& version = editor.Version();
    if (number.empty())
    {
        if (index >= 0)
            editor.Remove(index);
        return;
    }
    if (index >= 0)
    {
        std::string old = Trim(card.properties[index].value);
        bool uri = old.size() > 4 && EqualsNoCase(old.substr(0, 4), "TEL:");
        EditText(editor, card, index, uri ? old.substr(0, 4) + number : Escape(number, version));
        return;
    }
    std::string types = PHONE_TYPES[slot];
    std::string params;
    if (version == "2.1" && editor.TypeEquals())
    {
        params = ";TYPE=" + types;
        for (size_t comma = params.find(','); comma != std::string::npos; comma = params.find(','))
            params.replace(comma, 1, ";TYPE=");
    }
    else if (version == "2.1")
    {
        for (char& c : types)
            if (c == ',')
                c = ';';
        params = ";" + types;
    }
    else if (version == "4.0")
    {
        for (char& c : types)
            c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        params = ";TYPE=" + types;
    }
    else
        params = ";TYPE=" + types;
    // A first number of a kind goes before the second, so that it reads back into the first slot.
    int before = -1;
    if (slot == PHONE_WORK || slot == PHONE_HOME)
        before = record.phoneProperty[slot + 1];
    editor.Insert(before, "TEL" + params, Escape(number, version));
}

void EditEmail(CCardEditor& editor, const CVCard& card, const CContactRecord& record, int slot, const std::string& address)
{
    int index = record.emailProperty[slot];
    const std::string& version = editor.Version();
    if (address.empty())
    {
        if (index >= 0)
            editor.Remove(index);
    }
    else if (index >= 0)
        EditText(editor, card, index, Escape(address, version));
    else
        editor.Insert(-1, version == "2.1" && !editor.TypeEquals() ? "EMAIL;INTERNET" : version == "4.0" ? "EMAIL" : "EMAIL;TYPE=INTERNET",
                      Escape(address, version));
}

// Slots of one kind are read in the card's order, a second one only when the first is taken. When
// wanted holds only values of current, in current's order (a value moved up into an emptied slot),
// wanted becomes current with just the others emptied: each value left keeps its own property
// (types, parameters, label) and only the emptied values' properties go.
void KeepMovedValues(const std::string* current, std::string* wanted, int count)
{
    std::vector<std::string> kept(count);
    int next = 0;
    for (int i = 0; i < count; ++i)
    {
        if (wanted[i].empty())
            continue;
        while (next < count && current[next] != wanted[i])
            ++next;
        if (next == count)
            return;
        kept[next] = current[next];
        ++next;
    }
    for (int i = 0; i < count; ++i)
        wanted[i] = kept[i];
}

std::string JoinComponents(const std::vector<std::string>& parts)
{
    std::string value = parts.empty() ? std::string() : parts[0];
    for (size_t i = 1; i < parts.size(); ++i)
        value += ";" + parts[i];
    return value;
}

// Replaces components of a structured property (escaped UTF-8 by index). The others keep their
// bytes when the property's charset and encoding can hold the new text; otherwise the whole
// value, decoded faithfully, is written as UTF-8. A value that did not decode is never written.
void EditComponents(CCardEditor& editor, const CVCard& card, int index, size_t minimum,
                    const std::vector<std::pair<size_t, std::string>>& changes)
{
    const CVCardProperty& p = card.properties[index];
    if (p.undecodable)
        return;
    std::vector<std::string> decoded = RawComponents(p.value);
    if (decoded.size() < minimum)
        decoded.resize(minimum);
    for (const auto& change : changes)
        decoded[change.first] = change.second;
    CRawLine raw;
    if (editor.Read(index, raw))
    {
        std::vector<std::string> parts = RawComponents(raw.value);
        // A value that ends in a soft break took the lines after it; written again it would take others.
        bool alike = ComponentsDecodeAlike(p, parts) && (raw.value.empty() || raw.value.back() != '=');
        if (parts.size() < minimum)
            parts.resize(minimum);
        for (const auto& change : changes)
            alike = alike && EncodeLike(p, change.second, parts[change.first]);
        raw.value = JoinComponents(parts);
        std::string lines = raw.Format();
        CVCardProperty back;
        if (alike && CVCardReader::ParseProperty(lines.data(), lines.size(), back) && !back.undecodable &&
            back.value == JoinComponents(decoded))
        {
            editor.Put(index, raw);
            return;
        }
    }
    editor.ReplaceText(index, JoinComponents(decoded));
}

void EditNames(CCardEditor& editor, const CVCard& card, const CContactRecord& record, const CCardFields& current,
               const CCardFields& wanted)
{
    const std::string& version = editor.Version();
    bool first = current.firstName != wanted.firstName, last = current.lastName != wanted.lastName;
    if (first || last)
    {
        size_t minimum = version == "2.1" ? 2 : 5;
        std::vector<std::pair<size_t, std::string>> changes;
        if (last)
            changes.push_back({0, Escape(wanted.lastName, version)});
        if (first)
            changes.push_back({1, Escape(wanted.firstName, version)});
        if (record.nProperty >= 0)
            EditComponents(editor, card, record.nProperty, minimum, changes);
        else
        {
            std::vector<std::string> parts(minimum);
            for (const auto& change : changes)
                parts[change.first] = change.second;
            editor.Insert(-1, "N", JoinComponents(parts));
        }
    }
    if (current.displayName == wanted.displayName)
        return;
    std::string display = wanted.displayName;
    // 3.0 and 4.0 cards must keep a formatted name: the names stand in for an emptied one, when
    // they were read faithfully.
    bool namesRead = record.nProperty < 0 || !card.properties[record.nProperty].undecodable;
    if (display.empty() && version != "2.1" && namesRead)
        display = Trim(wanted.firstName + " " + wanted.lastName);
    if (!display.empty() && record.fnProperty >= 0)
        EditText(editor, card, record.fnProperty, Escape(display, version));
    else if (!display.empty())
        editor.Insert(-1, "FN", Escape(display, version));
    else if (record.fnProperty >= 0 && version == "2.1" && !card.properties[record.fnProperty].undecodable)
        editor.Remove(record.fnProperty);
}

} // namespace

std::string FieldText(const CCardFields& fields, int field)
{
    if (field == FIELD_BIRTHDAY)
        return DateText(fields.birthday);
    if (field == FIELD_ANNIVERSARY)
        return DateText(fields.anniversary);
    const std::string* text = TextField(const_cast<CCardFields&>(fields), field);
    return text ? *text : std::string();
}

bool SameFields(const CCardFields& a, const CCardFields& b)
{
    for (int f = 0; f < FIELD_COUNT; ++f)
        if (FieldText(a, f) != FieldText(b, f))
            return false;
    return true;
}

void ReadFields(const CVCard& card, CCardFields& fields)
{
    CContactRecord record;
    ReadContact(card, record);
    fields = CCardFields();
    fields.firstName = record.firstName;
    fields.lastName = record.lastName;
    if (record.fnProperty >= 0)
        fields.displayName = Trim(UnescapeText(card.properties[record.fnProperty].value));
    fields.birthday = DateOf(card, record.birthdayProperty);
    fields.anniversary = DateOf(card, record.anniversaryProperty);
    for (int i = 0; i < PHONE_SLOTS; ++i)
        fields.phones[i] = record.phones[i];
    for (int i = 0; i < EMAIL_SLOTS; ++i)
        fields.emails[i] = record.emails[i];
}

void ReadOnlyFields(const CVCard& card, bool readOnly[FIELD_COUNT])
{
    CContactRecord record;
    ReadContact(card, record);
    auto undecodable = [&](int index) { return index >= 0 && card.properties[index].undecodable; };
    for (int f = 0; f < FIELD_COUNT; ++f)
        readOnly[f] = false;
    readOnly[FIELD_FIRST_NAME] = readOnly[FIELD_LAST_NAME] = undecodable(record.nProperty);
    readOnly[FIELD_DISPLAY_NAME] = undecodable(record.fnProperty);
    readOnly[FIELD_BIRTHDAY] = undecodable(record.birthdayProperty);
    readOnly[FIELD_ANNIVERSARY] = undecodable(record.anniversaryProperty) ||
                                  (record.anniversaryProperty >= 0 &&
                                   card.properties[record.anniversaryProperty].name == "X-ANDROID-CUSTOM");
    for (int i = 0; i < PHONE_SLOTS; ++i)
        readOnly[FIELD_PHONE + i] = undecodable(record.phoneProperty[i]);
    for (int i = 0; i < EMAIL_SLOTS; ++i)
        readOnly[FIELD_EMAIL + i] = undecodable(record.emailProperty[i]);
    // No edit box holds a NUL: it would show the text cut there and write that back.
    CCardFields fields;
    ReadFields(card, fields);
    for (int f = 0; f < FIELD_COUNT; ++f)
        readOnly[f] = readOnly[f] || FieldText(fields, f).find('\0') != std::string::npos;
}

void CopyFields(const bool which[FIELD_COUNT], const CCardFields& from, CCardFields& to)
{
    for (int f = 0; f < FIELD_COUNT; ++f)
        if (which[f])
            CopyField(from, to, f);
}

void NormalizeFields(CCardFields& fields)
{
    fields.firstName = OneLine(fields.firstName);
    fields.lastName = OneLine(fields.lastName);
    fields.displayName = OneLine(fields.displayName);
    for (std::string& phone : fields.phones)
        phone = OneLine(phone);
    for (std::string& email : fields.emails)
        email = OneLine(email);
    PackSlots(fields);
}

void PackSlots(CCardFields& fields)
{
    MoveUp(&fields.phones[PHONE_WORK], 2);
    MoveUp(&fields.phones[PHONE_HOME], 2);
    MoveUp(fields.emails, EMAIL_SLOTS);
}

void UnpackSlots(const CCardFields& original, CCardFields& fields)
{
    KeepMovedValues(&original.phones[PHONE_WORK], &fields.phones[PHONE_WORK], 2);
    KeepMovedValues(&original.phones[PHONE_HOME], &fields.phones[PHONE_HOME], 2);
    KeepMovedValues(original.emails, fields.emails, EMAIL_SLOTS);
}

void MergeFields(const CCardFields& original, const CCardFields& edited, CCardFields& fresh, std::vector<int>& conflicts)
{
    for (int f = 0; f < FIELD_COUNT; ++f)
    {
        std::string was = FieldText(original, f), mine = FieldText(edited, f), theirs = FieldText(fresh, f);
        if (mine == was || mine == theirs)
            continue;
        if (theirs != was)
            conflicts.push_back(f);
        else
            CopyField(edited, fresh, f);
    }
}

namespace {

// The edited card reads back as the properties no edit replaced, with the same bytes and in order,
// and one property at the start of each written text: an inserted line that a neighbour would
// swallow as its continuation, or that would swallow one, fails, and so does a written text that
// reads as more than one property (its value cut short, its rest a property of its own).
bool KeepsUntouchedProperties(const std::string& cardText, const CVCard& card, const std::vector<CCardEdit>& edits,
                              const std::string& result)
{
    CVCardReader reader(result.data(), result.size());
    CVCard again;
    if (!reader.Next(again))
        return false;
    std::vector<size_t> written;
    size_t shift = 0;
    for (const CCardEdit& e : edits)
    {
        if (!e.text.empty())
            written.push_back(e.begin + shift);
        shift += e.text.size() - (e.end - e.begin);
    }
    auto replaced = [&](const CVCardProperty& old) {
        return std::any_of(edits.begin(), edits.end(),
                           [&](const CCardEdit& e) { return e.begin < e.end && old.begin < e.end && e.begin < old.end; });
    };
    size_t next = 0;
    for (const CVCardProperty& p : again.properties)
    {
        if (std::find(written.begin(), written.end(), p.begin) != written.end())
            continue;
        while (next < card.properties.size() && replaced(card.properties[next]))
            ++next;
        if (next == card.properties.size())
            return false;
        const CVCardProperty& old = card.properties[next++];
        if (result.compare(p.begin, p.end - p.begin, cardText, old.begin, old.end - old.begin) != 0)
            return false;
    }
    // Every untouched property was met.
    while (next < card.properties.size() && replaced(card.properties[next]))
        ++next;
    return next == card.properties.size();
}

} // namespace

bool EditCard(const std::string& cardText, const CCardFields& asked, std::string& result, const std::string& newUid,
              std::vector<CCardEdit>* edits)
{
    CVCardReader reader(cardText.data(), cardText.size());
    CVCard card;
    if (!reader.Next(card))
        return false;
    CContactRecord record;
    ReadContact(card, record);
    CCardFields current;
    ReadFields(card, current);
    CCardFields wanted = asked;
    bool readOnly[FIELD_COUNT];
    ReadOnlyFields(card, readOnly);
    CopyFields(readOnly, current, wanted);
    CCardEditor editor(cardText, card);
    EditNames(editor, card, record, current, wanted);
    if (FieldText(current, FIELD_BIRTHDAY) != FieldText(wanted, FIELD_BIRTHDAY))
        EditDate(editor, card, record.birthdayProperty, wanted.birthday, "BDAY");
    if (FieldText(current, FIELD_ANNIVERSARY) != FieldText(wanted, FIELD_ANNIVERSARY))
        EditDate(editor, card, record.anniversaryProperty, wanted.anniversary,
                 card.version == "4.0" ? "ANNIVERSARY" : "X-ANNIVERSARY");
    UnpackSlots(current, wanted);
    for (int slot = 0; slot < PHONE_SLOTS; ++slot)
        if (current.phones[slot] != wanted.phones[slot])
            EditPhone(editor, card, record, slot, wanted.phones[slot]);
    for (int slot = 0; slot < EMAIL_SLOTS; ++slot)
        if (current.emails[slot] != wanted.emails[slot])
            EditEmail(editor, card, record, slot, wanted.emails[slot]);
    if (!newUid.empty() && !card.Find("UID"))
        editor.Insert(-1, "UID", newUid);
    if (editor.Refused())
        return false;
    std::vector<CCardEdit> done = editor.Edits();
    result.clear();
    size_t pos = 0;
    for (const CCardEdit& e : done)
    {
        result.append(cardText, pos, e.begin - pos);
        result += e.text;
        pos = e.end;
    }
    result.append(cardText, pos, std::string::npos);
    if (!KeepsUntouchedProperties(cardText, card, done, result))
        return false;
    if (edits)
        *edits = done;
    return true;
}

std::string ApplyCardEdits(const std::string& bytes, const CFileForm& form, size_t cardBegin,
                           const std::vector<CCardEdit>& edits)
{
    size_t skip = form.utf16 && form.bom ? 2 : 0;
    const char* data = bytes.data() + skip;
    size_t size = bytes.size() - skip;
    auto place = [&](size_t offset) {
        return form.utf16 ? skip + Utf16Offset(data, size, form.bigEndian, offset) : std::min(offset, bytes.size());
    };
    std::string out;
    out.reserve(bytes.size() + 256);
    size_t pos = 0;
    for (const CCardEdit& e : edits)
    {
        size_t begin = std::max(pos, place(cardBegin + e.begin)), end = std::max(begin, place(cardBegin + e.end));
        out.append(bytes, pos, begin - pos);
        out += form.utf16 ? Utf8ToUtf16(e.text, form.bigEndian) : e.text;
        pos = end;
    }
    out.append(bytes, pos, std::string::npos);
    return out;
}

std::string FormatCardDate(const CVCardDate& date, const std::string& version, const std::string& replaced)
{
    if (date.year == 0)
        return std::string();
    std::string old = Trim(replaced);
    bool extended = version != "4.0";
    if (!old.empty())
        extended = old.find('-', old.compare(0, 2, "--") == 0 ? 2 : 0) != std::string::npos;
    char text[16];
    if (date.year == YEAR_UNKNOWN)
        snprintf(text, sizeof(text), extended && version != "4.0" ? "--%02d-%02d" : "--%02d%02d", date.month, date.day);
    else
        snprintf(text, sizeof(text), extended ? "%04d-%02d-%02d" : "%04d%02d%02d", date.year, date.month, date.day);
    return text;
}

} // namespace vcard
