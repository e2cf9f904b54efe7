// CControlListBox: the event list control and its tap-and-hold menu of contact actions.
#include "app/listbox.h"

#include "app/resource.h"
#include "core/error.h"
#include "platform/shell/shell.h"

#include <commctrl.h>
#include <cwctype>

namespace {

const DWORD kListStyle = WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS |
                         LVS_OWNERDRAWFIXED | LVS_OWNERDATA | LVS_NOCOLUMNHEADER;
const DWORD kListExStyle = LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | 0x20000000;

} // namespace

void CControlListBox::Construct(HWND parent, HWND owner)
{
    RECT client;
    GetClientRect(parent, &client);
    HWND window = CreateWindowExW(0, WC_LISTVIEWW, L"", kListStyle, 0, 0, client.right, client.bottom, parent,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_EVENT_LIST)),
                                  GetModuleHandleW(nullptr), this);
    Assert(window != nullptr, ERR_ERROR, L"CControlListBox::Construct", __LINE__);
    Attach(window, owner, IDC_EVENT_LIST, kListExStyle, L"CControlListBox::RecreateColumns");
}

LRESULT CControlListBox::OnChar(WPARAM wParam, LPARAM lParam)
{
    wchar_t typed = static_cast<wchar_t>(wParam);
    if (typed < L' ' || typed == 0x7F || iswspace(typed))
        return CallPrevious(WM_CHAR, wParam, lParam);
    SendMessageW(GetOwner(), WM_LIST_TYPED, wParam, 0);
    return 0;
}

LRESULT CControlListBox::OnLButtonDown(WPARAM wParam, LPARAM lParam)
{
    SHRGINFO gesture = {};
    gesture.cbSize = sizeof(gesture);
    gesture.hwndClient = GetWindow();
    gesture.ptDown.x = static_cast<short>(LOWORD(lParam));
    gesture.ptDown.y = static_cast<short>(HIWORD(lParam));
    gesture.dwFlags = SHRG_RETURNCMD;
    if (SHRecognizeGesture(&gesture) != GN_CONTEXTMENU)
        return CallPrevious(WM_LBUTTONDOWN, wParam, lParam);

    // The actions work on the selected row, so the held row becomes the selected one first.
    LVHITTESTINFO hit = {};
    hit.pt = gesture.ptDown;
    int row = static_cast<int>(SendMessageW(GetWindow(), LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    if (row >= 0)
    {
        Select(row);
        InvalidateRect(GetWindow(), nullptr, FALSE);
    }

    HMENU menu = CreatePopupMenu();
    AppendMenuW(menu, MF_STRING, IDM_EDIT_CONTACT, L"Edit contact");
    AppendMenuW(menu, MF_STRING, IDM_CALL_CONTACT, L"Call contact");
    AppendMenuW(menu, MF_STRING, IDM_SEND_MESSAGE, L"Send message");
    POINT at = gesture.ptDown;
    ClientToScreen(GetWindow(), &at);
    int chosen = TrackPopupMenu(menu, TPM_BOTTOMALIGN | TPM_RETURNCMD | TPM_LEFTALIGN, at.x, at.y, 0, GetWindow(),
                                nullptr);
    DestroyMenu(menu);
    if (chosen)
        PostMessageW(GetOwner(), WM_COMMAND, chosen, 0);
    return 0;
}
