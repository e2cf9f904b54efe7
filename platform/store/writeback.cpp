// Writing an edited contact back into its address book file: merge with the file's current state, replace atomically.
#include "platform/store/writeback.h"

#include "platform/store/addressbook.h"
#include "platform/store/booklock.h"
#include "platform/store/filebytes.h"
#include "platform/store/filemode.h"
#include "platform/store/journal.h"
#include "platform/store/longpath.h"
#include "platform/store/notifier.h"
#include "platform/store/vcard/reader.h"
#include "platform/store/vcard/writer.h"
#include "platform/store/vcard/text.h"

#include <objbase.h>

#include <algorithm>
#include <cstdio>

namespace {

// How often a save starts again when the file changes between reading and replacing it.
const int SAVE_ATTEMPTS = 3;

// The whole file; a program that has it open without sharing for a moment is waited for.
bool ReadWholeFile(const std::wstring& path, std::string& bytes, DWORD& error)
{
    error = RetrySharing([&]() -> DWORD {
        DWORD failure = ERROR_SUCCESS;
        return ReadFileBytes(path, bytes, MAX_ADDRESS_BOOK_FILE, &failure) ? ERROR_SUCCESS : failure;
    });
    return error == ERROR_SUCCESS;
}

// The file as read and as UTF-8 text; the card offsets of the reader refer to the text.
struct CFileText
{
    std::string bytes;
    std::string text;
    vcard::CFileForm form;
};

void DecodeFile(std::string bytes, CFileText& file)
{
    file.bytes.swap(bytes);
    file.form = vcard::CFileForm();
    file.form.utf16 = vcard::ConvertUtf16File(file.bytes, file.text, &file.form.bom, &file.form.bigEndian);
    if (!file.form.utf16)
        file.text = file.bytes;
}

std::vector<vcard::CVCard> ReadCards(const std::string& text)
{
    std::vector<vcard::CVCard> cards;
    vcard::CVCardReader reader(text.data(), text.size());
    vcard::CVCard card;
    while (reader.Next(card))
        cards.push_back(card);
    return cards;
}

std::string CardText(const std::string& text, const vcard::CVCard& card)
{
    return text.substr(card.begin, card.end - card.begin);
}

const long CARD_GONE = -1;
const long CARD_AMBIGUOUS = -2;
const long CARD_UNSURE = -3; // without UID: gone or changed, and others have its names

std::string UidOf(const vcard::CVCard& card)
{
    const vcard::CVCardProperty* uid = card.Find("UID");
    return uid ? vcard::Trim(uid->value) : std::string();
}

// Of the candidates, the one at the session's place among them if its bytes are the ones read,
// else the only one with those bytes.
long ByBytes(const CCardSession& session, const std::string& text, const std::vector<vcard::CVCard>& cards,
             const std::vector<size_t>& candidates, size_t place)
{
    if (place < candidates.size() && CardText(text, cards[candidates[place]]) == session.cardText)
        return static_cast<long>(candidates[place]);
    long found = CARD_GONE;
    for (size_t i : candidates)
        if (CardText(text, cards[i]) == session.cardText)
        {
            if (found != CARD_GONE)
                return CARD_AMBIGUOUS;
            found = static_cast<long>(i);
        }
    return found;
}

std::vector<size_t> SameNames(const CCardSession& session, const std::vector<vcard::CVCard>& cards)
{
    std::vector<size_t> same;
    for (size_t i = 0; i < cards.size(); ++i)
        if (UidOf(cards[i]).empty())
        {
            vcard::CCardFields fields;
            vcard::ReadFields(cards[i], fields);
            if (fields.firstName == session.fields.firstName && fields.lastName == session.fields.lastName &&
                fields.displayName == session.fields.displayName)
                same.push_back(i);
        }
    return same;
}

// The card of the session in the file's current cards. A UID that was and is unique names it
// whatever changed; a repeated one only together with the bytes that were read. A card without
// UID is found by its bytes; changed by another program, by its names only while it was and is
// the one card without UID of that name (else the edit could land on another person).
long FindCard(const CCardSession& session, const std::string& text, const std::vector<vcard::CVCard>& cards)
{
    if (!session.uid.empty())
    {
        std::vector<size_t> same;
        for (size_t i = 0; i < cards.size(); ++i)
            if (UidOf(cards[i]) == session.uid)
                same.push_back(i);
        if (same.empty())
            return CARD_GONE;
        if (same.size() == 1 && session.uidCount == 1)
            return static_cast<long>(same[0]);
        long found = ByBytes(session, text, cards, same, session.uidOrdinal);
        return found == CARD_GONE ? CARD_AMBIGUOUS : found;
    }
    std::vector<size_t> all(cards.size());
    for (size_t i = 0; i < cards.size(); ++i)
        all[i] = i;
    long found = ByBytes(session, text, cards, all, session.cardIndex);
    if (found != CARD_GONE)
        return found;
    std::vector<size_t> same = SameNames(session, cards);
    if (same.size() == 1 && session.nameCount == 1)
        return static_cast<long>(same[0]);
    return same.empty() ? CARD_GONE : CARD_UNSURE;
}

// Takes the card at index as the session's card: where it is, its bytes, its fields and names.
void TakeCard(CCardSession& session, const std::string& text, const std::vector<vcard::CVCard>& cards, size_t index)
{
    session.cardIndex = index;
    session.uid = UidOf(cards[index]);
    session.uidOrdinal = session.uidCount = 0;
    for (size_t i = 0; i < cards.size() && !session.uid.empty(); ++i)
        if (UidOf(cards[i]) == session.uid)
        {
            session.uidOrdinal += i < index ? 1 : 0;
            ++session.uidCount;
        }
    session.cardText = CardText(text, cards[index]);
    vcard::ReadFields(cards[index], session.fields);
    session.nameCount = session.uid.empty() ? SameNames(session, cards).size() : 0;
    vcard::ReadOnlyFields(cards[index], session.readOnly);
    vcard::CContactRecord record;
    vcard::ReadContact(cards[index], record);
    session.name = record.name;
}

// The rewritten card reads back as the merged fields say (names as the reader joins lists).
bool ReadsBack(const std::string& cardText, const vcard::CCardFields& wanted)
{
    std::vector<vcard::CVCard> cards = ReadCards(cardText);
    if (cards.size() != 1)
        return false;
    vcard::CCardFields got;
    vcard::ReadFields(cards[0], got);
    auto names = [](std::string text) {
        for (char& c : text)
            if (c == ',')
                c = ' ';
        return vcard::Trim(text);
    };
    if (names(got.firstName) != names(wanted.firstName) || names(got.lastName) != names(wanted.lastName))
        return false;
    if (!wanted.displayName.empty() && got.displayName != wanted.displayName)
        return false;
    if (vcard::FieldText(got, vcard::FIELD_BIRTHDAY) != vcard::FieldText(wanted, vcard::FIELD_BIRTHDAY) ||
        vcard::FieldText(got, vcard::FIELD_ANNIVERSARY) != vcard::FieldText(wanted, vcard::FIELD_ANNIVERSARY))
        return false;
    for (int i = 0; i < vcard::PHONE_SLOTS; ++i)
        if (!wanted.phones[i].empty() && got.phones[i] != wanted.phones[i])
            return false;
    for (int i = 0; i < vcard::EMAIL_SLOTS; ++i)
        if (!wanted.emails[i].empty() && got.emails[i] != wanted.emails[i])
            return false;
    return true;
}

std::wstring SystemMessage(DWORD error)
{
    wchar_t* buffer = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                   error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text = buffer ? buffer : L"";
    LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' '))
        text.pop_back();
    if (text.empty())
        text = L"Error " + std::to_wstring(error) + L".";
    return text;
}

