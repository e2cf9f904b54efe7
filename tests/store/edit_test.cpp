// Card rewriting: only the properties of changed fields change, in the card's own version's forms; merging two edits.
#include "platform/store/codepage.h"
#include "platform/store/vcard/edit.h"
#include "platform/store/vcard/reader.h"
#include "platform/store/vcard/text.h"
#include "platform/store/vcard/writer.h"
#include "tests/store/peercards.h"

#include <gtest/gtest.h>

using namespace vcard;

namespace {

CCardFields FieldsOf(const std::string& text)
{
    CVCardReader reader(text.data(), text.size());
    CVCard card;
    CCardFields fields;
    EXPECT_TRUE(reader.Next(card));
    ReadFields(card, fields);
    return fields;
}

std::string Edited(const std::string& text, void (*change)(CCardFields&))
{
    CCardFields fields = FieldsOf(text);
    change(fields);
    NormalizeFields(fields);
    std::string result;
    EXPECT_TRUE(EditCard(text, fields, result));
    KeepForPeers(text, &result);
    return result;
}

} // namespace

TEST(CardEdit, YearlessDatesKeepTheirVersionsForm)
{
    auto april = [](CCardFields& f) { f.birthday = {YEAR_UNKNOWN, 4, 1}; };
    EXPECT_EQ("BEGIN:VCARD\r\nVERSION:4.0\r\nFN:A\r\nBDAY:--0401\r\nEND:VCARD\r\n",
              Edited("BEGIN:VCARD\r\nVERSION:4.0\r\nFN:A\r\nBDAY:--0315\r\nEND:VCARD\r\n", april));
    EXPECT_EQ("BEGIN:VCARD\nVERSION:3.0\nFN:A\nBDAY:--04-01\nEND:VCARD\n",
              Edited("BEGIN:VCARD\nVERSION:3.0\nFN:A\nBDAY:--03-15\nEND:VCARD\n", april));
    EXPECT_EQ("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:A\r\nBDAY;X-APPLE-OMIT-YEAR=1604:1604-04-01\r\nEND:VCARD\r\n",
              Edited("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:A\r\nBDAY;X-APPLE-OMIT-YEAR=1604:1604-03-15\r\nEND:VCARD\r\n",
                     april));
    // A year given to an Apple year-less date drops the marker.
    EXPECT_EQ("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:A\r\nBDAY:1990-04-01\r\nEND:VCARD\r\n",
              Edited("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:A\r\nBDAY;X-APPLE-OMIT-YEAR=1604:1604-03-15\r\nEND:VCARD\r\n",
                     [](CCardFields& f) { f.birthday = {1990, 4, 1}; }));
    EXPECT_EQ("--04-01", FormatCardDate({YEAR_UNKNOWN, 4, 1}, "2.1", ""));
    EXPECT_EQ("19900401", FormatCardDate({1990, 4, 1}, "3.0", "19800315"));
}

TEST(CardEdit, NewPropertiesUseTheVersionsSyntaxAndLineEnds)
{
    std::string v21 = "BEGIN:VCARD\r\nVERSION:2.1\r\nN:Lind;Anna\r\nX-KEEP;A=b:c\r\nEND:VCARD\r\n";
    EXPECT_EQ("BEGIN:VCARD\r\nVERSION:2.1\r\nN:Lind;Anna\r\nX-KEEP;A=b:c\r\nX-ANNIVERSARY:2001-06-09\r\n"
              "TEL;CELL:+46 70\r\nEND:VCARD\r\n",
              Edited(v21, [](CCardFields& f) {
                  f.phones[PHONE_MOBILE] = "+46 70";
                  f.anniversary = {2001, 6, 9};
              }));
    // A quoted-printable soft break on the last line would swallow a line added after it.
    EXPECT_EQ("BEGIN:VCARD\r\nVERSION:2.1\r\nTEL;CELL:1\r\nNOTE;ENCODING=QUOTED-PRINTABLE:a=\r\nEND:VCARD\r\n",
              Edited("BEGIN:VCARD\r\nVERSION:2.1\r\nNOTE;ENCODING=QUOTED-PRINTABLE:a=\r\nEND:VCARD\r\n",
                     [](CCardFields& f) { f.phones[PHONE_MOBILE] = "1"; }));
    std::string v40 = "BEGIN:VCARD\nVERSION:4.0\nFN:Anna\nEND:VCARD\n";
    EXPECT_EQ("BEGIN:VCARD\nVERSION:4.0\nFN:Anna\nANNIVERSARY:20010609\nTEL;TYPE=work,voice:1\nEMAIL:a@b.c\nEND:VCARD\n",
              Edited(v40, [](CCardFields& f) {
                  f.phones[PHONE_WORK2] = "1"; // moves up into the empty first work slot
                  f.emails[1] = "a@b.c";
                  f.anniversary = {2001, 6, 9};
              }));
}

