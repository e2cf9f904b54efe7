// What the store makes of one card: identity, names, dates, telephone numbers, e-mail, picture.
#pragma once

#include "platform/store/vcard/reader.h"

#include <cstddef>
#include <string>

namespace vcard {

// Telephone slots of a contact, in the order of the platform's property numbers 0x96 ... 0xA1.
enum PhoneSlot
{
    PHONE_MOBILE,
    PHONE_WORK,
    PHONE_WORK2,
    PHONE_HOME,
    PHONE_HOME2,
    PHONE_WORK_FAX,
    PHONE_HOME_FAX,
    PHONE_PAGER,
    PHONE_CAR,
    PHONE_RADIO,
    PHONE_COMPANY,
    PHONE_ASSISTANT,
    PHONE_SLOTS
};

const int EMAIL_SLOTS = 3;

// Every text is UTF-8; empty means absent.
struct CContactRecord
{
    std::string uid;
    std::string name; // FN, else "Given Family", else ORG, else the first e-mail address
    std::string firstName;
    std::string lastName;
    double birthday = 949998.0;
    double anniversary = 949998.0;
    std::string phones[PHONE_SLOTS];
    std::string emails[EMAIL_SLOTS];
    // The first inline picture: its property's byte range in the card's source.
    bool hasPhoto = false;
    size_t photoBegin = 0;
    size_t photoEnd = 0;
    // Where each field was read from (index into the card's properties, -1 for none), so that an
    // editor can change exactly that property. A date that could not be read points at the first
    // property of its kind.
    short nProperty = -1;
    short fnProperty = -1;
    short birthdayProperty = -1;
    short anniversaryProperty = -1;
    short phoneProperty[PHONE_SLOTS] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
    short emailProperty[EMAIL_SLOTS] = {-1, -1, -1};
};

// What of a card to read: every field, or what the list shows (uid, name, dates; the numbers,
// e-mail addresses and picture are left empty).
enum ContactFields
{
    ALL_FIELDS,
    LIST_FIELDS
};

void ReadContact(const CVCard& card, CContactRecord& record, ContactFields fields = ALL_FIELDS);

// The date text of a property a contact's date was read from: its value, or the date component of
// an Android event (X-ANDROID-CUSTOM:vnd.android.cursor.item/contact_event;DATE;1;...).
std::string EventDateText(const CVCardProperty& property);

// The picture bytes of a PHOTO property (inline base64 or a data: URI); false for anything else.
bool DecodePhoto(const CVCardProperty& property, std::string& bytes);

} // namespace vcard