CSaveResult Gone(const std::wstring& path)
{
    CSaveResult result;
    result.hr = HRESULT_FROM_WIN32(ERROR_NOT_FOUND);
    result.error = L"The contact could not be saved: another program has deleted it from\n" + path;
    return result;
}

// A new UID for a card that has none: sync tools and servers know a card by it.
std::string NewUid(const std::string& version)
{
    GUID guid = {};
    CoCreateGuid(&guid);
    char text[48];
    snprintf(text, sizeof(text), "%08lx-%04x-%04x-%02x%02x-%02x%02x%02x%02x%02x%02x", static_cast<unsigned long>(guid.Data1),
             guid.Data2, guid.Data3, guid.Data4[0], guid.Data4[1], guid.Data4[2], guid.Data4[3], guid.Data4[4],
             guid.Data4[5], guid.Data4[6], guid.Data4[7]);
    return version == "4.0" ? "urn:uuid:" + std::string(text) : std::string(text);
}

bool IsGoneError(DWORD error)
{
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// What ReplaceFileBytes returns when the file changed after it was read.
const DWORD FILE_CHANGED_MEANWHILE = ERROR_FILE_INVALID;

CSaveResult Failure(DWORD error, const std::wstring& path)
{
    CSaveResult result;
    result.hr = HRESULT_FROM_WIN32(error);
    result.error = L"The contact could not be saved to\n" + path + L"\n\n" + SystemMessage(error);
    return result;
}

} // namespace