TEST(CardEdit, ChangesOnlyTheEditedPropertiesAndTheirLabels)
{
    std::string text = "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Lind;Anna;M.;Dr.;\r\nFN:Anna Lind\r\n"
                       "item1.EMAIL;type=INTERNET:old@x.se\r\nitem1.X-ABLABEL:_$!<Other>!$_\r\n"
                       "TEL;TYPE=HOME:111\r\nTEL;TYPE=WORK:222\r\nNOTE;ENCODING=QUOTED-PRINTABLE:a=\r\n b\r\n"
                       "END:VCARD\r\n";
    std::string result = Edited(text, [](CCardFields& f) {
        f.firstName = "Anne";
        f.emails[0].clear();
        f.phones[PHONE_WORK] = "333";
    });
    EXPECT_EQ("BEGIN:VCARD\r\nVERSION:3.0\r\nN:Lind;Anne;M.;Dr.;\r\nFN:Anna Lind\r\n"
              "TEL;TYPE=HOME:111\r\nTEL;TYPE=WORK:333\r\nNOTE;ENCODING=QUOTED-PRINTABLE:a=\r\n b\r\n"
              "END:VCARD\r\n",
              result);
    // Nothing changed: not one byte changes.
    EXPECT_EQ(text, Edited(text, [](CCardFields&) {}));
}

// Emptying the first of two numbers of a kind, or an e-mail address before others, removes that
// property alone: the next value, moving up in the editor, keeps its own types, parameters and label.
TEST(CardEdit, EmptiedSlotRemovesItsOwnPropertyAndTheNextKeepsItsOwn)
{
    const std::string head = "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Anna\r\n", end = "UID:a\r\nEND:VCARD\r\n";
    const std::string office = "item1.TEL;TYPE=WORK:111\r\nitem1.X-ABLABEL:Office\r\n",
                      desk = "item2.TEL;TYPE=WORK;TYPE=PREF:222\r\nitem2.X-ABLABEL:Desk\r\n",
                      home = "EMAIL;TYPE=HOME:a@home.se\r\n", work = "EMAIL;TYPE=WORK;X-KEEP=1:b@work.se\r\n",
                      other = "EMAIL:c@other.se\r\n";
    struct
    {
        std::string before;
        void (*change)(CCardFields&);
        std::string after;
    } cases[] = {
        {office + desk, [](CCardFields& f) { f.phones[PHONE_WORK].clear(); }, desk},
        {office + desk, [](CCardFields& f) { f.phones[PHONE_WORK2].clear(); }, office},
        {home + work + other, [](CCardFields& f) { f.emails[0].clear(); }, work + other},
        {home + work + other, [](CCardFields& f) { f.emails[1].clear(); }, home + other},
    };
    for (const auto& c : cases)
        EXPECT_EQ(head + c.after + end, Edited(head + c.before + end, c.change)) << c.before;
}

TEST(CardEdit, MergeKeepsBothChangesAndReportsClashes)
{
    CCardFields original, edited, fresh;
    original.birthday = {1980, 3, 15};
    original.phones[PHONE_MOBILE] = "1";
    original.lastName = "Lind";
    edited = original;
    edited.birthday = {1980, 3, 5};
    edited.lastName = "Berg";
    fresh = original;
    fresh.phones[PHONE_MOBILE] = "2";
    fresh.lastName = "Holm";
    std::vector<int> conflicts;
    MergeFields(original, edited, fresh, conflicts);
    EXPECT_EQ("1980-03-05", FieldText(fresh, FIELD_BIRTHDAY));
    EXPECT_EQ("2", fresh.phones[PHONE_MOBILE]);
    EXPECT_EQ("Holm", fresh.lastName);
    EXPECT_EQ(std::vector<int>{FIELD_LAST_NAME}, conflicts);
}

