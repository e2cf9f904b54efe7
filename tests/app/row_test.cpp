// Rows of the event list: the date line text, the filter match and the pixels that matter.
#include "app/row.h"
#include "common/backbuffer.h"
#include "common/popuplist.h"
#include "tests/support/fake_store.h"
#include "tests/support/fixtures.h"

#include <gtest/gtest.h>

#include <commctrl.h>

namespace {

class Rows : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CoInitializeEx(nullptr, 0);
        DeleteUserKey(SETTINGS_KEY);
        m_store = new CFakeStoreRegistration();
    }
    void TearDown() override
    {
        delete m_store;
        DeleteUserKey(SETTINGS_KEY);
        CoUninitialize();
    }
    static void Add(LONG oid, const wchar_t* name, DATE date)
    {
        FakeStore().contacts.push_back({oid, name, date, NO_DATE, false, nullptr, nullptr, {}});
    }
    void Load(CDataList& list, int year, int month, int day)
    {
        list.Open(nullptr);
        list.SetReference(CTime(year, month, day, 0, 0, 0));
        list.Load();
        list.Sort(SORT_BY_NAME);
    }
    static std::wstring Line(const CDataList& list, int index)
    {
        CStr line;
        FormatDateLine(list, list.GetItem(index), line);
        return line.GetBuffer();
    }

    CFakeStoreRegistration* m_store = nullptr;
};

// A solid picture with a mask that is opaque everywhere.
HBITMAP SolidBitmap(HDC dc, int size, COLORREF colour)
{
    HBITMAP bitmap = CreateCompatibleBitmap(dc, size, size);
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(memory, bitmap);
    RECT all = {0, 0, size, size};
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(memory, &all, brush);
    DeleteObject(brush);
    SelectObject(memory, old);
    DeleteDC(memory);
    return bitmap;
}

} // namespace

TEST_F(Rows, DateLineWithAgeAndDaysLeft)
{
    Add(1, L"A", OleDate(1980, 3, 5));
    Add(2, L"B", OleDate(UNKNOWN_YEAR, 3, 15));
    Add(3, L"C", OleDate(2008, 12, 24));
    CDataList list;
    Load(list, 2008, 2, 22);
    EXPECT_EQ(L"05 Mar 1980 (28y) [12]", Line(list, 0));
    EXPECT_EQ(L"15 Mar [22]", Line(list, 1)) << "no year and no age for a year-less date";
    list.GetSettings().ShowFutureAge = 0;
    EXPECT_EQ(L"24 Dec 2008 (0y) [306]", Line(list, 2)) << "an event of the reference year is 0, never -1";
    EXPECT_EQ(L"05 Mar 1980 (27y) [12]", Line(list, 0));
}

TEST(RowFilter, MatchIsFoundWithoutRegardToCaseOrAccents)
{
    struct Case
    {
        const wchar_t* name;
        const wchar_t* filter;
        int before;
        int length;
    };
    const Case cases[] = {
        {L"Joanna", L"an", 2, 2},
        {L"JOANNE", L"ann", 2, 3},
        {L"\u00C1ngeles", L"angel", 0, 5},
        {L"Mads S\u00F8rensen", L"sorensen", 5, 8},
        // A decomposed accent is part of the letter it sits on: the underline takes it along.
        {L"A\u0301ngel Ruiz", L"angel", 0, 6},
        {L"Jos\u00E9", L"JOSE", 0, 4},
    };
    for (const Case& c : cases)
    {
        int before = 0xdeadbeef;
        int length = 0xdeadbeef;
        ASSERT_TRUE(FindFilterMatch(c.name, c.filter, before, length)) << c.filter;
        EXPECT_EQ(c.before, before) << c.filter;
        EXPECT_EQ(c.length, length) << c.filter;
    }
    int before = 0;
    int length = 0;
    EXPECT_FALSE(FindFilterMatch(L"Bob", L"ann", before, length));
    EXPECT_FALSE(FindFilterMatch(L"Bob", L"", before, length));
    EXPECT_FALSE(FindFilterMatch(L"Bob", nullptr, before, length));
}

