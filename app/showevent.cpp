// CMainView::ShowEvent: the event a reminder was about, selected in the list whatever hid it.
#include "app/mainview.h"

#include "data/datalist.h"

void CMainView::ShowEvent(LONG oid, bool anniversary)
{
    CDataList* data = GetData();
    int found = data->FindInView(oid, anniversary);
    if (found < 0 && m_filterOpen)
        ToggleFilter();
    found = data->FindInView(oid, anniversary);
    if (found < 0 && data->GetSettings().SplitMode != SPLIT_ALL)
    {
        ReportSave(data->SetSplit(SPLIT_ALL, -1));
        found = data->FindInView(oid, anniversary);
    }
    // A contact added since the last load may not be in the list yet.
    if (found < 0)
    {
        Refresh();
        found = data->FindInView(oid, anniversary);
    }
    if (found >= 0)
        Refill(found);
}
