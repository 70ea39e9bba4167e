#pragma once

#include "documents/ExportCell.h"

#include <QList>
#include <QString>
#include <QStringList>

// A titled table as it is exported: to .xlsx and .csv (a title row, the
// header row, then the rows) and to paper or PDF (the title heads every
// page). A list of tables prints one after another, each from a new page.
struct CExportTable
{
    QString strTitle;
    QString strSheetName; // the worksheet's name in .xlsx; the title when empty
    QStringList header;
    QList<QList<CExportCell>> rows;

    // The cells of a column as text, header first (what the column must be
    // wide enough for).
    QStringList ColumnTexts(int column) const;
};

// How wide a text looks: a Chinese (full-width) character counts two, any
// other one.
int DisplayWidth(const QString& text);