bool LoadCardSession(LONG oid, CCardSession& session)
{
    // The store's card index holds only while the file is as the store read it; a file that
    // changed in between is read again by the store first.
    for (int attempt = 0; attempt < SAVE_ATTEMPTS; ++attempt)
    {
        std::shared_ptr<const CSnapshot> snapshot = TheAddressBook().Current();
        long index = snapshot->Find(oid);
        if (index < 0)
            return false;
        const CStoreEntry& entry = snapshot->entries[index];
        const CStoreFile& stored = snapshot->files[entry.file];
        // No Festivo process replaces the file while it is read.
        CBookLock lock(stored.path);
        CFileStamp before, after;
        std::string bytes;
        DWORD error = 0;
        // Another process saved since the store last looked: the store reads the book again,
        // which no Festivo process changes while the lock is held.
        if (!ReadFileStamp(stored.path.c_str(), before) || before != stored.stamp)
        {
            TheAddressBook().Recheck();
            continue;
        }
        if (!ReadWholeFile(stored.path, bytes, error))
            return false;
        if (!ReadFileStamp(stored.path.c_str(), after) || after != before)
            continue;
        CFileText file;
        DecodeFile(std::move(bytes), file);
        std::vector<vcard::CVCard> cards = ReadCards(file.text);
        if (entry.card >= cards.size())
            continue;
        std::string uid = UidOf(cards[entry.card]), known = snapshot->Record(index).uid;
        if (!uid.empty() && !known.empty() && uid != known)
            continue;
        session = CCardSession();
        session.oid = oid;
        session.path = stored.path;
        TakeCard(session, file.text, cards, entry.card);
        return true;
    }
    return false;
}

CSaveResult SaveCardSession(CCardSession& session, const vcard::CCardFields& edited)
{
    // Every Festivo process saving into this file waits here, so that none writes a file it
    // read before another one's save: from the read to the rename the file is this save's.
    CBookLock lock(session.path);
    if (!lock.Held())
        return Failure(ERROR_SHARING_VIOLATION, session.path);
    // A program that takes no lock can still replace the file meanwhile: the save then starts again.
    for (int attempt = 0; attempt < SAVE_ATTEMPTS; ++attempt)
    {
        CFileStamp before;
        std::string bytes;
        DWORD error = 0;
        if (!ReadFileStamp(session.path.c_str(), before) || !ReadWholeFile(session.path, bytes, error))
        {
            error = error ? error : GetLastError();
            // A card file deleted by another program (a sync tool removes a card so) is a deleted card.
            return IsGoneError(error) ? Gone(session.path) : Failure(error, session.path);
        }
        CFileText file;
        DecodeFile(std::move(bytes), file);
        std::vector<vcard::CVCard> cards = ReadCards(file.text);
        long found = FindCard(session, file.text, cards);
        if (found == CARD_GONE)
            return Gone(session.path);
        if (found == CARD_UNSURE)
        {
            CSaveResult result = Gone(session.path);
            result.error = L"The contact could not be saved: another program has deleted or changed it in\n" + session.path +
                           L"\nand it can no longer be told from another contact of the same name. Nothing was changed.";
            return result;
        }
        if (found == CARD_AMBIGUOUS)
        {
            CSaveResult result;
            result.hr = HRESULT_FROM_WIN32(ERROR_NOT_FOUND);
            result.error = L"The contact could not be saved: the address book\n" + session.path +
                           L"\nholds several contacts with the same identity, and another program has changed them "
                           L"since you opened this one, so it can no longer be told which is yours. Nothing was changed.";
            return result;
        }
        const vcard::CVCard& card = cards[found];
        std::string freshText = CardText(file.text, card);
        vcard::CCardFields fresh, merged;
        vcard::ReadFields(card, fresh);
        merged = fresh;
        CSaveResult result;
        // Text that did not decode is never written back: such a field keeps what the card holds.
        vcard::CCardFields asked = edited;
        bool readOnly[vcard::FIELD_COUNT];
        vcard::ReadOnlyFields(card, readOnly);
        vcard::CopyFields(readOnly, session.fields, asked);
        vcard::MergeFields(session.fields, asked, merged, result.conflicts);
        // Two edits merged can leave a first number or address empty and the second one set.
        vcard::PackSlots(merged);
        if (!vcard::SameFields(merged, fresh))
        {
            std::string newCard;
            std::vector<vcard::CCardEdit> edits;
            if (!vcard::EditCard(freshText, merged, newCard, NewUid(card.version), &edits) || !ReadsBack(newCard, merged))
                return Failure(ERROR_INVALID_DATA, session.path);
            std::string written = vcard::ApplyCardEdits(file.bytes, file.form, card.begin, edits);
            error = ReplaceFileBytes(session.path, written, &before);
            if (error == FILE_CHANGED_MEANWHILE)
                continue;
            if (error != ERROR_SUCCESS)
                return Failure(error, session.path);
            DecodeFile(std::move(written), file);
            cards = ReadCards(file.text);
            result.written = true;
        }
        if (static_cast<size_t>(found) < cards.size())
            TakeCard(session, file.text, cards, static_cast<size_t>(found));
        // Logged-on windows of this process hear of the change now rather than when the watch reports it.
        if (result.written)
            CNotifier::Instance().LookNow();
        return result;
    }
    return Failure(ERROR_SHARING_VIOLATION, session.path);
}

