// One contact's card as read from its address book file, for the card window and the editor, and finding it again.
#include "platform/store/openedcard.h"

#include "platform/store/addressbook.h"
#include "platform/store/booklock.h"
#include "platform/store/filebytes.h"
#include "platform/store/journal.h"
#include "platform/store/vcard/text.h"

#include <memory>

namespace {

// How often opening starts again when the file changes while it is read.
const int OPEN_ATTEMPTS = 3;

std::string CardText(const std::string& text, const vcard::CVCard& card)
{
    return text.substr(card.begin, card.end - card.begin);
}

std::string UidOf(const vcard::CVCard& card)
{
    const vcard::CVCardProperty* uid = card.Find("UID");
    return uid ? vcard::Trim(uid->value) : std::string();
}

// Of the candidates, the one at the opened card's place among them if its bytes are the ones read,
// else the only one with those bytes.
long ByBytes(const COpenedCard& opened, const std::string& text, const std::vector<vcard::CVCard>& cards,
             const std::vector<size_t>& candidates, size_t place)
{
    if (place < candidates.size() && CardText(text, cards[candidates[place]]) == opened.cardText)
        return static_cast<long>(candidates[place]);
    long found = CARD_GONE;
    for (size_t i : candidates)
        if (CardText(text, cards[i]) == opened.cardText)
        {
            if (found != CARD_GONE)
                return CARD_AMBIGUOUS;
            found = static_cast<long>(i);
        }
    return found;
}

std::vector<size_t> SameNames(const COpenedCard& opened, const std::vector<vcard::CVCard>& cards)
{
    std::vector<size_t> same;
    for (size_t i = 0; i < cards.size(); ++i)
        if (UidOf(cards[i]).empty())
        {
            vcard::CCardFields fields;
            vcard::ReadFields(cards[i], fields);
            if (fields.firstName == opened.fields.firstName && fields.lastName == opened.fields.lastName &&
                fields.displayName == opened.fields.displayName)
                same.push_back(i);
        }
    return same;
}

} // namespace

long FindOpenedCard(const COpenedCard& opened, const CBookFile& file)
{
    const std::string& text = file.text;
    const std::vector<vcard::CVCard>& cards = file.cards;
    if (!opened.uid.empty())
    {
        std::vector<size_t> same;
        for (size_t i = 0; i < cards.size(); ++i)
            if (UidOf(cards[i]) == opened.uid)
                same.push_back(i);
        if (same.empty())
            return CARD_GONE;
        if (same.size() == 1 && opened.uidCount == 1)
            return static_cast<long>(same[0]);
        long found = ByBytes(opened, text, cards, same, opened.uidOrdinal);
        return found == CARD_GONE ? CARD_AMBIGUOUS : found;
    }
    std::vector<size_t> all(cards.size());
    for (size_t i = 0; i < cards.size(); ++i)
        all[i] = i;
    long found = ByBytes(opened, text, cards, all, opened.cardIndex);
    if (found != CARD_GONE)
        return found;
    std::vector<size_t> same = SameNames(opened, cards);
    if (same.size() == 1 && opened.nameCount == 1)
        return static_cast<long>(same[0]);
    return same.empty() ? CARD_GONE : CARD_UNSURE;
}

void TakeCard(COpenedCard& opened, const CBookFile& file, size_t index)
{
    const std::string& text = file.text;
    const std::vector<vcard::CVCard>& cards = file.cards;
    opened.cardIndex = index;
    opened.uid = UidOf(cards[index]);
    opened.uidOrdinal = opened.uidCount = 0;
    for (size_t i = 0; i < cards.size() && !opened.uid.empty(); ++i)
        if (UidOf(cards[i]) == opened.uid)
        {
            opened.uidOrdinal += i < index ? 1 : 0;
            ++opened.uidCount;
        }
    opened.cardText = CardText(text, cards[index]);
    vcard::ReadFields(cards[index], opened.fields);
    opened.nameCount = opened.uid.empty() ? SameNames(opened, cards).size() : 0;
    vcard::ReadOnlyFields(cards[index], opened.readOnly);
    vcard::CContactRecord record;
    vcard::ReadContact(cards[index], record);
    opened.name = record.name;
}

bool ReadBookFile(const std::wstring& path, CBookFile& file, DWORD& error)
{
    std::string bytes;
    error = RetrySharing([&]() -> DWORD {
        DWORD failure = ERROR_SUCCESS;
        return ReadFileBytes(path, bytes, MAX_ADDRESS_BOOK_FILE, &failure) ? ERROR_SUCCESS : failure;
    });
    if (error != ERROR_SUCCESS)
        return false;
    DecodeBookFile(std::move(bytes), file);
    return true;
}

void DecodeBookFile(std::string bytes, CBookFile& file)
{
    file.bytes.swap(bytes);
    file.form = vcard::CFileForm();
    file.form.utf16 = vcard::ConvertUtf16File(file.bytes, file.text, &file.form.bom, &file.form.bigEndian);
    if (!file.form.utf16)
        file.text = file.bytes;
    file.cards.clear();
    vcard::CVCardReader reader(file.text.data(), file.text.size());
    vcard::CVCard card;
    while (reader.Next(card))
        file.cards.push_back(card);
}

bool OpenCard(LONG oid, COpenedCard& opened)
{
    // The store's card index holds only while the file is as the store read it; a file that
    // changed in between is read again by the store first. The lock is kept from that reading to
    // the next attempt: let go in between, another Festivo process that saves in a loop could
    // change the file before every attempt.
    std::unique_ptr<CBookLock> lock;
    std::wstring locked;
    for (int attempt = 0; attempt < OPEN_ATTEMPTS; ++attempt)
    {
        std::shared_ptr<const CSnapshot> snapshot = TheAddressBook().Current();
        long index = snapshot->Find(oid);
        if (index < 0)
            return false;
        CStoreEntry entry = snapshot->Entry(static_cast<size_t>(index));
        const CStoreFile& stored = snapshot->files[entry.file];
        // No Festivo process replaces the file while it is read.
        if (!lock || locked != stored.path)
        {
            lock.reset();
            lock.reset(new CBookLock(stored.path));
            locked = stored.path;
        }
        CFileStamp before, after;
        CBookFile file;
        DWORD error = 0;
        // Another process saved since the store last looked: the store reads the book again,
        // which no Festivo process changes while the lock is held.
        if (!ReadFileStamp(stored.path.c_str(), before) || before != stored.stamp)
        {
            TheAddressBook().Recheck();
            continue;
        }
        if (!ReadBookFile(stored.path, file, error))
            return false;
        if (!ReadFileStamp(stored.path.c_str(), after) || after != before)
            continue;
        if (entry.card >= file.cards.size())
            continue;
        std::string uid = UidOf(file.cards[entry.card]), known = snapshot->Record(index).uid;
        if (!uid.empty() && !known.empty() && uid != known)
            continue;
        opened = COpenedCard();
        opened.oid = oid;
        opened.path = stored.path;
        TakeCard(opened, file, entry.card);
        return true;
    }
    return false;
}
