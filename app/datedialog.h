// CDateDialog: picks the reference date of the main list (dialog 107).
#pragma once

#include "data/calendar.h"
#include "framework/dialog.h"

class CDateDialog : public CVelaDialog
{
public:
    explicit CDateDialog(const CTime& date) : m_date(date) {}

    // 1 when a date was confirmed, 2 otherwise.
    int Run();
    const CTime& GetDate() const { return m_date; }

    void OnCreate() override;
    void OnCommand(UINT id, UINT code, HWND control) override;
    INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    CTime m_date;
};
