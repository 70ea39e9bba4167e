#pragma once

#include "documents/ExportTable.h"

#include <QList>
#include <QString>

// Writes tables to an .xlsx workbook (libxlsxwriter), one worksheet each: a
// merged title row, a bold header row frozen above the rows, numbers as
// numbers (durations as [h]:mm:ss), columns wide enough for Chinese text.
// Returns an empty text, or why the file could not be written.
QString WriteXlsx(const QList<CExportTable>& tables, const QString& path);
