// The portable vCard reader and writer: line forms, encodings, charsets, byte ranges, hostile input.
#include "platform/store/vcard/contact.h"
#include "platform/store/vcard/rawline.h"
#include "platform/store/vcard/reader.h"
#include "platform/store/vcard/text.h"
#include "platform/store/vcard/window.h"
#include "platform/store/vcard/writer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

using namespace vcard;

namespace {

std::vector<CVCard> ReadAll(const std::string& text)
{
    std::vector<CVCard> cards;
    CVCardReader reader(text.data(), text.size());
    CVCard card;
    while (reader.Next(card))
        cards.push_back(card);
    return cards;
}

CContactRecord Contact(const std::string& text)
{
    std::vector<CVCard> cards = ReadAll(text);
    CContactRecord record;
    if (!cards.empty())
        ReadContact(cards[0], record);
    return record;
}

// Each card's range and properties (name, value, range), in the whole text's offsets.
std::string Signature(const CVCard& card, uint64_t offset)
{
    std::string text = std::to_string(offset + card.begin) + "-" + std::to_string(offset + card.end) + "{";
    for (const CVCardProperty& p : card.properties)
        text += p.name + "=" + p.value + "@" + std::to_string(offset + p.begin) + "-" + std::to_string(offset + p.end) + ";";
    return text + "}";
}

std::string WholeSignatures(const std::string& text)
{
    std::string all;
    for (const CVCard& card : ReadAll(text))
        all += Signature(card, 0);
    return all;
}

std::string WindowSignatures(const std::string& text, size_t window, size_t piece)
{
    size_t at = 0;
    std::string all;
    bool read = ReadCardsInWindows(
        [&](char* buffer, size_t room) -> long long {
            size_t n = std::min(std::min(room, piece), text.size() - at);
            memcpy(buffer, text.data() + at, n);
            at += n;
            return static_cast<long long>(n);
        },
        window, [&](const CVCard& card, const char*, uint64_t offset) { all += Signature(card, offset); });
    return read ? all : "failed";
}

} // namespace

TEST(VCardReader, ReadingInWindowsGivesTheCardsOfTheWholeText)
{
    // Lines and cards cut at every place a window can end: CR LF split, folded and soft-broken lines,
    // an END line continued, nested and cut-off cards, a byte-order mark at the start and inside.
    const std::string texts[] = {
        "\xEF\xBB\xBF" "BEGIN:VCARD\r\nFN:Ann\r\nEND:VCARD\r\n\xEF\xBB\xBF" "BEGIN:VCARD\r\nFN:Bea\r\nEND:VCARD\r\n"
        "BEGIN:VCARD\nFN:Cy\nEND:VCARD\n",
        "BEGIN:VCARD\rFN:Old\r  Mac\rEND:VCARD\rBEGIN:VCARD\rFN:Second\rEND:VCA\r RD\rFN:x\rEND:VCARD",
        "BEGIN:VCARD\r\nVERSION:2.1\r\nFN;ENCODING=QUOTED-PRINTABLE:Ann=  \r\na Lee=\r\nEND:VCARD\r\n"
        "PHOTO;ENCODING=BASE64:QUJD\r\nREVG\r\n\r\nEND:VCARD\r\nBEGIN:VCARD\r\nFN:Next\r\nEND:VCARD\r\n",
        "BEGIN:VCARD\r\nFN:Boss\r\nAGENT:\r\nBEGIN:VCARD\r\nFN:Aide\r\nAGENT:\r\nBEGIN:VCARD\r\nFN:Deputy\r\n"
        "END:VCARD\r\nBEGIN:VCARD\r\nFN:Later\r\nEND:VCARD\r\n",
        "junk\r\nBEGIN:VCARD\r\nFN:lost\r\nBEGIN:VCARD\r\nFN:Kept\r\nEND:VCARD\r\n \r\nBEGIN:VC\r\n ARD\r\nFN:Tail",
        "",
        "BEGIN:VCARD\r\nFN:Only\r\nEND:VCARD\r",
    };
    for (const std::string& text : texts)
    {
        std::string whole = WholeSignatures(text);
        ASSERT_FALSE(text.size() > 20 && whole.empty()) << text;
        for (size_t window = 16; window < 100; ++window)
            for (size_t piece : {1, 4096})
                EXPECT_EQ(whole, WindowSignatures(text, window, piece)) << "window " << window << ", piece " << piece
                                                                        << ": " << text.substr(0, 40);
    }
}

TEST(VCardReader, FoldedLinesAlsoInsideMultiByteCharacters)
{
    // "Zoë Ünal" with the fold between the two bytes of ë, LF line ends, a BOM and lower-case names.
    std::string text = "\xEF\xBB\xBF" "begin:vcard\nversion:4.0\nfn:Zo\xC3\n \xAB \xC3\x9Cnal\nend:vcard\n";
    EXPECT_EQ("Zo\xC3\xAB \xC3\x9Cnal", Contact(text).name);
    text = "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Long\r\n\t name\r\nEND:VCARD\r\n";
    EXPECT_EQ("Long name", Contact(text).name);
}