TEST_F(Rows, SelectedRowOnHighlightAndSignPictureNeverCovered)
{
    Add(1, L"A name far too long to fit into one row of a handheld screen, however small the font", OleDate(1980, 3, 20));
    CDataList list;
    Load(list, 2026, 12, 7);

    const int width = 240;
    const int height = 40;
    const int pictureSize = 16;
    const COLORREF pictureColour = RGB(0, 200, 0);
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP target = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ oldTarget = SelectObject(dc, target);

    RowResources res = {};
    res.normalFont = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    LOGFONTW bold = {};
    GetObjectW(res.normalFont, sizeof(bold), &bold);
    bold.lfWeight = FW_BOLD;
    res.boldFont = CreateFontIndirectW(&bold);
    bold.lfUnderline = TRUE;
    res.boldUnderlinedFont = CreateFontIndirectW(&bold);
    res.pictures[0] = SolidBitmap(screen, pictureSize, pictureColour);
    res.masks[0] = SolidBitmap(screen, pictureSize, RGB(0, 0, 0));
    res.pictureWidth = pictureSize;
    res.pictureHeight = pictureSize;
    res.rowHeight = height;

    DRAWITEMSTRUCT draw = {};
    draw.CtlType = ODT_LISTVIEW;
    draw.itemID = 0;
    draw.itemState = ODS_SELECTED;
    draw.hDC = dc;
    draw.rcItem = {0, 0, width, height};
    DrawEventRow(draw, list, res, nullptr);

    COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
    EXPECT_EQ(highlight, GetPixel(dc, width - 1, height - 1)) << "the selected row is filled with the highlight";
    EXPECT_EQ(highlight, GetPixel(dc, 0, 0));
    TEXTMETRICW tm = {};
    SelectObject(dc, res.boldFont);
    GetTextMetricsW(dc, &tm);
    int half = tm.tmAveCharWidth / 2;
    int pictureLeft = width - pictureSize - half;
    int top = 2;
    for (int y = top; y < top + pictureSize; y++)
        for (int x = pictureLeft; x < pictureLeft + pictureSize; x++)
            ASSERT_EQ(pictureColour, GetPixel(dc, x, y)) << "at " << x << "," << y << ": the name ran over the sign";

    // Unselected rows draw over the background the list has erased.
    FillRect(dc, &draw.rcItem, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    draw.itemState = 0;
    DrawEventRow(draw, list, res, nullptr);
    EXPECT_NE(highlight, GetPixel(dc, width - 1, height - 1)) << "an unselected row keeps the list's background";

    SelectObject(dc, oldTarget);
    DeleteObject(target);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    DeleteObject(res.boldFont);
    DeleteObject(res.boldUnderlinedFont);
    DeleteObject(res.pictures[0]);
    DeleteObject(res.masks[0]);
}

namespace {

LRESULT CALLBACK RedRowsOwner(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DRAWITEM)
    {
        const DRAWITEMSTRUCT* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
        FillRect(draw->hDC, &draw->rcItem, red);
        DeleteObject(red);
        return TRUE;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace

// A list that already has its final size when it is taken over gets no WM_SIZE (a desktop dialog's
// pick list): it paints its rows all the same, rather than nothing at all.
TEST(PopupList, ListSizedBeforeItIsTakenOverPaintsItsRows)
{
    WNDCLASSW wc = {};
    wc.lpfnWndProc = RedRowsOwner;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"FestivoRedRowsOwner";
    RegisterClassW(&wc);
    HWND owner = CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 0, 0, 200, 120, nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(nullptr, owner);
    const DWORD style = WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_OWNERDRAWFIXED | LVS_OWNERDATA | LVS_NOCOLUMNHEADER | LVS_SINGLESEL;
    HWND list = CreateWindowExW(0, WC_LISTVIEWW, L"", style, 0, 0, 200, 120, owner, reinterpret_cast<HMENU>(7),
                                wc.hInstance, nullptr);
    ASSERT_NE(nullptr, list);
    COLORREF row = 0xdeadbeef;
    {
        CPopupListBox box;
        box.Construct(owner, 7);
        box.SetCount(2);
        HDC screen = GetDC(nullptr);
        HDC dc = CreateCompatibleDC(screen);
        HBITMAP bitmap = CreateCompatibleBitmap(screen, 200, 120);
        ReleaseDC(nullptr, screen);
        HGDIOBJ old = SelectObject(dc, bitmap);
        RECT all = {0, 0, 200, 120};
        FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        SendMessageW(list, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
        row = GetPixel(dc, 20, 3);
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
        box.Detach();
    }
    DestroyWindow(owner);
    UnregisterClassW(wc.lpszClassName, wc.hInstance);
    EXPECT_EQ(RGB(255, 0, 0), row);
}

// A buffer whose bitmap cannot be made (no memory for its size) is no buffer: its window paints nothing
// rather than a picture of whatever lies beside a one-pixel bitmap, and nothing of it is left behind.
TEST(BackBuffer, WithoutABitmapThereIsNoBuffer)
{
    HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, window);
    DWORD objects = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    CBackBuffer buffer;
    buffer.Fit(window, 30000, 30000);
    EXPECT_EQ(nullptr, buffer.DC());
    EXPECT_EQ(objects, GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS));
    buffer.Fit(window, 30000, 30000);
    buffer.Fit(window, 10, 10);
    EXPECT_NE(nullptr, buffer.DC());
    buffer.Release();
    DestroyWindow(window);
}
