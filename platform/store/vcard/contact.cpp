// What the store makes of one card: identity, names, dates, telephone numbers, e-mail, picture.
#include "platform/store/vcard/contact.h"

#include "platform/store/vcard/date.h"
#include "platform/store/vcard/header.h"
#include "platform/store/vcard/text.h"

#include <initializer_list>
#include <unordered_map>

namespace vcard {

namespace {

// Text without escapes and blanks at either end; text without a backslash is only copied.
std::string Unescaped(std::string_view text)
{
    if (text.find('\\') == std::string_view::npos)
        return std::string(TrimView(text));
    return Trim(UnescapeText(std::string(text)));
}

std::string TextValue(const CVCardProperty& p)
{
    return Unescaped(p.value);
}

// Where the component that starts at start ends: the next separator that is not escaped.
size_t ComponentEnd(const std::string& text, size_t start)
{
    size_t i = start;
    for (; i < text.size() && text[i] != ';'; ++i)
        if (text[i] == '\\' && i + 1 < text.size())
            ++i;
    return i;
}

// Family and given name of N (family; given; additional; prefix; suffix). A comma stays a comma:
// escaped in 3.0 and 4.0, plain text in 2.1, and names like "O'Neil, Jr." keep it either way.
void ReadN(const CVCardProperty& p, std::string& given, std::string& family)
{
    const std::string& v = p.value;
    size_t first = ComponentEnd(v, 0);
    family = Unescaped(std::string_view(v).substr(0, first));
    given = first < v.size() ? Unescaped(std::string_view(v).substr(first + 1, ComponentEnd(v, first + 1) - first - 1))
                             : std::string();
}

// The X-ABLABEL of each group ("item1"), found in one pass; groups compare without regard to case.
typedef std::unordered_map<std::string, std::string> CGroupLabels;

CGroupLabels GroupLabels(const CVCard& card)
{
    CGroupLabels labels;
    for (const CVCardProperty& p : card.properties)
        if (!p.group.empty() && std::string_view(p.name) == "X-ABLABEL")
            labels.emplace(ToUpperAscii(p.group), ToUpperAscii(Trim(UnescapeText(p.value))));
    return labels;
}

// The label of a property's group without the "_$!<" ">!$_" that marks the exporter's own labels.
std::string LabelOf(const CGroupLabels& labels, const CVCardProperty& p)
{
    if (p.group.empty() || labels.empty())
        return std::string();
    auto it = labels.find(ToUpperAscii(p.group));
    if (it == labels.end())
        return std::string();
    std::string label = it->second;
    if (label.compare(0, 4, "_$!<") == 0 && label.size() >= 8 && label.compare(label.size() - 4, 4, ">!$_") == 0)
        label = label.substr(4, label.size() - 8);
    return label;
}

// Names compare as views: their lengths first, which settles most comparisons.
bool IsAnniversaryName(std::string_view n)
{
    return n == "ANNIVERSARY" || n == "X-ANNIVERSARY" || n == "X-EVOLUTION-ANNIVERSARY" || n == "X-MS-ANNIVERSARY" ||
           n == "X-KADDRESSBOOK-X-ANNIVERSARY";
}

// X-ANDROID-CUSTOM:vnd.android.cursor.item/contact_event;DATE;TYPE;LABEL;... with type 1, an anniversary.
bool IsAndroidAnniversary(const CVCardProperty& p)
{
    if (std::string_view(p.name) != "X-ANDROID-CUSTOM")
        return false;
    std::vector<std::string> parts = SplitComponents(p.value, ';');
    return parts.size() >= 3 && EqualsNoCase(Trim(parts[0]), "vnd.android.cursor.item/contact_event") &&
           Trim(parts[2]) == "1";
}
bool ReadDate(const CVCardProperty& p, double& value)
{
    CVCardDate date;
    if (!ParseVCardDate(EventDateText(p), date))
        return false;
    const std::string* omit = p.Param("X-APPLE-OMIT-YEAR");
    if (omit && Trim(*omit) == std::to_string(date.year))
        date.year = YEAR_UNKNOWN;
    value = ToOleDate(date);
    return true;
}

std::string PhoneNumber(const CVCardProperty& p)
{
    std::string number = TextValue(p);
    if (number.size() > 4 && EqualsNoCase(number.substr(0, 4), "TEL:"))
        number = Trim(number.substr(4));
    return number;
}

// The slots to try for a number, in order: at most two, kept without an allocation.
struct CSlots
{
    PhoneSlot slots[2];
    size_t count = 0;
    CSlots() {}
    CSlots(std::initializer_list<PhoneSlot> list)
    {
        for (PhoneSlot slot : list)
            slots[count++] = slot;
    }
    const PhoneSlot* begin() const { return slots; }
    const PhoneSlot* end() const { return slots + count; }
    bool empty() const { return count == 0; }
};

// The slot a number's label names ("Mobile", "_$!<HomeFAX>!$_"), for numbers whose types name no kind.
CSlots SlotsForLabel(const std::string& label)
{
    if (label == "MOBILE" || label == "IPHONE" || label == "CELL")
        return {PHONE_MOBILE};
    if (label == "HOME")
        return {PHONE_HOME, PHONE_HOME2};
    if (label == "WORK")
        return {PHONE_WORK, PHONE_WORK2};
    if (label == "PAGER")
        return {PHONE_PAGER};
    if (label == "HOMEFAX")
        return {PHONE_HOME_FAX};
    if (label == "WORKFAX")
        return {PHONE_WORK_FAX};
    if (label == "MAIN")
        return {PHONE_COMPANY};
    return {};
}

// Whether a number's types name anything beyond "preferred" and "voice".
bool HasKindType(const CVCardProperty& p)
{
    bool kind = false;
    for (const CVCardParam& param : p.params)
        if (!kind && EqualsNoCase(param.name, "TYPE"))
            VisitListWords(param.value, [&](const char* word, size_t length) {
                kind = length > 0 && !EqualsNoCase(word, length, "PREF") && !EqualsNoCase(word, length, "VOICE");
                return !kind;
            });
    return kind;
}

// The slot order to try for a number, by its types (or its label); an empty list means no slot.
CSlots SlotsFor(const CVCardProperty& p, const std::string& label)
{
    if (!label.empty() && !HasKindType(p))
    {
        CSlots labelled = SlotsForLabel(label);
        if (!labelled.empty())
            return labelled;
    }
    bool work = p.HasType("WORK"), home = p.HasType("HOME");
    if (p.HasType("FAX"))
        return {home && !work ? PHONE_HOME_FAX : PHONE_WORK_FAX};
    if (p.HasType("PAGER"))
        return {PHONE_PAGER};
    if (p.HasType("CELL") || p.HasType("MOBILE") || p.HasType("IPHONE"))
        return {PHONE_MOBILE};
    if (p.HasType("CAR"))
        return {PHONE_CAR};
    if (p.HasType("RADIO") || p.HasType("X-RADIO"))
        return {PHONE_RADIO};
    if (p.HasType("X-ASSISTANT") || p.HasType("ASSISTANT"))
        return {PHONE_ASSISTANT};
    if (p.HasType("X-COMPANY") || p.HasType("COMPANY") || p.HasType("MAIN"))
        return {PHONE_COMPANY};
    if (work)
        return {PHONE_WORK, PHONE_WORK2};
    if (home)
        return {PHONE_HOME, PHONE_HOME2};
    // Numbers of other kinds (video, modem, textphone, untyped) fill the home slots when free.
    if (p.HasType("VIDEO") || p.HasType("MODEM") || p.HasType("BBS") || p.HasType("ISDN") || p.HasType("TEXTPHONE"))
        return {};
    return {PHONE_HOME, PHONE_HOME2};
}

bool IsInlinePhoto(const CVCardProperty& p)
{
    if (p.IsBase64())
        return true;
    std::string head = ToUpperAscii(p.value.substr(0, 64));
    return head.compare(0, 5, "DATA:") == 0 && head.find(";BASE64,") != std::string::npos;
}

} // namespace

void ReadContact(const CVCard& card, CContactRecord& record, ContactFields fields)
{
    record = CContactRecord();
    const bool all = fields == ALL_FIELDS;
    std::string formatted, organisation;
    short nIndex = -1;
    int emails = 0;
    bool haveBirthday = false, haveAnniversary = false;
    // The labels are looked up only for cards with grouped numbers or dates, most have none.
    CGroupLabels labels;
    bool labelsRead = false;
    auto labelOf = [&](const CVCardProperty& p) {
        if (!labelsRead && !p.group.empty())
        {
            labels = GroupLabels(card);
            labelsRead = true;
        }
        return LabelOf(labels, p);
    };
    for (size_t i = 0; i < card.properties.size(); ++i)
    {
        const CVCardProperty& p = card.properties[i];
        std::string_view n = p.name;
        short index = static_cast<short>(i);
        if (n == "UID" && record.uid.empty())
            record.uid = Trim(p.value);
        else if (n == "FN" && formatted.empty())
        {
            formatted = TextValue(p);
            record.fnProperty = index;
        }
        else if (n == "N" && nIndex < 0)
            nIndex = index;
        else if (n == "ORG" && organisation.empty())
        {
            std::vector<std::string> parts = SplitComponents(p.value, ';');
            organisation = parts.empty() ? std::string() : Trim(parts[0]);
        }
        else if (n == "EMAIL" && emails < (all ? EMAIL_SLOTS : 1))
        {
            std::string address = TextValue(p);
            if (!address.empty())
            {
                record.emailProperty[emails] = index;
                record.emails[emails++] = address;
            }
        }
        else if (n == "BDAY" && !haveBirthday)
        {
            haveBirthday = ReadDate(p, record.birthday);
            if (haveBirthday || record.birthdayProperty < 0)
                record.birthdayProperty = index;
        }
        else if (!haveAnniversary &&
                 (IsAnniversaryName(n) || IsAndroidAnniversary(p) ||
                  (n == "X-ABDATE" && labelOf(p).find("ANNIVERSARY") != std::string::npos)))
        {
            haveAnniversary = ReadDate(p, record.anniversary);
            if (haveAnniversary || record.anniversaryProperty < 0)
                record.anniversaryProperty = index;
        }
        else if (!all)
            continue;
        else if (n == "TEL")
        {
            std::string number = PhoneNumber(p);
            if (number.empty())
                continue;
            for (PhoneSlot slot : SlotsFor(p, labelOf(p)))
                if (record.phones[slot].empty())
                {
                    record.phones[slot] = number;
                    record.phoneProperty[slot] = index;
                    break;
                }
        }
        else if (n == "PHOTO" && !record.hasPhoto && IsInlinePhoto(p))
        {
            record.hasPhoto = true;
            record.photoBegin = p.begin;
            record.photoEnd = p.end;
        }
    }
    // The list needs the given and family names only for a contact without a formatted name.
    if (nIndex >= 0 && (all || formatted.empty()))
    {
        ReadN(card.properties[static_cast<size_t>(nIndex)], record.firstName, record.lastName);
        record.nProperty = nIndex;
    }
    if (!formatted.empty())
    {
        record.name = std::move(formatted);
        return;
    }
    const std::string& given = record.firstName;
    const std::string& family = record.lastName;
    std::string joined = Trim(given + (given.empty() || family.empty() ? "" : " ") + family);
    if (!joined.empty())
        record.name = joined;
    else if (!organisation.empty())
        record.name = organisation;
    else
        record.name = record.emails[0];
}

std::string EventDateText(const CVCardProperty& p)
{
    if (IsAndroidAnniversary(p))
        return SplitComponents(p.value, ';')[1];
    return p.value;
}

bool IsContactProperty(const std::string& name)
{
    std::string_view n = name;
    return n == "VERSION" || n == "UID" || n == "FN" || n == "N" || n == "ORG" || n == "EMAIL" || n == "TEL" ||
           n == "BDAY" || n == "PHOTO" || n == "X-ABDATE" || n == "X-ABLABEL" || n == "X-ANDROID-CUSTOM" ||
           IsAnniversaryName(n);
}

bool DecodePhoto(const CVCardProperty& property, std::string& bytes)
{
    if (property.IsBase64())
        return DecodeBase64(property.value, bytes) && !bytes.empty();
    const std::string& v = property.value;
    std::string head = ToUpperAscii(v.substr(0, 64));
    size_t marker = head.find(";BASE64,");
    if (head.compare(0, 5, "DATA:") != 0 || marker == std::string::npos)
        return false;
    return DecodeBase64(v.substr(marker + 8), bytes) && !bytes.empty();
}

} // namespace vcard
