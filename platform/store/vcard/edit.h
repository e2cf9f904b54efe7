// Editing a card: the fields a contact editor changes, merging two edits, and rewriting only what changed.
#pragma once

#include "platform/store/vcard/contact.h"
#include "platform/store/vcard/date.h"

#include <string>
#include <vector>

namespace vcard {

// What a contact editor shows and changes. Texts are UTF-8 on one line; a date with year 0 is
// no date, one with YEAR_UNKNOWN has no year.
struct CCardFields
{
    std::string firstName;
    std::string lastName;
    std::string displayName; // FN as written; empty when the card has none
    CVCardDate birthday;
    CVCardDate anniversary;
    std::string phones[PHONE_SLOTS];
    std::string emails[EMAIL_SLOTS];
};

// Fields in a fixed order, for comparing and merging one at a time.
enum CardField
{
    FIELD_FIRST_NAME,
    FIELD_LAST_NAME,
    FIELD_DISPLAY_NAME,
    FIELD_BIRTHDAY,
    FIELD_ANNIVERSARY,
    FIELD_PHONE,
    FIELD_EMAIL = FIELD_PHONE + PHONE_SLOTS,
    FIELD_COUNT = FIELD_EMAIL + EMAIL_SLOTS
};

// A field as comparable text (dates as YYYY-MM-DD, empty for none).
std::string FieldText(const CCardFields& fields, int field);
bool SameFields(const CCardFields& a, const CCardFields& b);

void ReadFields(const CVCard& card, CCardFields& fields);

// The fields whose property's text did not decode or holds a NUL: an editor shows them but
// cannot change them, and EditCard leaves them as written.
void ReadOnlyFields(const CVCard& card, bool readOnly[FIELD_COUNT]);
// Copies each field marked in which from one set of fields to another.
void CopyFields(const bool which[FIELD_COUNT], const CCardFields& from, CCardFields& to);

// Trims every text, keeps it on one line, and moves a second number of a kind or a later e-mail
// address into an empty first slot, so that the card reads back as the editor shows it.
void NormalizeFields(CCardFields& fields);
// Only the moving of second numbers and later addresses into empty first slots.
void PackSlots(CCardFields& fields);
// Undoes that moving against original: where fields holds only original's numbers of a kind (or
// addresses), in order, with some emptied, each value goes back to its own slot and only the
// emptied ones are empty, so that each value left keeps its own property and its own merge.
void UnpackSlots(const CCardFields& original, CCardFields& fields);

// Applies the fields the user changed (edited against original) to fresh, the card's current
// state. A field that the user and someone else both changed, differently, is a conflict: its
// index goes into conflicts and fresh keeps the other change.
void MergeFields(const CCardFields& original, const CCardFields& edited, CCardFields& fresh,
                 std::vector<int>& conflicts);

// One replaced range of a card's text: [begin, end) becomes text.
struct CCardEdit
{
    size_t begin;
    size_t end;
    std::string text;
};

// Rewrites one card (cardText holds exactly the card, BEGIN to END line) so that it reads back as
// wanted. Only properties of fields that differ are replaced, removed or added; every other
// byte stays as it was, and so do the unchanged components of a name. Read-only fields keep
// their value. A card without UID gets newUid, when given. edits, when given, receives the
// replaced ranges in order (result is cardText with them applied). False when cardText is not
// one readable card.
bool EditCard(const std::string& cardText, const CCardFields& wanted, std::string& result,
              const std::string& newUid = std::string(), std::vector<CCardEdit>* edits = nullptr);

// How a file's bytes stand for the text the reader reads.
struct CFileForm
{
    bool utf16 = false;
    bool bom = false;
    bool bigEndian = false;
};

// The file's bytes with the edits of the card that starts at cardBegin of its text made: each
// replaced range in the file's own encoding, every other byte as read (in a UTF-16 file too,
// whatever its units hold).
std::string ApplyCardEdits(const std::string& bytes, const CFileForm& form, size_t cardBegin,
                           const std::vector<CCardEdit>& edits);

// The date as the card's version writes it; style follows the value it replaces (empty: none).
std::string FormatCardDate(const CVCardDate& date, const std::string& version, const std::string& replaced);

} // namespace vcard
