#pragma once

#include "documents/ExportTable.h"

#include <QDateTime>
#include <QList>

class QPagedPaintDevice;
class QPainter;

// Draws tables on paper: each table from a new page, its title and the
// date on every page with the page number, the header row repeated. The
// type shrinks (down to a floor) so that a class of fifty fits one page.
class CTablePainter
{
public:
    CTablePainter(QList<CExportTable> tables, QDateTime printedAt);

    // Paints every page; returns how many were drawn.
    int Paint(QPainter& painter, QPagedPaintDevice& device) const;

private:
    void PaintTable(QPainter& painter, QPagedPaintDevice& device, const CExportTable& table,
                    bool bFirst) const;

    QList<CExportTable> m_tables;
    QDateTime m_printedAt;
    mutable int m_nPages = 0;
};