TEST(VCardReader, QuotedPrintableAndCharsets)
{
    std::string text = "BEGIN:VCARD\r\nVERSION:2.1\r\n"
                       "N;CHARSET=ISO-8859-1;ENCODING=QUOTED-PRINTABLE:M=FCller;J=FC=\r\nrgen\r\n"
                       "FN;CHARSET=UTF-8;QUOTED-PRINTABLE:J=C3=BCrgen=20=\r\nM=C3=BCller\r\n"
                       "ORG;CHARSET=WINDOWS-1252:Caf\xE9 \x80\r\n"
                       "END:VCARD\r\n";
    CContactRecord record = Contact(text);
    EXPECT_EQ("J\xC3\xBCrgen", record.firstName);
    EXPECT_EQ("M\xC3\xBCller", record.lastName);
    EXPECT_EQ("J\xC3\xBCrgen M\xC3\xBCller", record.name);
    // Undeclared bytes that are not UTF-8 are read as Windows-1252.
    EXPECT_EQ("Caf\xC3\xA9 \xE2\x82\xAC", ToUtf8("Caf\xE9 \x80", ""));
    EXPECT_TRUE(IsValidUtf8(ToUtf8("\xFF\xC3(", "UTF-8")));
}

TEST(VCardReader, TelephoneTypesInEachVersionsSyntax)
{
    std::string text = "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:x\r\n"
                       "TEL;VALUE=uri;TYPE=\"cell,voice\":tel:+1-555-0100\r\n"
                       "item1.TEL;type=HOME;type=FAX:+1-555-0101\r\n"
                       "TEL;TYPE=car:+1-555-0102\r\n"
                       "TEL;TYPE=x-assistant:+1-555-0103\r\n"
                       "TEL:+1-555-0104\r\n"
                       "END:VCARD\r\n";
    CContactRecord record = Contact(text);
    EXPECT_EQ("+1-555-0100", record.phones[PHONE_MOBILE]);
    EXPECT_EQ("+1-555-0101", record.phones[PHONE_HOME_FAX]);
    EXPECT_EQ("+1-555-0102", record.phones[PHONE_CAR]);
    EXPECT_EQ("+1-555-0103", record.phones[PHONE_ASSISTANT]);
    EXPECT_EQ("+1-555-0104", record.phones[PHONE_HOME]);
}

TEST(VCardReader, KeepsByteRangesOfCardsAndPropertiesForWriteBack)
{
    std::string first = "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Ann\r\nNOTE:long\r\n  note\r\nEND:VCARD\r\n";
    std::string text = "junk\r\n" + first + "BEGIN:VCARD\nFN:Bob\nEND:VCARD";
    std::vector<CVCard> cards = ReadAll(text);
    ASSERT_EQ(2u, cards.size());
    EXPECT_EQ(first, text.substr(cards[0].begin, cards[0].end - cards[0].begin));
    EXPECT_EQ(text.size(), cards[1].end);
    const CVCardProperty* note = cards[0].Find("NOTE");
    ASSERT_NE(nullptr, note);
    EXPECT_EQ("NOTE:long\r\n  note\r\n", text.substr(note->begin, note->end - note->begin));
    EXPECT_EQ("long note", note->value);

    const CVCardProperty& changed = *cards[0].Find("FN");
    std::string written = ReplaceRange(text, changed.begin, changed.end, FoldLine("FN:" + EscapeText("Ann, the first")));
    EXPECT_EQ("junk\r\nBEGIN:VCARD\r\nVERSION:3.0\r\nFN:Ann\\, the first\r\nNOTE:long\r\n  note\r\nEND:VCARD\r\n"
              "BEGIN:VCARD\nFN:Bob\nEND:VCARD",
              written);
}

TEST(VCardWriter, FoldsWithoutSplittingCharactersAndReadsBack)
{
    std::string value;
    for (int i = 0; i < 60; ++i)
        value += "\xE2\x82\xAC";
    std::string lines = FoldLine("item1.NOTE;TYPE=\"a:b\";CHARSET=UTF-8:" + value);
    size_t start = 0;
    for (size_t end; (end = lines.find("\r\n", start)) != std::string::npos; start = end + 2)
    {
        EXPECT_LE(end - start, 75u);
        EXPECT_NE(0x80, static_cast<unsigned char>(lines[start + (start ? 1 : 0)]) & 0xC0);
    }
    CVCardProperty back;
    ASSERT_TRUE(CVCardReader::ParseProperty(lines.data(), lines.size(), back));
    EXPECT_EQ("item1", back.group);
    EXPECT_EQ(value, back.value);
    EXPECT_EQ("a:b", *back.Param("TYPE"));
    EXPECT_EQ("UTF-8", *back.Param("CHARSET"));
}

