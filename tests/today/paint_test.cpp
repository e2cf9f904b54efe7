// Pixels of the Today item: host colours, selection bar, pictures and text at the margins, both resolutions.
#include "tests/today/panel.h"

#include "data/settings.h"
#include "tests/support/fixtures.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

const int WIDTH = 240;

// The item drawn into a 32-bit picture through WM_PRINTCLIENT, as it paints itself.
class CSnapshot
{
public:
    CSnapshot(HWND item, int height) : m_height(height)
    {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = WIDTH;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        m_dc = CreateCompatibleDC(nullptr);
        m_bitmap = CreateDIBSection(m_dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        memset(bits, 0xde, static_cast<size_t>(WIDTH) * height * 4);
        m_previous = SelectObject(m_dc, m_bitmap);
        m_bits = static_cast<const DWORD*>(bits);
        SendMessageW(item, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(m_dc), PRF_CLIENT);
        GdiFlush();
    }
    ~CSnapshot()
    {
        SelectObject(m_dc, m_previous);
        DeleteObject(m_bitmap);
        DeleteDC(m_dc);
    }
    COLORREF At(int x, int y) const
    {
        DWORD p = m_bits[y * WIDTH + x];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }
    // The first column from the left in rows [top, bottom) holding a colour other than background.
    int FirstColumnNotOf(COLORREF background, int top, int bottom) const
    {
        for (int x = 0; x < WIDTH; x++)
            for (int y = top; y < bottom; y++)
                if (At(x, y) != background)
                    return x;
        return -1;
    }

private:
    int m_height;
    HDC m_dc;
    HBITMAP m_bitmap;
    HGDIOBJ m_previous;
    const DWORD* m_bits;
};

class TodayPaint : public ::testing::TestWithParam<int>
{
protected:
    void SetUp() override
    {
        CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        DeleteUserKey(SETTINGS_KEY);
        SetDword(L"Software\\Festivo\\Device", L"Dpi", static_cast<DWORD>(GetParam()));
        FakeStore() = FakeStoreState();
        m_registration = std::make_unique<CFakeStoreRegistration>();
        AddContact(1, L"Anna", OleDate(1990, 12, 6));
        AddContact(2, L"Bert", OleDate(1980, 12, 20));
    }
    void TearDown() override
    {
        host.reset();
        panel.reset();
        m_registration.reset();
        DeleteUserKey(SETTINGS_KEY);
        SetDword(L"Software\\Festivo\\Device", L"Dpi", 96);
        CoUninitialize();
    }