// A changed name component is written in its property's own charset and encoding beside the
// others' bytes; text that did not decode is never written back.
TEST(CardEdit, UnchangedAndUndecodedTextKeepsItsBytes)
{
    struct
    {
        const char* line;
        void (*change)(CCardFields&);
        const char* expected; // the line afterwards; null: no replacement character, no re-encoding
    } cases[] = {
        {"N;CHARSET=ISO-8859-1;ENCODING=QUOTED-PRINTABLE:M=FCller;Hans", [](CCardFields& f) { f.firstName = "Hannes"; },
         "N;CHARSET=ISO-8859-1;ENCODING=QUOTED-PRINTABLE:M=FCller;Hannes"},
        {"N;CHARSET=ISO-8859-1;ENCODING=QUOTED-PRINTABLE:M=FCller;Hans", [](CCardFields& f) { f.firstName = "\xC5\x81ukasz"; },
         "N;ENCODING=QUOTED-PRINTABLE;CHARSET=UTF-8:M=C3=BCller;=C5=81ukasz"},
        {"N;CHARSET=ISO-8859-2;ENCODING=QUOTED-PRINTABLE:=A3ukasiewicz;Jan", [](CCardFields& f) { f.firstName = "Janek"; },
         nullptr},
        {"FN;CHARSET=X-UNKNOWN:\x8E\xA1\x8E\xA2", [](CCardFields& f) { f.displayName = "Other"; },
         "FN;CHARSET=X-UNKNOWN:\x8E\xA1\x8E\xA2"},
    };
    for (const auto& c : cases)
    {
        std::string text = std::string("BEGIN:VCARD\r\nVERSION:2.1\r\n") + c.line + "\r\nEND:VCARD\r\n";
        std::string result = Edited(text, c.change);
        if (c.expected)
            EXPECT_EQ(std::string("BEGIN:VCARD\r\nVERSION:2.1\r\n") + c.expected + "\r\nEND:VCARD\r\n", result) << c.line;
        else
        {
            EXPECT_EQ(std::string::npos, result.find("\xEF\xBF\xBD")) << result;
            EXPECT_EQ(std::string::npos, result.find("CHARSET=UTF-8")) << result;
            EXPECT_NE(std::string::npos, result.find(":=A3ukasiewicz;Jan")) << result;
        }
    }
}

TEST(CardEdit, EmptiedDisplayNameIsNotMadeFromUndecodedNames)
{
    std::string text = "BEGIN:VCARD\r\nVERSION:3.0\r\nN;CHARSET=X-UNKNOWN:\x8E\xA1;\r\nFN:Mika\r\nEND:VCARD\r\n";
    EXPECT_EQ(text, Edited(text, [](CCardFields& f) { f.displayName.clear(); }));
}

TEST(CardEdit, TypeListsAndPlainDatesAreWrittenAsStrictReadersReadThem)
{
    struct
    {
        const char* line;
        void (*change)(CCardFields&);
        const char* expected;
    } cases[] = {
        {"TEL;TYPE=HOME,VOICE:111", [](CCardFields& f) { f.phones[PHONE_HOME] = "222"; }, "TEL;TYPE=HOME,VOICE:222"},
        {"BDAY;VALUE=date-time:1980-03-15T10:00:00Z", [](CCardFields& f) { f.birthday = {1980, 3, 5}; },
         "BDAY:1980-03-05"},
    };
    for (const auto& c : cases)
    {
        std::string text = std::string("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:A\r\n") + c.line + "\r\nEND:VCARD\r\n";
        EXPECT_EQ(std::string("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:A\r\n") + c.expected + "\r\nEND:VCARD\r\n",
                  Edited(text, c.change));
    }
}

TEST(CardEdit, AndroidEventDateIsShownAndNeverRewritten)
{
    std::string text = "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:A\r\n"
                       "X-ANDROID-CUSTOM:vnd.android.cursor.item/contact_event;2001-06-09;1;;;;;;;;;;;;;\r\nEND:VCARD\r\n";
    CCardFields fields = FieldsOf(text);
    EXPECT_EQ(2001, fields.anniversary.year);
    EXPECT_EQ(6, fields.anniversary.month);
    EXPECT_EQ(9, fields.anniversary.day);
    EXPECT_EQ(text, Edited(text, [](CCardFields& f) { f.anniversary = {2002, 7, 10}; }));
}

