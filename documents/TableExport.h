#pragma once

#include "documents/ExportTable.h"
#include "documents/PagedOutput.h"

#include <QList>
#include <QString>

#include <functional>

class QWidget;

// Exporting tables as a user does it: a file chooser (through the platform
// seam), the file written, and a notice of where it went or why it failed.
// The class report and the exam results go out this way.
enum class ExportFormat { Xlsx, Csv, Pdf };

// Writes tables to path in format; an empty text, or why it failed.
QString WriteTables(const QList<CExportTable>& tables, ExportFormat format, const QString& path);

// Asks for a file name (suggestedName without its suffix), writes there and
// tells the user; the path written, or an empty text when cancelled or failed.
QString ExportTables(QWidget* owner, const QList<CExportTable>& tables, ExportFormat format,
                     const QString& suggestedName);
// The same for pages of one's own (login cards): a PDF file chosen, written
// and told about.
QString ExportPages(QWidget* owner, const QString& suggestedName, const QString& title,
                    const PagePainter& paint,
                    QPageLayout::Orientation orientation = QPageLayout::Portrait);
// Prints the tables after the print dialog; false when cancelled.
bool PrintTables(QWidget* owner, const QList<CExportTable>& tables);

// The ids of a report window's output buttons.
struct CTableButtons
{
    int nXlsx = 0;
    int nCsv = 0;
    int nPdf = 0;
    int nPrint = 0;
};
// What a report window's output button nID does with its table: exported
// as .xlsx, .csv or PDF under suggestedName (the table's title when
// empty), or printed. False for any other id, which the window handles.
bool OutputTable(QWidget* owner, int nID, const CTableButtons& buttons,
                 const std::function<CExportTable()>& table, const QString& suggestedName = {});
