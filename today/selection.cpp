// Selection of lines by keys and taps, the popup menu and its actions on the selected line.
#include "today/todayitem.h"

#include "common/contactactions.h"
#include "data/datalist.h"
#include "platform/phone/phone.h"
#include "platform/shell/shell.h"
#include "platform/store/contactstore.h"
#include "today/resource.h"

namespace {

// The plug-in talks to the user with plain message boxes and its own popup list dialog.
class CItemActionUi : public CActionUi
{
public:
    explicit CItemActionUi(CTodayItem& item) : m_item(item) {}

    void ShowMissing(const wchar_t* text) override
    {
        MessageBoxW(nullptr, text, L"Festivo", MB_OK);
    }

    bool Pick(const wchar_t* title, CStrList& items, int& index) override
    {
        index = 0;
        return PickFromList(m_item.instance, m_item.window, &m_item.openPopup, &index, title, &items) != FALSE;
    }

private:
    CTodayItem& m_item;
};

} // namespace

BOOL CTodayItem::OnReceivedSelection(int key)
{
    // A line kept from the item's previous window stays selected while it is still shown.
    uint32_t shown = events ? events->GetShownCount() : 0;
    if (selectedLine == -1)
        selectedLine = 0;
    else if (static_cast<uint32_t>(selectedLine) > shown)
        selectedLine = static_cast<int>(shown);
    return key == VK_UP || key == VK_DOWN;
}

void CTodayItem::OnLostSelection()
{
    selectedLine = -1;
}

BOOL CTodayItem::OnUserNavigation(int key)
{
    int previous = selectedLine;
    if (key == VK_UP)
        selectedLine--;
    else if (key == VK_DOWN)
        selectedLine++;
    if (selectedLine < 0)
        return FALSE;
    uint32_t shown = events ? events->GetShownCount() : 0;
    if (static_cast<uint32_t>(selectedLine) > shown)
        return FALSE;
    if (selectedLine != previous)
        Repaint();
    return TRUE;
}

void CTodayItem::Repaint()
{
    InvalidateRect(window, nullptr, FALSE);
    UpdateWindow(window);
}

void CTodayItem::SelectTapped(int y)
{
    int previous = selectedLine;
    selectedLine = lineHeight > 0 ? y / lineHeight : 0;
    if (selectedLine != previous)
    {
        if (previous == -1)
            PostMessageW(GetParent(window), TODAYM_TOOKSELECTION, reinterpret_cast<WPARAM>(window), 0);
        else
            Repaint();
    }
}

void CTodayItem::OnContextTap(int x, int y)
{
    SelectTapped(y);
    POINT point = {x, y};
    ClientToScreen(window, &point);
    ShowPopupMenu(point);
}

void CTodayItem::OnDoubleTap(int y)
{
    SelectTapped(y);
    PostMessageW(window, WM_COMMAND, static_cast<WPARAM>(MainCommand()), 0);
}

int CTodayItem::MainCommand() const
{
    return selectedLine == 0 ? IDM_OPENFESTIVO : IDM_OPENCONTACT;
}

void CTodayItem::OnTap(int x, int y)
{
    SelectTapped(y);
    SHRGINFO gesture = {sizeof(SHRGINFO), window, {x, y}, SHRG_RETURNCMD};
    if (SHRecognizeGesture(&gesture) == GN_CONTEXTMENU)
    {
        POINT point = {x, y};
        ClientToScreen(window, &point);
        ShowPopupMenu(point);
    }
}

void CTodayItem::OnAction(int key)
{
    if (key != VK_RETURN || selectedLine < 0)
        return;
    RECT client;
    GetClientRect(window, &client);
    POINT point = {(client.right - client.left) / 2, client.top + lineHeight * selectedLine + lineHeight / 2};
    ClientToScreen(window, &point);
    // Opened from the keyboard, the menu starts on its main action: a second Enter carries it out.
    PostMessageW(window, WM_KEYDOWN, VK_DOWN, 1);
    ShowPopupMenu(point);
}

void CTodayItem::ShowPopupMenu(POINT screen)
{
    HMENU menu = CreatePopupMenu();
    if (!menu)
        return;
    if (selectedLine == 0)
    {
        AppendMenuW(menu, MF_STRING, IDM_OPENFESTIVO, L"Open Festivo");
    }
    else
    {
        AppendMenuW(menu, MF_STRING, IDM_OPENCONTACT, L"Open contact");
        AppendMenuW(menu, MF_STRING, IDM_SENDMESSAGE, L"Send message");
        AppendMenuW(menu, MF_STRING, IDM_DIAL, L"Dial");
    }
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING, IDCANCEL, L"Cancel");
    SetMenuDefaultItem(menu, static_cast<UINT>(MainCommand()), FALSE);
    int chosen = TrackPopupMenu(menu, TPM_RETURNCMD, screen.x, screen.y, 0, window, nullptr);
    DestroyMenu(menu);
    if (chosen > 0 && chosen != IDCANCEL)
        PostMessageW(window, WM_COMMAND, static_cast<WPARAM>(chosen), 0);
}

const CDataItem* CTodayItem::SelectedEvent() const
{
    if (!events || selectedLine < 1 || static_cast<uint32_t>(selectedLine) > events->GetShownCount())
        return nullptr;
    return events->GetItem(static_cast<uint32_t>(selectedLine - 1));
}

void CTodayItem::OnCommand(int id, int, LPARAM)
{
    if (OnReminderCommand(id))
        return;
    if (id == IDM_OPENFESTIVO)
    {
        StartMainProgram();
        return;
    }
    const CDataItem* event = SelectedEvent();
    if (!event)
        return;
    // The action may reload the events (a store notification inside its dialogs): keep what it needs.
    LONG oid = event->oid;
    CStr name(event->GetName());
    CItemActionUi ui(*this);
    switch (id)
    {
    case IDM_OPENCONTACT:
        OpenContact();
        break;
    case IDM_SENDMESSAGE:
        SendGreeting(events->GetStore(), oid, events->GetSettings(), ui);
        break;
    case IDM_DIAL:
        CallContact(events->GetStore(), oid, name, ui);
        break;
    default:
        break;
    }
}

void CTodayItem::StartMainProgram()
{
    CStr path;
    MakeAppPath(L"festivo.exe", path);
    SHELLEXECUTEINFOW request = {};
    request.cbSize = sizeof(request);
    // The system's own error box would block the Today screen's thread: the plug-in says it itself.
    request.fMask = SEE_MASK_FLAG_NO_UI;
    request.lpFile = path;
    request.nShow = SW_SHOWNORMAL;
    if (ShellExecuteRequest(&request))
        return;
    CStr text(L"Festivo could not be started from ");
    text.Append(path);
    MessageBoxW(nullptr, text, L"Festivo", MB_OK);
}

void CTodayItem::OpenContact()
{
    const CDataItem* event = SelectedEvent();
    IPOutlookApp2* store = events->GetStore();
    if (!event || !store)
        return;
    IItem* contact = nullptr;
    if (SUCCEEDED(store->GetItemFromOidEx(event->oid, 0, &contact)) && contact)
    {
        contact->Display(nullptr);
        contact->Release();
    }
}