namespace {

// The name of the copy a save writes before renaming it over the file.
std::wstring CopyNameFor(const std::wstring& target)
{
    size_t slash = target.find_last_of(L"\\/");
    std::wstring folder = slash == std::wstring::npos ? L"." : target.substr(0, slash);
    std::wstring name = target.substr(slash == std::wstring::npos ? 0 : slash + 1);
    wchar_t file[32];
    swprintf(file, 32, L"vcf%016llx.tmp", static_cast<unsigned long long>(FoldedNameHash(name)));
    return folder + L"\\" + file;
}

} // namespace

DWORD ReplaceFileBytes(const std::wstring& path, const std::string& bytes, const CFileStamp* expected)
{
    // A link stays a link: the file it points to is replaced, through a copy in that file's folder.
    std::wstring target = ResolveLinks(path);
    DWORD attributes = GetFileAttributesW(LongPath(target).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return GetLastError();
    if (attributes & FILE_ATTRIBUTE_READONLY)
        return ERROR_ACCESS_DENIED;
    // The copy has one name per file, ending in .tmp so that no folder store reads it: a copy
    // left by a save that was killed is replaced by the next save rather than kept for ever.
    std::wstring temp = LongPath(CopyNameFor(target));
    DeleteFileW(temp.c_str());
    // Readable by the user alone until it is complete and has the book's own permissions.
    HANDLE h = CreatePrivateFile(temp);
    DWORD error = h == INVALID_HANDLE_VALUE ? GetLastError() : ERROR_SUCCESS;
    size_t done = 0;
    while (error == ERROR_SUCCESS && done < bytes.size())
    {
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 24)), wrote = 0;
        if (!WriteFile(h, bytes.data() + done, chunk, &wrote, nullptr) || wrote == 0)
            error = GetLastError() ? GetLastError() : ERROR_WRITE_FAULT;
        done += wrote;
    }
    if (error == ERROR_SUCCESS && !FlushFileBuffers(h))
        error = GetLastError();
    if (h != INVALID_HANDLE_VALUE)
        CloseHandle(h);
    if (error == ERROR_SUCCESS)
    {
        SetFileAttributesW(temp.c_str(), attributes & ~FILE_ATTRIBUTE_DIRECTORY);
        CopyPermissions(target, temp);
        CFileStamp stamp;
        ReadFileStamp(temp.c_str(), stamp);
        CWriteJournal::Record(path.c_str(), stamp);
        // The last look at the file comes right before the rename: a program that takes no lock
        // and replaces the file in between loses its change only within these few instructions.
        CFileStamp now;
        if (expected && (!ReadFileStamp(path.c_str(), now) || now != *expected))
            error = FILE_CHANGED_MEANWHILE;
        else
            error = RetrySharing([&]() -> DWORD {
                return MoveFileExW(temp.c_str(), LongPath(target).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
                           ? ERROR_SUCCESS
                           : GetLastError();
            });
    }
    if (error != ERROR_SUCCESS)
        DeleteFileW(temp.c_str());
    return error;
}