    static void SetDword(const wchar_t* keyName, const wchar_t* name, DWORD value)
    {
        HKEY key = nullptr;
        RegCreateKeyExW(HKEY_CURRENT_USER, keyName, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
        RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
        RegCloseKey(key);
    }

    // The program folder is the test's own, where festivo.zrs lies; or a folder without a package.
    static void SetAppPath(bool withPackage)
    {
        wchar_t path[MAX_PATH] = {};
        GetModuleFileNameW(nullptr, path, MAX_PATH);
        *(wcsrchr(path, L'\\') + 1) = 0;
        if (!withPackage)
            wcscat(path, L"no-such-folder\\");
        HKEY key = nullptr;
        RegCreateKeyExW(HKEY_CURRENT_USER, SETTINGS_KEY, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
        RegSetValueExW(key, L"APPPATH", 0, REG_SZ, reinterpret_cast<const BYTE*>(path),
                       static_cast<DWORD>((wcslen(path) + 1) * sizeof(wchar_t)));
        RegCloseKey(key);
    }

    void Create(bool withPackage)
    {
        host.reset();
        panel.reset();
        SetAppPath(withPackage);
        panel = std::make_unique<CPanel>();
        ASSERT_TRUE(panel->Loaded());
        panel->SetDate(2026, 12, 2);
        host = std::make_unique<CRecordingHost>();
        record = TODAYLISTITEM{};
        record.fEnabled = TRUE;
        item = panel->initialize(&record, host->Window());
        ASSERT_NE(nullptr, item);
        SendMessageW(item, WM_TODAYCUSTOM_QUERYREFRESHCACHE, reinterpret_cast<WPARAM>(&record), 0);
        line = static_cast<int>(record.cyp) / 3;
        SetWindowPos(item, nullptr, 0, 0, WIDTH, static_cast<int>(record.cyp), SWP_NOZORDER);
    }

    int Scale(int n) const { return (n * GetParam() + 48) / 96; }

    std::unique_ptr<CPanel> panel;
    std::unique_ptr<CRecordingHost> host;
    TODAYLISTITEM record = {};
    HWND item = nullptr;
    int line = 0;

private:
    std::unique_ptr<CFakeStoreRegistration> m_registration;
};

} // namespace

TEST_P(TodayPaint, SelectedLineLiesOnTheHighlightColour)
{
    Create(true);
    SendMessageW(item, WM_TODAYCUSTOM_RECEIVEDSELECTION, VK_DOWN, 0);
    SendMessageW(item, WM_TODAYCUSTOM_USERNAVIGATION, VK_DOWN, 0);
    CSnapshot shot(item, 3 * line);
    COLORREF window = GetSysColor(COLOR_WINDOW);
    // The bar spans the whole width of line 1 only.
    EXPECT_EQ(HOST_HIGHLIGHT, shot.At(0, line + 1));
    EXPECT_EQ(HOST_HIGHLIGHT, shot.At(WIDTH - 1, 2 * line - 1));
    EXPECT_EQ(window, shot.At(WIDTH - 1, line - 1));
    EXPECT_EQ(window, shot.At(WIDTH - 1, 2 * line));
}

TEST_P(TodayPaint, ItemMadeAgainStartsWithoutASelection)
{
    Create(true);
    SendMessageW(item, WM_TODAYCUSTOM_RECEIVEDSELECTION, VK_DOWN, 0);
    SendMessageW(item, WM_TODAYCUSTOM_USERNAVIGATION, VK_DOWN, 0);
    DestroyWindow(item);
    record = TODAYLISTITEM{};
    record.fEnabled = TRUE;
    item = panel->initialize(&record, host->Window());
    ASSERT_NE(nullptr, item);
    SendMessageW(item, WM_TODAYCUSTOM_QUERYREFRESHCACHE, reinterpret_cast<WPARAM>(&record), 0);
    SetWindowPos(item, nullptr, 0, 0, WIDTH, static_cast<int>(record.cyp), SWP_NOZORDER);
    CSnapshot shot(item, 3 * line);
    EXPECT_NE(HOST_HIGHLIGHT, shot.At(0, line + 1)) << "the host gave no selection to the new item";
}

TEST_P(TodayPaint, HostBackgroundReplacesTheWindowColour)
{
    Create(true);
    host->drawsWatermark = true;
    CSnapshot shot(item, 3 * line);
    EXPECT_EQ(HOST_WATERMARK, shot.At(WIDTH - 1, 0));
    EXPECT_EQ(HOST_WATERMARK, shot.At(WIDTH - 1, 3 * line - 1));
    EXPECT_EQ(HOST_WATERMARK, shot.At(0, line + line / 2));
}

TEST_P(TodayPaint, PictureAtTheMarginAndTextAtTheIndent)
{
    COLORREF window = GetSysColor(COLOR_WINDOW);
    Create(false);
    int textColumn = -1;
    {
        // Without a package the lines are drawn without pictures: only text, at margin + indent.
        CSnapshot plain(item, 3 * line);
        textColumn = plain.FirstColumnNotOf(window, 0, 3 * line);
    }
    EXPECT_GE(textColumn, Scale(2) + Scale(26));
    EXPECT_LE(textColumn, Scale(2) + Scale(26) + Scale(2));

    Create(true);
    CSnapshot pictured(item, 3 * line);
    int pictureColumn = pictured.FirstColumnNotOf(window, 0, 3 * line);
    EXPECT_GE(pictureColumn, Scale(2));
    EXPECT_LT(pictureColumn, Scale(2) + Scale(4));
}

TEST_P(TodayPaint, VeryLongNameIsCutNotFatal)
{
    std::wstring name(5000, L'W');
    AddContact(3, name.c_str(), OleDate(1990, 12, 10));
    Create(true);
    CSnapshot shot(item, 3 * line);
    EXPECT_EQ(GetSysColor(COLOR_WINDOW), shot.At(WIDTH - 1, 0));
}

INSTANTIATE_TEST_SUITE_P(Dpi, TodayPaint, ::testing::Values(96, 192));
