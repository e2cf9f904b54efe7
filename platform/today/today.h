// The Today screen's interface to its items: the item record, the item and host messages, colours, exports.
#pragma once

#include <windows.h>

struct TODAYLISTITEM;

// The exports of an item library, by ordinal.
constexpr WORD ORDINAL_INITIALIZEITEM = 240;
constexpr WORD ORDINAL_OPTIONSDIALOGPROC = 241;
typedef HWND (*PFNCUSTOMINITIALIZEITEM)(TODAYLISTITEM* item, HWND parent);
// A dialog procedure: its result is as wide as a pointer, as the dialog manager reads it.
typedef INT_PTR (CALLBACK* PFNCUSTOMOPTIONSDLGPROC)(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Item types; a custom item is one loaded from its own library.
enum TODAYLISTITEMTYPE
{
    tlitOwnerInfo = 0,
    tlitAppointments,
    tlitMail,
    tlitTasks,
    tlitCustom,
    tlitNil
};

constexpr int MAX_ITEMNAME = 32;

// What the host keeps of one item and hands to it; the item reads fEnabled and reads/writes cyp.
struct TODAYLISTITEM
{
    wchar_t szName[MAX_ITEMNAME];
    TODAYLISTITEMTYPE tlit;
    DWORD dwOrder;
    DWORD cyp;
    BOOL fEnabled;
    BOOL fOptions;
    DWORD grflags;
    wchar_t szDLLPath[MAX_PATH];
    HINSTANCE hinstDLL;
    HWND hwndCustom;
    BOOL fSizeOnDraw;
    BYTE* prgbCachedData;
    DWORD cbCachedData;
};

// Messages from the host to an item window.
constexpr UINT WM_TODAYCUSTOM_CLEARCACHE = WM_USER + 242;
constexpr UINT WM_TODAYCUSTOM_QUERYREFRESHCACHE = WM_USER + 243;
constexpr UINT WM_TODAYCUSTOM_RECEIVEDSELECTION = WM_USER + 244;
constexpr UINT WM_TODAYCUSTOM_LOSTSELECTION = WM_USER + 245;
constexpr UINT WM_TODAYCUSTOM_USERNAVIGATION = WM_USER + 246;
constexpr UINT WM_TODAYCUSTOM_ACTION = WM_USER + 247;
static_assert(WM_TODAYCUSTOM_CLEARCACHE == 1266 && WM_TODAYCUSTOM_ACTION == 1271, "item message numbers");

// Messages from an item window to the host (its parent).
constexpr UINT TODAYM_GETCOLOR = WM_USER + 100;
constexpr UINT TODAYM_DRAWWATERMARK = WM_USER + 101;
constexpr UINT TODAYM_TOOKSELECTION = WM_USER + 102;
constexpr UINT TODAYM_REQUESTREFRESH = WM_USER + 103;
static_assert(TODAYM_GETCOLOR == 1124 && TODAYM_REQUESTREFRESH == 1127, "host message numbers");

// Colour identifiers of TODAYM_GETCOLOR.
constexpr WPARAM TODAYCOLOR_TEXT = 0x10000004;
constexpr WPARAM TODAYCOLOR_HIGHLIGHT = 0x10000022;
constexpr WPARAM TODAYCOLOR_HIGHLIGHTEDTEXT = 0x10000023;

// The background request of TODAYM_DRAWWATERMARK: draw the host's background into hdc over rc,
// rc being in the coordinates of hwnd's client area.
struct TODAYDRAWWATERMARKINFO
{
    HDC hdc;
    RECT rc;
    HWND hwnd;
};

// The registration of items below HKEY_LOCAL_MACHINE: one sub-key per item with DLL, Type,
// Enabled, Options, Selectability and Order.
constexpr const wchar_t* TODAY_ITEMS_KEY = L"Software\\Microsoft\\Today\\Items";

// Desktop host only: asks an item for a short text of its lines, one per line, for the host's tooltip in the
// notification area. wParam = the buffer's capacity in characters, lParam = the buffer; the result is the number
// of characters written (0 from an item that does not know the message).
constexpr const wchar_t* TODAY_SUMMARY_MESSAGE = L"TodayHost.ItemSummary";
