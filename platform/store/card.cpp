// The contact card windows that Display and Edit open.
#include "platform/store/card.h"

#include "platform/store/cardui.h"

HRESULT OpenContactCard(LONG oid, HWND parent, bool editable, HWND* window)
{
    if (window)
        *window = nullptr;
    if (!editable)
        return ShowCardWindow(oid, parent);
    // The editor is modal: it is owned by the calling thread's active window and has closed
    // when Edit returns, so there is no window to hand back.
    HWND owner = parent ? parent : GetActiveWindow();
    return RunContactEditor(oid, owner);
}
