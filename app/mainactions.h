// The main program's side of the contact actions: the information window and the popup list.
#pragma once

#include "common/contactactions.h"

class CMainActionUi : public CActionUi
{
public:
    void ShowMissing(const wchar_t* text) override;
    bool Pick(const wchar_t* title, CStrList& items, int& index) override;
};
