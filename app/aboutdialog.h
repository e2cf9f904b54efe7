// CAboutDialog: the product title, its version and icon, closed with Ok.
#pragma once

#include "framework/dialog.h"

class CAboutDialog : public CVelaDialog
{
public:
    void Run();
    void OnCommand(UINT id, UINT code, HWND control) override;
};
