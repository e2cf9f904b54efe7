// Writing an edited contact back into its address book file: merge with the file's current state, replace atomically.
#include "platform/store/writeback.h"

#include "platform/store/addressbook.h"
#include "platform/store/booklock.h"
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

// The rewritten card reads back as the merged fields say (names as the reader joins lists).
bool ReadsBack(const std::string& cardText, const vcard::CCardFields& wanted)
{
    vcard::CVCardReader reader(cardText.data(), cardText.size());
    vcard::CVCard card, another;
    if (!reader.Next(card) || reader.Next(another))
        return false;
    vcard::CCardFields got;
    vcard::ReadFields(card, got);
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

CSaveResult SaveOpenedCard(COpenedCard& opened, const vcard::CCardFields& edited)
{
    // Every Festivo process saving into this file waits here, so that none writes a file it
    // read before another one's save: from the read to the rename the file is this save's.
    CBookLock lock(opened.path);
    if (!lock.Held())
        return Failure(ERROR_SHARING_VIOLATION, opened.path);
    // A program that takes no lock can still replace the file meanwhile: the save then starts again.
    for (int attempt = 0; attempt < SAVE_ATTEMPTS; ++attempt)
    {
        CFileStamp before;
        CBookFile file;
        DWORD error = 0;
        if (!ReadFileStamp(opened.path.c_str(), before) || !ReadBookFile(opened.path, file, error))
        {
            error = error ? error : GetLastError();
            // A card file deleted by another program (a sync tool removes a card so) is a deleted card.
            return IsGoneError(error) ? Gone(opened.path) : Failure(error, opened.path);
        }
        long found = FindOpenedCard(opened, file);
        if (found == CARD_GONE)
            return Gone(opened.path);
        if (found == CARD_UNSURE)
        {
            CSaveResult result = Gone(opened.path);
            result.error = L"The contact could not be saved: another program has deleted or changed it in\n" + opened.path +
                           L"\nand it can no longer be told from another contact of the same name. Nothing was changed.";
            return result;
        }
        if (found == CARD_AMBIGUOUS)
        {
            CSaveResult result;
            result.hr = HRESULT_FROM_WIN32(ERROR_NOT_FOUND);
            result.error = L"The contact could not be saved: the address book\n" + opened.path +
                           L"\nholds several contacts with the same identity, and another program has changed them "
                           L"since you opened this one, so it can no longer be told which is yours. Nothing was changed.";
            return result;
        }
        const vcard::CVCard& card = file.cards[found];
        std::string freshText = file.text.substr(card.begin, card.end - card.begin);
        vcard::CCardFields fresh, merged;
        vcard::ReadFields(card, fresh);
        merged = fresh;
        CSaveResult result;
        // Text that did not decode is never written back: such a field keeps what the card holds.
        vcard::CCardFields asked = edited;
        bool readOnly[vcard::FIELD_COUNT];
        vcard::ReadOnlyFields(card, readOnly);
        vcard::CopyFields(readOnly, opened.fields, asked);
        // An emptied first address is merged as that one emptied, not as the second one moved up.
        vcard::UnpackSlots(opened.fields, asked);
        vcard::MergeFields(opened.fields, asked, merged, result.conflicts);
        // Two edits merged can leave a first number or address empty and the second one set.
        vcard::PackSlots(merged);
        if (!vcard::SameFields(merged, fresh))
        {
            std::string newCard;
            std::vector<vcard::CCardEdit> edits;
            if (!vcard::EditCard(freshText, merged, newCard, NewUid(card.version), &edits) || !ReadsBack(newCard, merged))
                return Failure(ERROR_INVALID_DATA, opened.path);
            std::string written = vcard::ApplyCardEdits(file.bytes, file.form, card.begin, edits);
            error = ReplaceFileBytes(opened.path, written, &before);
            if (error == FILE_CHANGED_MEANWHILE)
                continue;
            if (error != ERROR_SUCCESS)
                return Failure(error, opened.path);
            DecodeBookFile(std::move(written), file);
            result.written = true;
        }
        if (static_cast<size_t>(found) < file.cards.size())
            TakeCard(opened, file, static_cast<size_t>(found));
        // Logged-on windows of this process hear of the change now rather than when the watch reports it.
        if (result.written)
            CNotifier::Instance().LookNow();
        return result;
    }
    return Failure(ERROR_SHARING_VIOLATION, opened.path);
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
