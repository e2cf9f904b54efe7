// Cards as real exporters write them: their anniversaries, names, labelled numbers, and cards cut short or oversized.
#include "platform/store/vcard/contact.h"
#include "platform/store/vcard/date.h"
#include "platform/store/vcard/reader.h"
#include "tests/store/peercards.h"

#include <gtest/gtest.h>

using namespace vcard;

namespace {

// What the list is given of a card (read without its numbers, addresses and picture) is what the
// whole record says.
void ExpectListFieldsAgree(const CVCard& card, const CContactRecord& whole)
{
    CContactRecord listed;
    ReadContact(card, listed, LIST_FIELDS);
    EXPECT_EQ(whole.uid, listed.uid);
    EXPECT_EQ(whole.name, listed.name);
    EXPECT_EQ(whole.birthday, listed.birthday);
    EXPECT_EQ(whole.anniversary, listed.anniversary);
}

// Every card of the text (UTF-16 files converted first) as "name" or "name/birthday".
std::string Summary(const std::string& data)
{
    KeepForPeers(data);
    std::string text;
    if (!ConvertUtf16File(data, text))
        text = data;
    CVCardReader reader(text.data(), text.size());
    CVCard card;
    std::string summary;
    while (reader.Next(card))
    {
        CContactRecord record;
        ReadContact(card, record);
        ExpectListFieldsAgree(card, record);
        summary += (summary.empty() ? "" : "|") + record.name;
        if (record.birthday != OLE_NO_DATE)
            summary += "/" + std::to_string(static_cast<long>(record.birthday));
    }
    return summary;
}

CContactRecord Contact(const std::string& version, const std::string& lines)
{
    std::string text = "BEGIN:VCARD\r\nVERSION:" + version + "\r\nFN:x\r\n" + lines + "\r\nEND:VCARD\r\n";
    KeepForPeers(text);
    CVCardReader reader(text.data(), text.size());
    CVCard card;
    CContactRecord record;
    if (reader.Next(card))
    {
        ReadContact(card, record);
        ExpectListFieldsAgree(card, record);
    }
    return record;
}

std::string Utf16Le(const std::string& ascii)
{
    std::string wide;
    for (char c : ascii)
        wide += std::string(1, c) + '\0';
    return wide;
}

} // namespace

TEST(ExporterForms, AnniversariesOfEachExporterInAnyLetterCase)
{
    struct
    {
        const char* lines;
        int year, month, day; // year 0: no anniversary
    } cases[] = {
        {"X-ANDROID-CUSTOM:vnd.android.cursor.item/contact_event;2009-06-20;1;;;;;;;;;;;;;", 2009, 6, 20},
        {"x-android-custom:vnd.android.cursor.item/contact_event;2009-06-20;2;Met;;;;;;;;;;;;", 0, 0, 0},
        {"X-KADDRESSBOOK-X-Anniversary:2001-02-03", 2001, 2, 3},
        {"x-kaddressbook-x-anniversary:20010203", 2001, 2, 3},
        {"ITEM1.X-ABDATE:2004-05-06\r\nitem1.X-ABLabel:_$!<Anniversary>!$_", 2004, 5, 6},
        {"item2.x-abdate;type=pref:2004-05-06\r\nItem2.x-ablabel:anniversary", 2004, 5, 6},
        {"item3.X-ABDATE:2004-05-06\r\nitem4.X-ABLabel:_$!<Anniversary>!$_", 0, 0, 0},
    };
    for (const auto& c : cases)
    {
        CVCardDate date;
        date.year = c.year, date.month = c.month, date.day = c.day;
        EXPECT_EQ(c.year ? ToOleDate(date) : OLE_NO_DATE, Contact("3.0", c.lines).anniversary) << c.lines;
    }
}

