// CMainActionUi: "... is missing!" in the self-hiding information window; picks in the popup list.
#include "app/mainactions.h"

#include "app/popupdialog.h"
#include "framework/app.h"

void CMainActionUi::ShowMissing(const wchar_t* text)
{
    GetApp()->ShowInfo(text, 3000, 0x02);
}

bool CMainActionUi::Pick(const wchar_t* title, CStrList& items, int& index)
{
    index = 0;
    return CPopupDialog::Run(&index, title, &items);
}
