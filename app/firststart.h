// CFirstStartDialog: asked once when no address book has been chosen: Browse..., the demo address book, or later.
#pragma once

#include "framework/dialog.h"

class CStr;

class CFirstStartDialog : public CVelaDialog
{
public:
    // 1 when an address book was chosen, 2 when the user will choose one later.
    int Run();
    void OnCreate() override;
    void OnCommand(UINT id, UINT code, HWND control) override;
    void OnCreateMenuBar(SHMENUBARINFO* info) override;
    INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void Choose(const wchar_t* path);
    void UseDemo();
};

// Whether the address book was never asked for: the store's choice has no value at all.
bool AddressBookNeverAsked();
// Asks for the address book when it never was; true when one was chosen (the list is to be read again).
bool AskForAddressBookOnce();
// Copies the demo address book of the program folder to the user's own folder (never over an
// existing copy) and gives its path; false, after saying why, when it cannot.
bool MakeDemoAddressBook(HWND owner, CStr& path);