TEST(ExporterForms, CommasInNamesStayCommas)
{
    struct
    {
        const char* version;
        const char* n;
        const char* family;
        const char* given;
    } cases[] = {
        {"3.0", "N:O'Neil\\, Jr.;Pat;;;", "O'Neil, Jr.", "Pat"},
        {"4.0", "N:Smith;Anna\\,Maria;;;", "Smith", "Anna,Maria"},
        {"2.1", "N:O'Neil, Jr.;Pat", "O'Neil, Jr.", "Pat"},
    };
    for (const auto& c : cases)
    {
        CContactRecord record = Contact(c.version, c.n);
        EXPECT_EQ(c.family, record.lastName) << c.n;
        EXPECT_EQ(c.given, record.firstName) << c.n;
    }
}

TEST(ExporterForms, PreferredNumberGoesToTheSlotItsLabelNames)
{
    struct
    {
        const char* tel;
        const char* label;
        PhoneSlot slot;
    } cases[] = {
        {"item1.TEL;type=pref", "Mobile", PHONE_MOBILE},     {"item1.TEL;TYPE=pref", "_$!<Mobile>!$_", PHONE_MOBILE},
        {"item1.TEL;type=pref", "iPhone", PHONE_MOBILE},     {"ITEM1.TEL;type=pref", "_$!<Home>!$_", PHONE_HOME},
        {"item1.TEL;type=pref", "_$!<Work>!$_", PHONE_WORK}, {"item1.TEL;type=pref", "_$!<Pager>!$_", PHONE_PAGER},
        {"item1.TEL;type=pref", "_$!<HomeFAX>!$_", PHONE_HOME_FAX},
        {"item1.TEL;type=pref", "_$!<WorkFAX>!$_", PHONE_WORK_FAX},
        {"item1.TEL;type=pref", "_$!<Main>!$_", PHONE_COMPANY}, {"item1.TEL;type=CELL;type=pref", "Home", PHONE_MOBILE},
    };
    for (const auto& c : cases)
    {
        CContactRecord record = Contact("3.0", std::string(c.tel) + ":+1 555 0100\r\nitem1.X-ABLabel:" + c.label);
        EXPECT_EQ("+1 555 0100", record.phones[c.slot]) << c.label;
    }
}

TEST(ExporterForms, CardsAreReadToTheirEnd)
{
    std::string big = "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Many\r\n";
    for (int i = 0; i < 5000; ++i)
        big += "NOTE:line " + std::to_string(i) + "\r\n";
    big += "BDAY:1980-03-15\r\nEND:VCARD\r\n";
    struct
    {
        std::string text;
        const char* cards;
    } cases[] = {
        {"BEGIN:VCARD\r\nFN:Ann\r\nEND:VCARD\r\nBEGIN:VCARD\r\nFN:Cut off\r\nBDAY:1980-03-15\r\n", "Ann|Cut off/29295"},
        {"BEGIN:VCARD\rVERSION:3.0\rFN:Old\r  Mac\rEND:VCARD\rBEGIN:VCARD\rFN:Second\rEND:VCARD\r", "Old Mac|Second"},
        {"BEGIN:VCARD\rFN:Old\rEND:VCARD\rBEGIN:VCARD\nFN:Edited\nEND:VCARD\n", "Old|Edited"},
        {Utf16Le("BEGIN:VCARD\r\nFN:Wide\r\nEND:VCARD\r\n"), "Wide"},
        {"BEGIN:VCARD\r\nVERSION:2.1\r\nFN;ENCODING=QUOTED-PRINTABLE:Ann=  \r\na Lee\r\nEND:VCARD\r\n", "Anna Lee"},
        {"BEGIN:VCARD\r\nFN:Boss\r\nAGENT:\r\nBEGIN:VCARD\r\nFN:Aide\r\nAGENT:\r\nBEGIN:VCARD\r\nFN:Deputy\r\n"
         "END:VCARD\r\nBEGIN:VCARD\r\nFN:Later\r\nEND:VCARD\r\n",
         "Boss|Later"},
        {big, "Many/29295"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.cards, Summary(c.text)) << c.text.substr(0, 60);
}
