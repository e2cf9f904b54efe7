// Resource identifiers of the contact store's own windows: the contact card and the contact editor.
#pragma once

#define IDD_CARD 100
#define IDD_EDIT_NAME 101
#define IDD_EDIT_PHONE 102
#define IDD_EDIT_MORE 103
#define IDD_EDIT_EMAIL 104

#define IDC_FIRST_NAME 1001
#define IDC_LAST_NAME 1002
#define IDC_DISPLAY_NAME 1003
#define IDC_BIRTHDAY 1004
#define IDC_BIRTHDAY_NO_YEAR 1005
#define IDC_ANNIVERSARY 1006
#define IDC_ANNIVERSARY_NO_YEAR 1007
// Telephone edits: IDC_PHONE + slot (0x96 ... 0xA1 order); e-mail edits: IDC_EMAIL + 0 ... 2.
#define IDC_PHONE 1100
#define IDC_EMAIL 1200

// Shown on a page with fields whose text did not decode (they are read-only).
#define IDC_READONLY_NOTE 1010

#define IDC_CARD_PICTURE 1300
#define IDC_CARD_NAME 1301
#define IDC_CARD_DETAILS 1302
#define IDC_CARD_EDIT 1303

// Field names, IDS_FIELD + field of the editor's field order.
#define IDS_FIELD 200
#define IDS_EDIT_CAPTION 250
#define IDS_STORE_CAPTION 251
#define IDS_CONFLICT 252
#define IDS_GONE 253
#define IDS_CARD_CAPTION 254
