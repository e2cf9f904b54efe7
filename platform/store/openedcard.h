// One contact's card as read from its address book file, for the card window and the editor, and finding it again.
#pragma once

#include "platform/store/vcard/edit.h"
#include "platform/store/vcard/reader.h"

#include <windows.h>

#include <string>
#include <vector>

// One contact's card as it was read: where it is in its file and what it held, so that a save
// finds it again and merges with what others changed since.
struct COpenedCard
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
bool OpenCard(LONG oid, COpenedCard& opened);

// An address book file as read, as UTF-8 text, and its cards; the cards' offsets refer to the text.
struct CBookFile
{
    std::string bytes;
    std::string text;
    vcard::CFileForm form;
    std::vector<vcard::CVCard> cards;
};

// Reads the whole file; a program that has it open without sharing for a moment is waited for.
bool ReadBookFile(const std::wstring& path, CBookFile& file, DWORD& error);
// Takes the bytes as the file's and reads its text and cards.
void DecodeBookFile(std::string bytes, CBookFile& file);

// What FindOpenedCard returns when the card is not found for sure.
const long CARD_GONE = -1;
const long CARD_AMBIGUOUS = -2;
const long CARD_UNSURE = -3; // without UID: gone or changed, and others have its names

// The index of the opened card among the file's current cards. A UID that was and is unique
// names it whatever changed; a repeated one only together with the bytes that were read. A card
// without UID is found by its bytes; changed by another program, by its names only while it was
// and is the one card without UID of that name (else an edit could land on another person).
long FindOpenedCard(const COpenedCard& opened, const CBookFile& file);

// Takes the file's card at index as the opened card: where it is, its bytes, its fields and names.
void TakeCard(COpenedCard& opened, const CBookFile& file, size_t index);