// The edited property in the file's own form: its code page when the text fits, else UTF-8 on
// that property alone; quoted-printable on one line where it was, soft breaks between characters
// where it had them; the card's line ends and its TYPE= style for new lines.
TEST(CardEdit, EditedPropertyKeepsTheFilesForm)
{
    InstallCodePageDecoder();
    struct
    {
        const char* card;
        void (*change)(CCardFields&);
        std::string expected;
    } cases[] = {
        {"BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=SHIFT_JIS:\x8E\x52\x93\x63;\x91\xBE\x98\x59\r\nEND:VCARD\r\n",
         [](CCardFields& f) { f.firstName = "\xE8\x8A\xB1\xE5\xAD\x90"; }, // 花子
         "BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=SHIFT_JIS:\x8E\x52\x93\x63;\x89\xD4\x8E\x71\r\nEND:VCARD\r\n"},
        {"BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=SHIFT_JIS;ENCODING=QUOTED-PRINTABLE:=8E=52=93=63;=91=BE=98=59\r\nEND:VCARD\r\n",
         [](CCardFields& f) { f.firstName = "Zo\xC3\xAB"; },
         "BEGIN:VCARD\r\nVERSION:2.1\r\nN;ENCODING=QUOTED-PRINTABLE;CHARSET=UTF-8:=E5=B1=B1=E7=94=B0;Zo=C3=AB\r\nEND:VCARD\r\n"},
        {"BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=E5=B1=B1;=E5=A4=AA\r\nEND:VCARD\r\n",
         [](CCardFields& f) { f.firstName = "\xE5\xB1\xB1\xE7\x94\xB0\xE5\xA4\xAA\xE9\x83\x8E\xE5\xB1\xB1\xE7\x94\xB0\xE5\xA4\xAA\xE9\x83\x8E"; },
         "BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=E5=B1=B1;=E5=B1=B1=E7=94=B0=E5=A4=AA"
         "=E9=83=8E=E5=B1=B1=E7=94=B0=E5=A4=AA=E9=83=8E\r\nEND:VCARD\r\n"},
        {"BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=E5=B1=B1;=E5=A4=AA=E9=83=8E=E5=A4=AA=E9=83=8E=\r\n"
         "=E5=A4=AA=E9=83=8E\r\nEND:VCARD\r\n",
         [](CCardFields& f) { f.firstName = "\xE5\xB1\xB1\xE7\x94\xB0\xE5\xA4\xAA\xE9\x83\x8E\xE5\xB1\xB1\xE7\x94\xB0\xE5\xA4\xAA\xE9\x83\x8E"; },
         "BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=E5=B1=B1;=E5=B1=B1=E7=94=B0=\r\n"
         "=E5=A4=AA=E9=83=8E=E5=B1=B1=E7=94=B0=E5=A4=AA=E9=83=8E\r\nEND:VCARD\r\n"},
        // A value ending in a soft break takes the blank line after it: that stays after the
        // rewritten property, not between its lines.
        {"BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=E5=B1=B1;=E5=A4=AA=\r\n=E9=83=8E=\r\n\r\n"
         "END:VCARD\r\n",
         [](CCardFields& f) { f.firstName = "\xE5\xB1\xB1\xE7\x94\xB0\xE5\xA4\xAA\xE9\x83\x8E\xE5\xB1\xB1\xE7\x94\xB0\xE5\xA4\xAA\xE9\x83\x8E"; },
         "BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=E5=B1=B1;=E5=B1=B1=E7=94=B0=\r\n"
         "=E5=A4=AA=E9=83=8E=E5=B1=B1=E7=94=B0=E5=A4=AA=E9=83=8E\r\n\r\nEND:VCARD\r\n"},
        {"BEGIN:VCARD\rVERSION:3.0\rFN:A\rBDAY:1980-03-15\rEND:VCARD\r",
         [](CCardFields& f) {
             f.birthday = {1980, 3, 5};
             f.emails[0] = "a@b";
         },
         "BEGIN:VCARD\rVERSION:3.0\rFN:A\rBDAY:1980-03-05\rEMAIL;TYPE=INTERNET:a@b\rEND:VCARD\r"},
        {"BEGIN:VCARD\r\nVERSION:2.1\r\nN:L;A\r\nTEL;TYPE=CELL:1\r\nEND:VCARD\r\n",
         [](CCardFields& f) { f.phones[PHONE_WORK] = "2"; },
         "BEGIN:VCARD\r\nVERSION:2.1\r\nN:L;A\r\nTEL;TYPE=CELL:1\r\nTEL;TYPE=WORK;TYPE=VOICE:2\r\nEND:VCARD\r\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.expected, Edited(c.card, c.change)) << c.card;
}

// In a UTF-16 file, in either byte order and with or without mark, only the edited property's
// bytes change: another card's lone surrogate and a last odd byte stay as they were.
TEST(CardEdit, Utf16FileKeepsEveryByteOutsideTheEdit)
{
    auto utf16 = [](const std::string& ascii, bool big) {
        std::string out;
        for (char c : ascii)
            out += big ? std::string(1, '\0') + c : std::string(1, c) + '\0';
        return out;
    };
    auto book = [&](const char* birthday, bool big, bool bom) {
        std::string lone = big ? std::string("\xD8\x00", 2) : std::string("\x00\xD8", 2);
        return (bom ? std::string(big ? "\xFE\xFF" : "\xFF\xFE") : std::string()) +
               utf16("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:A\r\nBDAY:" + std::string(birthday) + "\r\nEND:VCARD\r\n", big) +
               utf16("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:B", big) + lone + utf16("\r\nEND:VCARD\r\n", big) + "\x01";
    };
    for (bool big : {false, true})
        for (bool bom : {false, true})
        {
            std::string bytes = book("1980-03-15", big, bom), text;
            CFileForm form;
            ASSERT_TRUE(ConvertUtf16File(bytes, text, &form.bom, &form.bigEndian)) << big << bom;
            form.utf16 = true;
            EXPECT_EQ(big, form.bigEndian);
            CVCardReader reader(text.data(), text.size());
            CVCard card;
            ASSERT_TRUE(reader.Next(card));
            std::string cardText = text.substr(card.begin, card.end - card.begin), result;
            CCardFields fields = FieldsOf(cardText);
            fields.birthday = {1980, 3, 5};
            std::vector<CCardEdit> edits;
            ASSERT_TRUE(EditCard(cardText, fields, result, std::string(), &edits));
            EXPECT_EQ(book("1980-03-05", big, bom), ApplyCardEdits(bytes, form, card.begin, edits)) << big << bom;
        }
}

// A long edited value is folded as the reader will unfold it: with quoted-printable soft breaks
// only when the first ENCODING the line names is quoted-printable, else with a blank, so that a
// later contrary ENCODING cannot cut the name short and turn its rest into a property of its own.
TEST(CardEdit, LongEditedNameIsFoldedAsItsFirstEncodingReads)
{
    struct
    {
        const char* encodings;
        const char* expected; // the N line afterwards
    } cases[] = {
        {"ENCODING=8BIT;ENCODING=QUOTED-PRINTABLE",
         "N;ENCODING=8BIT;ENCODING=QUOTED-PRINTABLE:Lind;Anna-Katharina Maria Theresi\r\n a von Lindqvist"},
        {"ENCODING=QUOTED-PRINTABLE;ENCODING=8BIT",
         "N;ENCODING=QUOTED-PRINTABLE;ENCODING=8BIT:Lind;Anna-Katharina Maria Theresi=\r\na von Lindqvist"},
    };
    for (const auto& c : cases)
    {
        std::string head = "BEGIN:VCARD\r\nVERSION:2.1\r\n", tail = "\r\nFN:Anna\r\nEND:VCARD\r\n";
        std::string text = head + "N;" + c.encodings + ":Lind;An\r\n na" + tail;
        EXPECT_EQ(head + c.expected + tail,
                  Edited(text, [](CCardFields& f) { f.firstName = "Anna-Katharina Maria Theresia von Lindqvist"; }))
            << c.encodings;
    }
}
