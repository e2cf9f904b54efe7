// Writing an edited contact back into its address book file: merge with the file's current state, replace atomically.
#pragma once

#include "platform/store/journal.h"
#include "platform/store/vcard/edit.h"

#include <windows.h>

#include <string>
#include <vector>

// One contact as an editor opened it: where its card is and what it held.
struct CCardSession
{
    LONG oid = 0;
    std::wstring path;
    size_t cardIndex = 0;      // position of the card in its file
    std::string uid;
    size_t uidOrdinal = 0;     // which of the file's cards with this UID it is (UIDs repeat after bad merges)
    size_t uidCount = 0;       // how many cards of the file had this UID
    size_t nameCount = 0;      // without UID: how many cards of the file without UID had its names
    std::string cardText;      // the card's bytes as read (UTF-8)
    vcard::CCardFields fields; // the card's fields as read
    std::string name;          // the name the contact list shows
    bool readOnly[vcard::FIELD_COUNT] = {}; // fields whose text did not decode
};

// Reads the contact's card afresh from its file. False when the contact is not in the store.
bool LoadCardSession(LONG oid, CCardSession& session);

struct CSaveResult
{
    HRESULT hr = S_OK;
    bool written = false;
    std::vector<int> conflicts; // fields another program changed too: its value was kept
    std::wstring error;         // why nothing was written, for the user
};

// Saves the edited fields into the card as it is in the file now. The file is replaced
// atomically and left as it was on any failure. On success the session holds the new state.
CSaveResult SaveCardSession(CCardSession& session, const vcard::CCardFields& edited);

// The whole file's bytes written through a new file in the same folder, then renamed over it;
// a link is followed, so the file it points to is replaced and the link stays. The new file
// keeps the old one's attributes and permissions. Its temporary name ends in .tmp, which no
// folder store reads. The write journal learns the new file's stamp before the rename. With
// expected, the file must still have that stamp right before the rename, else nothing is
// replaced and the result is ERROR_FILE_INVALID. A sharing error is retried for a moment.
DWORD ReplaceFileBytes(const std::wstring& path, const std::string& bytes, const CFileStamp* expected = nullptr);
