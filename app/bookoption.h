// The "Address book" part of the options page: the chosen .vcf file or folder, Browse..., and saving the choice.
#pragma once

#include <windows.h>

class CStr;

// Shows the chosen address book; heading is the page's bold heading font.
void InitBookOption(HWND page, HFONT heading);
// The path edit spans the page up to the Browse... button, which keeps to the right margin.
void LayOutBookOption(HWND page);
// Browse...: a .vcf file or a folder, chosen with the system's own dialogs. True when id was this part's.
bool OnBookOptionCommand(HWND page, UINT id);
// Checks the path in the edit and makes it the store's address book when it changed. False, after
// saying why and with nothing written, when it names nothing that exists.
bool SaveBookOption(HWND page, HWND owner);

// The system's dialogs: a .vcf file, or a folder; false when the user cancelled.
bool BrowseForBookFile(HWND owner, const wchar_t* start, CStr& out);
bool BrowseForBookFolder(HWND owner, CStr& out);
// Where the user picks one of the two kinds: a small menu under the Browse... button.
bool BrowseForBook(HWND owner, HWND button, const wchar_t* start, CStr& out);
