#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <utility>

// Class lists and texts that once froze the window, took gigabytes or
// tripped the sanitizers, made afresh for the tests and the benchmarks:
// nothing this large is kept in the repository.
namespace HostileFiles {

using Part = std::pair<QString, QByteArray>; // a zip entry's name and its bytes

// An .xlsx of the given parts plus the workbook, its relations and the
// content types (a sheet at xl/worksheets/sheet1.xml).
QByteArray Xlsx(const QList<Part>& parts);
// A sheet part of the given rows of XML (each a <row>).
QByteArray SheetXml(const QByteArray& rows);

// 99,999 rows, each with one cell in column ALM.
QByteArray WideSheet();
// Shared strings that inflate to about 60 MB from a file of some 150 KB.
QByteArray InflatingStrings();
// A cell reference of seven letters, past any column a spreadsheet has.
QByteArray SevenLetterColumn();
// Five pupils whose names are 700,000 characters long (about 10 MB).
QByteArray LongNamesCsv();
// A text of the 100,000 characters U+F0000 on, none of which GBK holds.
QString DistinctOutsideGbk();

} // namespace HostileFiles
