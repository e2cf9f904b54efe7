// The address book the contact store reads: the user's choice of it, and what to say when it gives no events.
#pragma once

#include "core/str.h"

class CDataList;

enum BookState
{
    BOOK_HAS_EVENTS,    // the list has events to show
    BOOK_NOT_CHOSEN,    // no address book has been chosen yet
    BOOK_UNREADABLE,    // the chosen address book cannot be read
    BOOK_WITHOUT_DATES, // it was read, and holds no birthday (or anniversary shown)
};

// The chosen address book (a .vcf file or a folder); empty when none is chosen.
void ReadChosenBook(CStr& out);
// Chooses the address book the store reads from now on; an empty path chooses none. False when
// the choice could not be written.
bool WriteChosenBook(const wchar_t* path);

BookState GetBookState(const CDataList& list);
// The lasting text that stands in for an empty list: what is wrong, and what to do about it.
// howToChoose tells where the user chooses an address book in the program that shows the text.
void DescribeBookState(const CDataList& list, const wchar_t* howToChoose, CStr& out);
