// Peer-check helper, built natively: edits the given name of each card of an address book file, one card at a time,
// and writes each card before and after its edit (UTF-8) and the whole edited file, for other programs to read.
#include "platform/store/vcard/edit.h"
#include "platform/store/vcard/reader.h"

#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

namespace {

void WriteFile(const std::string& path, const std::string& bytes)
{
    std::ofstream(path.c_str(), std::ios::binary) << bytes;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 4)
    {
        std::cerr << "usage: card_edit <book.vcf> <given name (UTF-8)> <output prefix>\n";
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>()), text;
    vcard::CFileForm form;
    form.utf16 = vcard::ConvertUtf16File(bytes, text, &form.bom, &form.bigEndian);
    if (!form.utf16)
        text = bytes;
    std::vector<vcard::CVCard> cards;
    vcard::CVCardReader reader(text.data(), text.size());
    for (vcard::CVCard card; reader.Next(card);)
        cards.push_back(card);
    std::string prefix = argv[3];
    int written = 0;
    for (size_t i = 0; i < cards.size(); ++i)
    {
        std::string cardText = text.substr(cards[i].begin, cards[i].end - cards[i].begin), edited;
        vcard::CCardFields fields;
        vcard::ReadFields(cards[i], fields);
        fields.firstName = argv[2];
        std::vector<vcard::CCardEdit> edits;
        if (!vcard::EditCard(cardText, fields, edited, std::string(), &edits) || edited == cardText)
            continue;
        std::string name = prefix + std::to_string(i);
        WriteFile(name + ".before.vcf", cardText);
        WriteFile(name + ".after.vcf", edited);
        WriteFile(name + ".book.vcf", vcard::ApplyCardEdits(bytes, form, cards[i].begin, edits));
        ++written;
    }
    std::cout << written << "\n";
    return 0;
}
