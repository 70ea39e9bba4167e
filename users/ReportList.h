#pragma once

#include <QList>
#include <QString>

class CListCtrl;

// One column of a report list: its heading and its width in pixels.
struct ListColumn
{
    QString strHeading;
    int nWidth = 80;
};

// Sets up a report list of the program's dialogs: the columns in order, the
// extended style (full-row select, header drag-and-drop, grid lines) and the
// small images of bitmap 164. A row is chosen by a click, never by pointing.
// A figure's heading (键准, 回改, ...) shows its definition as its tip.
void SetUpReportList(CListCtrl* list, const QList<ListColumn>& columns);
// The same with track select, where the row under the pointer is chosen:
// the read-only lists of the score query, the login history and the result.
void SetUpTrackingReportList(CListCtrl* list, const QList<ListColumn>& columns);