TEST(VCardReader, SurvivesBrokenCards)
{
    // An unterminated card, a nested agent card, a line without colon, an unterminated quote.
    std::string text = "BEGIN:VCARD\r\nFN:lost\r\n"
                       "BEGIN:VCARD\r\nFN:Kept\r\nAGENT:\r\nBEGIN:VCARD\r\nFN:Agent\r\nEND:VCARD\r\n"
                       "no colon here\r\nTEL;TYPE=\"home:123\r\nEND:VCARD\r\n"
                       "BEGIN:VCARD\r\nFN;ENCODING=QUOTED-PRINTABLE:a=\r\nEND:VCARD\r\n"
                       "BEGIN:VCARD\r\nFN:Tail";
    std::vector<CVCard> cards = ReadAll(text);
    ASSERT_EQ(3u, cards.size());
    EXPECT_EQ("Kept", Contact(text.substr(cards[0].begin)).name);
    EXPECT_EQ("Tail", Contact(text.substr(cards[2].begin)).name);
    for (unsigned seed = 1; seed < 200; ++seed)
    {
        std::string noise = text;
        for (size_t i = 0; i < noise.size(); i += 1 + (seed * 7 + i) % 13)
            noise[i] = static_cast<char>(seed * 31 + i);
        for (const CVCard& card : ReadAll(noise))
        {
            CContactRecord record;
            ReadContact(card, record);
            EXPECT_LE(card.end, noise.size());
        }
    }
}

TEST(VCardReader, Utf16FilesAreConverted)
{
    std::string utf16 = "\xFF\xFE";
    for (char c : std::string("BEGIN:VCARD\r\nFN:Wide\r\nEND:VCARD\r\n"))
    {
        utf16 += c;
        utf16 += '\0';
    }
    std::string text;
    ASSERT_TRUE(ConvertUtf16File(utf16, text));
    EXPECT_EQ("Wide", Contact(text).name);
    EXPECT_FALSE(ConvertUtf16File("BEGIN:VCARD", text));
}

TEST(VCardReader, SoftBreaksFollowTheEncodingAsEveryReaderOfTheHeaderNamesIt)
{
    // However the encoding is written, the line after a soft break belongs to the value, and the
    // rewriting side reads the same parameter as the same encoding.
    const char* headers[] = {"FN;ENCODING=QUOTED-PRINTABLE", "FN;QUOTED-PRINTABLE", "fn;encoding=\"quoted-printable\"",
                             "FN;ENCODING = QUOTED-PRINTABLE", "FN;\"QUOTED-PRINTABLE\"",
                             "FN;ENCODING=QUOTED-PRINTABLE;ENCODING=8BIT"};
    for (const char* header : headers)
    {
        std::string property = std::string(header) + ":J=C3=BCrgen=20=\r\nM=C3=BCller\r\n";
        std::string text = "BEGIN:VCARD\r\nVERSION:2.1\r\n" + property + "END:VCARD\r\n";
        EXPECT_EQ("J\xC3\xBCrgen M\xC3\xBCller", Contact(text).name) << header;
        CRawLine raw;
        ASSERT_TRUE(raw.Read(property, 0, property.size())) << header;
        EXPECT_EQ("ENCODING", CRawLine::ParamName(raw.params[0])) << header;
    }
}

TEST(VCardReader, ACardReadIntoTheStorageOfTheOneBeforeKeepsNothingOfIt)
{
    std::string text = "BEGIN:VCARD\r\nVERSION:2.1\r\nitem1.TEL;CELL;CHARSET=UTF-8;X-A;X-B:\xE9\r\n"
                       "PHOTO;ENCODING=BASE64:AAAA\r\nEND:VCARD\r\n"
                       "BEGIN:VCARD\r\nTEL:555\r\nPHOTO:http://x\r\nEND:VCARD\r\n";
    std::vector<CVCard> cards = ReadAll(text);
    ASSERT_EQ(2u, cards.size());
    EXPECT_TRUE(cards[0].properties[1].undecodable);
    CVCard fresh;
    CVCardReader alone(text.data() + cards[1].begin, cards[1].end - cards[1].begin);
    ASSERT_TRUE(alone.Next(fresh));
    ASSERT_EQ(fresh.properties.size(), cards[1].properties.size());
    EXPECT_EQ("", cards[1].version);
    for (size_t i = 0; i < fresh.properties.size(); ++i)
    {
        const CVCardProperty &a = fresh.properties[i], &b = cards[1].properties[i];
        EXPECT_EQ(a.group + a.name + a.value, b.group + b.name + b.value);
        EXPECT_EQ(a.params.size(), b.params.size());
        EXPECT_EQ(a.undecodable, b.undecodable);
        EXPECT_EQ(a.IsBase64(), b.IsBase64());
    }
}
