// What the store makes of one card: identity, names, dates, telephone numbers, e-mail, picture.
#include "platform/store/vcard/contact.h"

#include "platform/store/vcard/date.h"
#include "platform/store/vcard/text.h"

namespace vcard {

namespace {

std::string TextValue(const CVCardProperty& p)
{
    return Trim(UnescapeText(p.value));
}

// "Given Family" of N (family; given; additional; prefix; suffix); list values are joined by spaces.
void ReadN(const CVCardProperty& p, std::string& given, std::string& family)
{
    std::vector<std::string> parts = SplitComponents(p.value, ';');
    auto component = [&](size_t i) {
        if (i >= parts.size())
            return std::string();
        std::string joined = parts[i];
        for (char& c : joined)
            if (c == ',')
                c = ' ';
        return Trim(joined);
    };
    family = component(0);
    given = component(1);
}

bool IsAnniversaryLabel(const CVCard& card, const std::string& group)
{
    if (group.empty())
        return false;
    for (const CVCardProperty& p : card.properties)
    {
        if (p.group != group || p.name != "X-ABLABEL")
            continue;
        std::string label = ToUpperAscii(p.value);
        return label.find("ANNIVERSARY") != std::string::npos;
    }
    return false;
}

bool ReadDate(const CVCardProperty& p, double& value)
{
    CVCardDate date;
    if (!ParseVCardDate(p.value, date))
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

// The slot order to try for a number, by its types; an empty list means no slot.
std::vector<PhoneSlot> SlotsFor(const CVCardProperty& p)
{
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

void ReadContact(const CVCard& card, CContactRecord& record)
{
    record = CContactRecord();
    std::string formatted, organisation;
    bool haveN = false;
    int emails = 0;
    bool haveBirthday = false, haveAnniversary = false;
    for (size_t i = 0; i < card.properties.size(); ++i)
    {
        const CVCardProperty& p = card.properties[i];
        const std::string& n = p.name;
        short index = static_cast<short>(i);
        if (n == "UID" && record.uid.empty())
            record.uid = Trim(p.value);
        else if (n == "FN" && formatted.empty())
        {
            formatted = TextValue(p);
            record.fnProperty = index;
        }
        else if (n == "N" && !haveN)
        {
            ReadN(p, record.firstName, record.lastName);
            haveN = true;
            record.nProperty = index;
        }
        else if (n == "ORG" && organisation.empty())
        {
            std::vector<std::string> parts = SplitComponents(p.value, ';');
            organisation = parts.empty() ? std::string() : Trim(parts[0]);
        }
        else if (n == "EMAIL" && emails < EMAIL_SLOTS)
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
        else if ((n == "ANNIVERSARY" || n == "X-ANNIVERSARY" || n == "X-EVOLUTION-ANNIVERSARY" ||
                  n == "X-MS-ANNIVERSARY" || (n == "X-ABDATE" && IsAnniversaryLabel(card, p.group))) &&
                 !haveAnniversary)
        {
            haveAnniversary = ReadDate(p, record.anniversary);
            if (haveAnniversary || record.anniversaryProperty < 0)
                record.anniversaryProperty = index;
        }
        else if (n == "TEL")
        {
            std::string number = PhoneNumber(p);
            if (number.empty())
                continue;
            for (PhoneSlot slot : SlotsFor(p))
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
    std::string given = record.firstName, family = record.lastName;
    std::string joined = Trim(given + (given.empty() || family.empty() ? "" : " ") + family);
    if (!formatted.empty())
        record.name = formatted;
    else if (!joined.empty())
        record.name = joined;
    else if (!organisation.empty())
        record.name = organisation;
    else
        record.name = record.emails[0];
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
