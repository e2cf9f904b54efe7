// Reading one file of the address book into what the store keeps of its cards.
#pragma once

#include "platform/store/snapshot.h"

// Reads the file's cards into file.cards (and file.utf16); false when the file could not be read,
// and file then stays as it was.
bool ReadCards(CStoreFile& file);
