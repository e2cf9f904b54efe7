// Writing an edited contact back into its address book file: merge with the file's current state, replace atomically.
#pragma once

#include "platform/store/journal.h"
#include "platform/store/openedcard.h"
#include "platform/store/vcard/edit.h"

#include <windows.h>

#include <string>
#include <vector>

struct CSaveResult
{
    HRESULT hr = S_OK;
    bool written = false;
    std::vector<int> conflicts; // fields another program changed too: its value was kept
    std::wstring error;         // why nothing was written, for the user
};

// Saves the edited fields into the card as it is in the file now. The file is replaced
// atomically and left as it was on any failure. On success opened holds the card's new state.
CSaveResult SaveOpenedCard(COpenedCard& opened, const vcard::CCardFields& edited);

// The whole file's bytes written through a new file in the same folder, then renamed over it;
// a link is followed, so the file it points to is replaced and the link stays. The new file
// keeps the old one's attributes and permissions. Its temporary name ends in .tmp, which no
// folder store reads. The write journal learns the new file's stamp before the rename. With
// expected, the file must still have that stamp right before the rename, else nothing is
// replaced and the result is ERROR_FILE_INVALID. A sharing error is retried for a moment.
DWORD ReplaceFileBytes(const std::wstring& path, const std::string& bytes, const CFileStamp* expected = nullptr);
