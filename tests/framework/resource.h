// Resource ids of the framework tests.
#pragma once

#define IDS_TITLE 1
#define IDS_MENU 3
#define IDS_ACTIONS 4
#define IDS_CANCEL 5
#define IDS_OK 103

#define IDM_MAIN 200
#define IDR_MENUBAR_MAIN 201
#define IDR_MENUBAR_OKCANCEL 202
#define IDA_KEYS 203
#define IDD_FULL 300
#define IDD_DOCKED 301
#define IDC_EDIT 1001
