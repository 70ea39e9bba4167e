#pragma once

#include "documents/ExportTable.h"

#include <QByteArray>
#include <QString>

// A table as CSV for Excel on a Chinese Windows: UTF-8 with a byte-order
// mark (without it Excel reads GBK), CRLF line ends, the title row, the
// header row, then the rows; fields quoted where they must be.
// Several tables follow each other, a blank line apart.
QByteArray CsvBytes(const QList<CExportTable>& tables);
// Writes CsvBytes to path; an empty text, or why the file could not be written.
QString WriteCsv(const QList<CExportTable>& tables, const QString& path);
