// The main program over 10,000 events: start-up to the first paint, and a keystroke in the name filter.
#include "app/app.h"
#include "app/mainview.h"
#include "app/resource.h"
#include "tests/bench/bench.h"
#include "tests/bench/book.h"
#include "tests/store/register_store.h"

#include <cstdio>
#include <string>

namespace {

const UINT kMeasure = WM_APP + 40;

// The real program; once its first paint is done the loop delivers kMeasure.
class CTimedApp : public CApp
{
public:
    CStopwatch watch;
    double firstPaint = 0;
    double keystroke = 0;
    double refill = 0;
    double paint = 0;
    uint32_t shown = 0;

    bool OnCreate() override
    {
        bool created = CApp::OnCreate();
        PostMessageW(GetMainWnd(), kMeasure, 0, 0);
        return created;
    }

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message != kMeasure)
            return CApp::WindowProc(message, wParam, lParam);
        firstPaint = watch.Milliseconds();
        CMainView* view = GetMainView();
        SendMessageW(GetMainWnd(), WM_COMMAND, IDM_FILTER, 0);
        SetWindowTextW(view->GetFilterEdit(), L"n4");
        HWND list = view->GetList().GetWindow();
        RedrawWindow(list, nullptr, nullptr, RDW_UPDATENOW);
        // One more character: the text changes, the view is rebuilt, the list is refilled and painted.
        CStopwatch typing;
        SetWindowTextW(view->GetFilterEdit(), L"n42");
        RedrawWindow(list, nullptr, nullptr, RDW_UPDATENOW);
        keystroke = typing.Milliseconds();
        shown = GetDataList()->GetCount();
        CStopwatch again;
        view->Refill(0);
        refill = again.Milliseconds();
        CStopwatch painting;
        RedrawWindow(list, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        paint = painting.Milliseconds();
        PostMessageW(GetMainWnd(), WM_CLOSE, 0, 0);
        return 0;
    }
};

} // namespace

void MainProgramBenchmark()
{
    if (!RegisterStoreForBenchmark())
        return;
    std::wstring temp = TempFolder();
    std::wstring path = std::wstring(temp) + L"festivo-startup-10000.vcf";
    WriteAll(path, Book(10000, false));
    SetAddressBook(path);
    CTimedApp app;
    app.Run(IDS_APP_TITLE, IDI_FESTIVO, IDA_MAIN, GetModuleHandleW(nullptr), SW_SHOWNORMAL);
    printf("10000 contacts: start-up to first paint %.1f ms; filter keystroke (\"n4\" -> \"n42\", %u shown, "
           "painted) %.2f ms; refill %.2f ms; painting a page of rows %.2f ms\n",
           app.firstPaint, app.shown, app.keystroke, app.refill, app.paint);
    ClearAddressBook();
    DeleteFileW(path.c_str());
}
