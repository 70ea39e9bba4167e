#include "users/ReportList.h"

#include "platform/ListCtrl.h"
#include "res/Resources.h"

namespace {
constexpr int IDB_LIST_IMAGES = 164;
constexpr int ImageWidth = 16;
} // namespace

void SetUpReportList(CListCtrl* list, const QList<ListColumn>& columns)
{
    for (int i = 0; i < int(columns.size()); ++i) {
        list->InsertColumn(i, columns[i].strHeading, columns[i].nWidth);
        // A figure's heading tells its definition, in every list alike.
        const QString definition = FigureDefinition(columns[i].strHeading);
        if (!definition.isEmpty())
            list->SetColumnToolTip(i, definition);
    }
    list->SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_HEADERDRAGDROP | LVS_EX_GRIDLINES);
    list->SetImageList(LoadBitmap(IDB_LIST_IMAGES), ImageWidth);
}

void SetUpTrackingReportList(CListCtrl* list, const QList<ListColumn>& columns)
{
    SetUpReportList(list, columns);
    list->SetExtendedStyle(list->GetExtendedStyle() | LVS_EX_TRACKSELECT);
}
