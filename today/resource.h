// Resource ids of the Today plug-in.
#pragma once

#define IDD_PICKLIST 104
#define IDC_PICKLIST 103
#define IDR_PICKMENUBAR 105
#define IDS_OK 102
#define IDS_CANCEL 103

#define IDD_TODAYOPTIONS 500
#define IDC_OPTIONSTITLE 109
#define IDC_MAXLINES 110
#define IDC_MAXMONTHS 111

#define IDM_OPENFESTIVO 101
#define IDM_OPENCONTACT 102
#define IDM_SENDMESSAGE 103
#define IDM_DIAL 104
// Soft keys of the reminder notification.
#define IDM_REMINDEROPEN 106
#define IDM_REMINDERDISMISS 107
