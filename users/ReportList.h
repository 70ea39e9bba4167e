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
// extended style (full-row select, header drag-and-drop, track select, grid
// lines) and the small images of bitmap 164.
void SetUpReportList(CListCtrl* list, const QList<ListColumn>& columns);
