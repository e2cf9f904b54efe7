// CVelaDialog: creation from a template or from memory, set-up and placement, the modal loop.
#include "framework/dialog.h"

#include "framework/app.h"

CVelaDialog::CVelaDialog()
    : m_menuBarId(0), m_fullScreen(true), m_accelId(0), m_ownLoop(false), m_hwnd(nullptr), m_accel(nullptr),
      m_menuBar(nullptr)
{
}

CVelaDialog::~CVelaDialog()
{
}

void CVelaDialog::OnCreate()
{
}

void CVelaDialog::OnDestroy()
{
}

void CVelaDialog::OnPaint(CVelaPaint*)
{
}

void CVelaDialog::OnCommand(UINT, UINT, HWND)
{
}

void CVelaDialog::OnInitMenuPopup(HMENU, UINT)
{
}

void CVelaDialog::OnCreateMenuBar(SHMENUBARINFO*)
{
}

INT_PTR CVelaDialog::DialogProc(UINT, WPARAM, LPARAM)
{
    return 0;
}

void CVelaDialog::OnSettingChange(WPARAM wParam, LPARAM lParam)
{
    if (wParam == SETTINGCHANGE_RESET)
    {
        if (!m_fullScreen)
        {
            RECT rect;
            GetWindowRect(m_hwnd, &rect);
            Dock(rect.bottom - rect.top, TRUE);
        }
    }
    else if (wParam == SPI_SETSIPINFO)
    {
        // The shell may resize the dialog for the input panel; a docked dialog keeps its height.
        RECT before;
        GetWindowRect(m_hwnd, &before);
        SHHandleWMSettingChange(m_hwnd, wParam, lParam, GetApp()->GetActivateInfo());
        if (m_fullScreen)
            RedrawWindow(m_hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
        else
            Dock(before.bottom - before.top, TRUE);
    }
}

void CVelaDialog::Prepare(UINT menuBarId, UINT accelId, bool fullScreen, bool ownLoop)
{
    m_ownLoop = ownLoop;
    m_menuBarId = menuBarId;
    m_accelId = accelId;
    m_fullScreen = fullScreen;
    m_accel = accelId ? LoadAcceleratorsW(GetApp()->GetInstance(), MAKEINTRESOURCEW(accelId)) : nullptr;
}

INT_PTR CVelaDialog::StartDialog(UINT templateId, UINT menuBarId, UINT accelId, bool fullScreen)
{
    Prepare(menuBarId, accelId, fullScreen, true);
    CVelaApp* app = GetApp();
    HWND hwnd = CreateDialogParamW(app->GetInstance(), MAKEINTRESOURCEW(templateId), app->GetMainWnd(),
                                   DialogProcedure, reinterpret_cast<LPARAM>(this));
    // A dialog destroyed while it was set up (its menu bar could not be made) is as missing as one never
    // made: its modal loop would wait, the main window disabled, for an end that cannot come.
    AssertText(hwnd != nullptr && IsWindow(hwnd), L"Error creating dialog wnd", L"CVelaDialog::StartDialog", __LINE__);
    return ModalLoop();
}

INT_PTR CVelaDialog::StartDialogNoTemplate(UINT menuBarId, UINT accelId, bool fullScreen)
{
    Prepare(menuBarId, accelId, fullScreen, true);
    // An empty template: the header, then no menu, no class and no title (one zero word each).
    alignas(DWORD) WORD words[16] = {};
    DLGTEMPLATE* dialogTemplate = reinterpret_cast<DLGTEMPLATE*>(words);
    dialogTemplate->style = 0x90000080 | (fullScreen ? 0 : WS_CAPTION);
    CVelaApp* app = GetApp();
    HWND hwnd = CreateDialogIndirectParamW(app->GetInstance(), dialogTemplate, app->GetMainWnd(), DialogProcedure,
                                           reinterpret_cast<LPARAM>(this));
    AssertText(hwnd != nullptr && IsWindow(hwnd), L"Error creating dialog wnd", L"CVelaDialog::StartDialogNoTemplate",
               __LINE__);
    return ModalLoop();
}

HWND CVelaDialog::StartModeless(UINT templateId, UINT menuBarId, bool fullScreen)
{
    Prepare(menuBarId, 0, fullScreen, false);
    CVelaApp* app = GetApp();
    return CreateDialogParamW(app->GetInstance(), MAKEINTRESOURCEW(templateId), app->GetMainWnd(), DialogProcedure,
                              reinterpret_cast<LPARAM>(this));
}

void CVelaDialog::EndDialog(INT_PTR result)
{
    if (m_ownLoop)
        PostMessageW(m_hwnd, WM_VELA_ENDDIALOG, static_cast<WPARAM>(result), 0);
    else
        ::EndDialog(m_hwnd, result);
}

INT_PTR CVelaDialog::ModalLoop()
{
    INT_PTR result = 0;
    HWND main = GetApp()->GetMainWnd();
    EnableWindow(main, FALSE);
    ShowWindow(m_hwnd, SW_SHOW);
    bool end = false;
    MSG msg;
    for (;;)
    {
        BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == -1)
            break;
        if (got == 0)
        {
            // The main loop has to see the quit message as well.
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (msg.message == WM_CLOSE && msg.hwnd == main)
        {
            PostQuitMessage(0);
            break;
        }
        if (msg.message == WM_VELA_ENDDIALOG && (msg.hwnd == m_hwnd || IsChild(m_hwnd, msg.hwnd)))
        {
            result = static_cast<INT_PTR>(msg.wParam);
            end = true;
        }
        if (!(m_accel && TranslateAcceleratorW(m_hwnd, m_accel, &msg)) && !IsDialogMessageW(m_hwnd, &msg))
        {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (end)
            break;
    }
    EnableWindow(main, TRUE);
    if (IsWindow(m_hwnd))
        DestroyWindow(m_hwnd);
    m_hwnd = nullptr;
    m_menuBar = nullptr;
    return result;
}

void CVelaDialog::Dock(int height, BOOL repaint)
{
    RECT main;
    GetWindowRect(GetApp()->GetMainWnd(), &main);
    MoveWindow(m_hwnd, main.left, main.bottom - height, main.right - main.left, height, repaint);
}

bool CVelaDialog::Initialise()
{
    CVelaApp* app = GetApp();
    if (m_fullScreen)
    {
        SHINITDLGINFO init = {};
        init.dwMask = SHIDIM_FLAGS;
        init.hDlg = m_hwnd;
        init.dwFlags = app->GetPlatform() == PLATFORM_SMARTPHONE
                           ? SHIDIF_SIZEDLGFULLSCREEN
                           : SHIDIF_DONEBUTTON | SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_SIPDOWN | SHIDIF_EMPTYMENU;
        if (!SHInitDialog(&init))
            return false;
    }
    SHMENUBARINFO info = {};
    info.cbSize = sizeof(info);
    info.hwndParent = m_hwnd;
    info.nToolBarId = m_menuBarId;
    info.hInstRes = app->GetInstance();
    OnCreateMenuBar(&info);
    if (!SHCreateMenuBar(&info))
    {
        m_menuBar = nullptr;
        DestroyWindow(m_hwnd);
        return false;
    }
    m_menuBar = info.hwndMB;
    if (m_fullScreen)
    {
        RECT main;
        GetWindowRect(app->GetMainWnd(), &main);
        MoveWindow(m_hwnd, main.left, main.top, main.right - main.left, main.bottom - main.top, FALSE);
    }
    else
    {
        RECT own;
        GetWindowRect(m_hwnd, &own);
        Dock(own.bottom - own.top, FALSE);
    }
    return true;
}

INT_PTR CALLBACK CVelaDialog::DialogProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG)
    {
        CVelaDialog* dialog = reinterpret_cast<CVelaDialog*>(lParam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, lParam);
        dialog->m_hwnd = hwnd;
        if (!dialog->Initialise())
            return 0;
        dialog->OnCreate();
        return 1;
    }
    CVelaDialog* dialog = reinterpret_cast<CVelaDialog*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!dialog)
        return 0;
    switch (message)
    {
    case WM_DESTROY:
        dialog->OnDestroy();
        return 1;
    case WM_PAINT:
    {
        CVelaPaint paint;
        paint.dc = BeginPaint(hwnd, &paint.ps);
        dialog->OnPaint(&paint);
        EndPaint(hwnd, &paint.ps);
        return 1;
    }
    case WM_SETTINGCHANGE:
        dialog->OnSettingChange(wParam, lParam);
        return 0;
    case WM_COMMAND:
        dialog->OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
        return 1;
    case WM_INITMENUPOPUP:
        dialog->OnInitMenuPopup(reinterpret_cast<HMENU>(wParam), LOWORD(lParam));
        return 0;
    }
    return dialog->DialogProc(message, wParam, lParam);
}
