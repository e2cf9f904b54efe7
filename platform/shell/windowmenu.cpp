// The menu bar as a desktop window's menu: the buttons become its entries, with the accelerator keys beside the items.
#include "platform/shell/internal.h"

#include <cwchar>

namespace {

const BYTE kStateEnabled = 0x04;
const int kMaxAccelerators = 256;
const int kKeyTextSize = 32;
const int kItemTextSize = 128;
const int kMaxDepth = 4;

struct KeyName
{
    WORD key;
    const wchar_t* name;
};

const KeyName kKeyNames[] = {
    { VK_RETURN, L"Enter" }, { VK_ESCAPE, L"Esc" },     { VK_SPACE, L"Space" }, { VK_TAB, L"Tab" },
    { VK_BACK, L"Backspace" }, { VK_DELETE, L"Del" },   { VK_INSERT, L"Ins" },  { VK_HOME, L"Home" },
    { VK_END, L"End" },      { VK_PRIOR, L"PgUp" },     { VK_NEXT, L"PgDn" },   { VK_LEFT, L"Left" },
    { VK_RIGHT, L"Right" },  { VK_UP, L"Up" },          { VK_DOWN, L"Down" },
};

// "Ctrl+F", "F3": the key of one accelerator as a desktop menu shows it; false for keys without a name.
bool KeyText(const ACCEL& accel, wchar_t* text)
{
    wchar_t key[kKeyTextSize] = L"";
    if (!(accel.fVirt & FVIRTKEY))
        return false;
    if (accel.key >= VK_F1 && accel.key <= VK_F24)
        swprintf(key, kKeyTextSize, L"F%d", accel.key - VK_F1 + 1);
    else if ((accel.key >= 'A' && accel.key <= 'Z') || (accel.key >= '0' && accel.key <= '9'))
        swprintf(key, kKeyTextSize, L"%c", static_cast<wchar_t>(accel.key));
    else
    {
        for (const KeyName& known : kKeyNames)
        {
            if (known.key == accel.key)
                wcscpy(key, known.name);
        }
    }
    if (!key[0])
        return false;
    swprintf(text, kKeyTextSize, L"%ls%ls%ls%ls", (accel.fVirt & FCONTROL) ? L"Ctrl+" : L"",
             (accel.fVirt & FALT) ? L"Alt+" : L"", (accel.fVirt & FSHIFT) ? L"Shift+" : L"", key);
    return true;
}

struct AcceleratorList
{
    ACCEL entries[kMaxAccelerators];
    int count;
};

BOOL CALLBACK CollectAccelerators(HMODULE module, LPCWSTR, LPWSTR name, LONG_PTR param)
{
    AcceleratorList* list = reinterpret_cast<AcceleratorList*>(param);
    HACCEL table = LoadAcceleratorsW(module, name);
    if (!table)
        return TRUE;
    int room = kMaxAccelerators - list->count;
    int copied = room > 0 ? CopyAcceleratorTableW(table, list->entries + list->count, room) : 0;
    list->count += copied;
    DestroyAcceleratorTable(table);
    return TRUE;
}

// Every item of the menu and its sub-menus with an accelerator gets the key after a tab.
void LabelItems(HMENU menu, const AcceleratorList& list, int depth)
{
    int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; i++)
    {
        wchar_t text[kItemTextSize] = L"";
        MENUITEMINFOW info = {};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_ID | MIIM_SUBMENU | MIIM_FTYPE | MIIM_STRING;
        info.dwTypeData = text;
        info.cch = kItemTextSize - kKeyTextSize - 2;
        if (!GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info))
            continue;
        if (info.hSubMenu)
        {
            if (depth < kMaxDepth)
                LabelItems(info.hSubMenu, list, depth + 1);
            continue;
        }
        if ((info.fType & MFT_SEPARATOR) || wcschr(text, L'\t'))
            continue;
        for (int a = 0; a < list.count; a++)
        {
            wchar_t key[kKeyTextSize];
            if (list.entries[a].cmd != info.wID || !KeyText(list.entries[a], key))
                continue;
            wcscat(text, L"\t");
            wcscat(text, key);
            MENUITEMINFOW change = {};
            change.cbSize = sizeof(change);
            change.fMask = MIIM_STRING;
            change.dwTypeData = text;
            SetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &change);
            break;
        }
    }
}

} // namespace

HMENU CreateWindowMenu(HMENU menu, const MenuBarButton* buttons, int count, HINSTANCE instance)
{
    HMENU windowMenu = CreateMenu();
    if (!windowMenu)
        return nullptr;
    for (int i = 0; i < count; i++)
    {
        const MenuBarButton& button = buttons[i];
        UINT grayed = (button.state & kStateEnabled) ? 0 : MF_GRAYED;
        HMENU drop = button.subMenu >= 0 && menu ? GetSubMenu(menu, button.subMenu) : nullptr;
        if (drop)
            AppendMenuW(windowMenu, MF_POPUP | MF_STRING | grayed, reinterpret_cast<UINT_PTR>(drop), button.text);
        else
            AppendMenuW(windowMenu, MF_STRING | grayed, button.command, button.text);
    }
    LabelAccelerators(windowMenu, instance);
    return windowMenu;
}

void LabelAccelerators(HMENU menu, HINSTANCE instance)
{
    if (!instance || !menu)
        return;
    AcceleratorList* list = new AcceleratorList();
    list->count = 0;
    EnumResourceNamesW(instance, RT_ACCELERATOR, CollectAccelerators, reinterpret_cast<LONG_PTR>(list));
    LabelItems(menu, *list, 0);
    delete list;
}

void DestroyWindowMenu(HMENU windowMenu)
{
    // The drop-downs belong to the resource menu, which destroys them itself.
    for (int i = GetMenuItemCount(windowMenu) - 1; i >= 0; i--)
    {
        if (GetSubMenu(windowMenu, i))
            RemoveMenu(windowMenu, static_cast<UINT>(i), MF_BYPOSITION);
    }
    DestroyMenu(windowMenu);
}
