// libFuzzer target: the vCard reader, the contact mapping, dates, pictures and the writer on any bytes.
#include "platform/store/vcard/contact.h"
#include "platform/store/vcard/date.h"
#include "platform/store/vcard/reader.h"
#include "platform/store/vcard/writer.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string bytes(reinterpret_cast<const char*>(data), size);
    std::string converted;
    const std::string& text = vcard::ConvertUtf16File(bytes, converted) ? converted : bytes;
    vcard::CVCardReader reader(text.data(), text.size());
    vcard::CVCard card;
    while (reader.Next(card))
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
            // What the writer writes, the reader reads back to the same value.
            std::string lines = vcard::FormatProperty(property, card.version);
            vcard::CVCardProperty back;
            if (property.value.find_first_of("\r\n") == std::string::npos && !property.name.empty() &&
                property.name.find_first_of(";:. \t") == std::string::npos &&
                vcard::CVCardReader::ParseProperty(lines.data(), lines.size(), back) && back.value != property.value &&
                !property.IsBase64())
                abort();
        }
    }
    vcard::CVCardDate date;
    vcard::ParseVCardDate(bytes.substr(0, 64), date);
    return 0;
}
