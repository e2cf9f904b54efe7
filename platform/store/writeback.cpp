// Writing an edited contact back into its address book file: merge with the file's current state, replace atomically.
#include "platform/store/writeback.h"

#include "platform/store/addressbook.h"
#include "platform/store/filemode.h"
#include "platform/store/journal.h"
#include "platform/store/longpath.h"
#include "platform/store/notifier.h"
#include "platform/store/vcard/reader.h"
#include "platform/store/vcard/writer.h"
#include "platform/store/vcard/text.h"

#include <algorithm>

namespace {

// How often a save starts again when the file changes between reading and replacing it.
const int SAVE_ATTEMPTS = 3;

bool ReadWholeFile(const std::wstring& path, std::string& bytes, DWORD& error)
{
    HANDLE h = CreateFileW(LongPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
    {
        error = GetLastError();
        return false;
    }
    LARGE_INTEGER size;
    bool ok = GetFileSizeEx(h, &size) && static_cast<ULONGLONG>(size.QuadPart) <= MAX_ADDRESS_BOOK_FILE;
    error = ok ? ERROR_SUCCESS : ERROR_FILE_TOO_LARGE;
    if (ok)
    {
        bytes.resize(static_cast<size_t>(size.QuadPart));
        size_t done = 0;
        while (ok && done < bytes.size())
        {
            DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 24)), got = 0;
            ok = ReadFile(h, &bytes[done], chunk, &got, nullptr) && got > 0;
            done += got;
        }
        if (!ok)
            error = GetLastError() ? GetLastError() : ERROR_READ_FAULT;
        bytes.resize(done);
    }
    CloseHandle(h);
    return ok;
}

// The file as UTF-8 text; utf16 tells whether it has to go back to UTF-16 when written.
struct CFileText
{
    std::string text;
    bool utf16 = false;
    bool bigEndian = false;
};

void DecodeFile(const std::string& bytes, CFileText& file)
{
    file.utf16 = vcard::ConvertUtf16File(bytes, file.text);
    file.bigEndian = file.utf16 && static_cast<unsigned char>(bytes[0]) == 0xFE;
    if (!file.utf16)
        file.text = bytes;
}

std::string EncodeFile(const CFileText& file)
{
    if (!file.utf16)
        return file.text;
    int n = MultiByteToWideChar(CP_UTF8, 0, file.text.data(), static_cast<int>(file.text.size()), nullptr, 0);
    std::wstring wide(n > 0 ? n : 0, L'\0');
    if (n > 0)
        MultiByteToWideChar(CP_UTF8, 0, file.text.data(), static_cast<int>(file.text.size()), &wide[0], n);
    std::string bytes = file.bigEndian ? std::string("\xFE\xFF") : std::string("\xFF\xFE");
    for (wchar_t c : wide)
    {
        char lo = static_cast<char>(c & 0xFF), hi = static_cast<char>((c >> 8) & 0xFF);
        bytes += file.bigEndian ? hi : lo;
        bytes += file.bigEndian ? lo : hi;
    }
    return bytes;
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

// The card of the session in the file's current cards. A UID that was and is unique names it
// whatever changed; a repeated one only together with the bytes that were read. A card without
// UID is found by its bytes, else at its place if it still has the same names.
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
    if (found != CARD_GONE || session.cardIndex >= cards.size())
        return found;
    vcard::CCardFields fields;
    vcard::ReadFields(cards[session.cardIndex], fields);
    if (fields.firstName == session.fields.firstName && fields.lastName == session.fields.lastName &&
        fields.displayName == session.fields.displayName)
        return static_cast<long>(session.cardIndex);
    return CARD_GONE;
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
        CFileStamp before, after;
        std::string bytes;
        DWORD error = 0;
        if (!ReadFileStamp(stored.path.c_str(), before) || before != stored.stamp)
            continue;
        if (!ReadWholeFile(stored.path, bytes, error))
            return false;
        if (!ReadFileStamp(stored.path.c_str(), after) || after != before)
            continue;
        CFileText file;
        DecodeFile(bytes, file);
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
    for (int attempt = 0; attempt < SAVE_ATTEMPTS; ++attempt)
    {
        CFileStamp before;
        std::string bytes;
        DWORD error = 0;
        if (!ReadFileStamp(session.path.c_str(), before) || !ReadWholeFile(session.path, bytes, error))
            return Failure(error ? error : GetLastError(), session.path);
        CFileText file;
        DecodeFile(bytes, file);
        std::vector<vcard::CVCard> cards = ReadCards(file.text);
        long found = FindCard(session, file.text, cards);
        if (found == CARD_GONE)
        {
            CSaveResult result;
            result.hr = HRESULT_FROM_WIN32(ERROR_NOT_FOUND);
            result.error = L"The contact could not be saved: another program has deleted it from\n" + session.path;
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
        std::string newCard = freshText;
        if (!vcard::SameFields(merged, fresh))
        {
            if (!vcard::EditCard(freshText, merged, newCard) || !ReadsBack(newCard, merged))
                return Failure(ERROR_INVALID_DATA, session.path);
            file.text = vcard::ReplaceRange(file.text, card.begin, card.end, newCard);
            CFileStamp now;
            ReadFileStamp(session.path.c_str(), now);
            if (now != before)
                continue;
            error = ReplaceFileBytes(session.path, EncodeFile(file));
            if (error != ERROR_SUCCESS)
                return Failure(error, session.path);
            result.written = true;
        }
        std::vector<vcard::CVCard> again = ReadCards(file.text);
        if (static_cast<size_t>(found) < again.size())
            TakeCard(session, file.text, again, static_cast<size_t>(found));
        // Logged-on windows of this process hear of the change now rather than at the next poll.
        if (result.written)
            CNotifier::Instance().Poll();
        return result;
    }
    return Failure(ERROR_SHARING_VIOLATION, session.path);
}

DWORD ReplaceFileBytes(const std::wstring& path, const std::string& bytes)
{
    // A link stays a link: the file it points to is replaced, through a copy in that file's folder.
    std::wstring target = ResolveLinks(path);
    DWORD attributes = GetFileAttributesW(LongPath(target).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return GetLastError();
    if (attributes & FILE_ATTRIBUTE_READONLY)
        return ERROR_ACCESS_DENIED;
    size_t slash = target.find_last_of(L"\\/");
    std::wstring folder = slash == std::wstring::npos ? L"." : target.substr(0, slash);
    // The name of the copy ends in .tmp, so that a folder store never takes it for an address book.
    wchar_t temp[MAX_PATH];
    if (!GetTempFileNameW(folder.c_str(), L"vcf", 0, temp))
        return GetLastError();
    HANDLE h = CreateFileW(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
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
        SetFileAttributesW(temp, attributes & ~FILE_ATTRIBUTE_DIRECTORY);
        CopyPermissions(target, temp);
        CFileStamp stamp;
        ReadFileStamp(temp, stamp);
        CWriteJournal::Record(path.c_str(), stamp);
        if (!MoveFileExW(temp, target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            error = GetLastError();
    }
    if (error != ERROR_SUCCESS)
        DeleteFileW(temp);
    return error;
}
