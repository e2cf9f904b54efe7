// Menu helpers: counting items, reading an item's command and replacing an item in place.
#include "framework/menu.h"

namespace {

const int kMaxItems = 256;

bool ItemAt(HMENU menu, int position, UINT* id)
{
    MENUITEMINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_ID;
    if (!GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info))
        return false;
    *id = info.wID;
    return true;
}

} // namespace

int MenuItemCount(HMENU menu)
{
    UINT id;
    int count = 0;
    while (count < kMaxItems && ItemAt(menu, count, &id))
        count++;
    return count;
}

UINT MenuItemId(HMENU menu, int position)
{
    UINT id = 0;
    ItemAt(menu, position, &id);
    return id;
}

bool ReplaceMenuItem(HMENU menu, UINT item, UINT flags, UINT_PTR newId, const wchar_t* text)
{
    if (!(flags & MF_BYPOSITION))
    {
        for (int position = 0; position < kMaxItems; position++)
        {
            UINT id;
            if (ItemAt(menu, position, &id) && id == item)
            {
                item = static_cast<UINT>(position);
                flags |= MF_BYPOSITION;
                break;
            }
        }
    }
    bool deleted = DeleteMenu(menu, item, flags & MF_BYPOSITION) != FALSE;
    bool inserted = InsertMenuW(menu, item, flags, newId, text) != FALSE;
    return deleted && inserted;
}
