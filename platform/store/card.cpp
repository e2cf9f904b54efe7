// The contact card windows that Display and Edit open.
#include "platform/store/card.h"

// The store has no card window yet: it says so instead of pretending one was shown.
HRESULT OpenContactCard(LONG, HWND, bool, HWND* window)
{
    if (window)
        *window = nullptr;
    return E_NOTIMPL;
}
