#include "documents/TableExport.h"

#include "documents/CsvWriter.h"
#include "documents/PagedOutput.h"
#include "documents/TablePainter.h"
#include "documents/XlsxWriter.h"
#include "platform/FileChooser.h"
#include "platform/Platform.h"

#include <QDir>

using namespace Qt::Literals::StringLiterals;

namespace {

struct FormatInfo
{
    QString strSuffix;
    QString strFilter;
};

FormatInfo Info(ExportFormat format)
{
    switch (format) {
    case ExportFormat::Xlsx:
        return {u".xlsx"_s, u"Excel 工作簿 (*.xlsx)"_s};
    case ExportFormat::Csv:
        return {u".csv"_s, u"CSV 文件 (*.csv)"_s};
    case ExportFormat::Pdf:
        break;
    }
    return {u".pdf"_s, u"PDF 文件 (*.pdf)"_s};
}

// A file name cannot hold a slash; the rest of a title may stay.
QString FileNameOf(QString name)
{
    for (const QChar bad : u"/\\:*?\"<>|"_s)
        name.replace(bad, u'_');
    return name;
}

} // namespace

QString WriteTables(const QList<CExportTable>& tables, ExportFormat format, const QString& path)
{
    switch (format) {
    case ExportFormat::Xlsx:
        return WriteXlsx(tables, path);
    case ExportFormat::Csv:
        return WriteCsv(tables, path);
    case ExportFormat::Pdf:
        break;
    }
    const CTablePainter painter(tables, Platform().CurrentDateTime());
    return WritePdf(
        path, tables.value(0).strTitle,
        [&painter](QPainter& p, QPagedPaintDevice& device) { painter.Paint(p, device); });
}

namespace {

// Asks for a file of format, writes it with write(path) and says what
// happened; the path written or an empty text.
QString ChooseAndWrite(QWidget* owner, ExportFormat format, const QString& suggestedName,
                       const std::function<QString(const QString&)>& write)
{
    const FormatInfo info = Info(format);
    QString path = FileChooser::ChooseSaveFile(
        owner, u"导出"_s, FileNameOf(suggestedName) + info.strSuffix, info.strFilter);
    if (path.isEmpty())
        return {};
    if (!path.endsWith(info.strSuffix, Qt::CaseInsensitive))
        path += info.strSuffix;
    const QString error = write(path);
    if (!error.isEmpty()) {
        Platform().MessageBox(owner,
                              u"无法保存文件 %1:%2"_s.arg(QDir::toNativeSeparators(path), error),
                              u"错误!"_s, MB_OK | MB_ICONEXCLAMATION);
        return {};
    }
    Platform().MessageBox(owner, u"已导出到 %1"_s.arg(QDir::toNativeSeparators(path)), u"提示"_s,
                          MB_OK | MB_ICONINFORMATION);
    return path;
}

} // namespace

QString ExportTables(QWidget* owner, const QList<CExportTable>& tables, ExportFormat format,
                     const QString& suggestedName)
{
    return ChooseAndWrite(owner, format, suggestedName,
                          [&](const QString& path) { return WriteTables(tables, format, path); });
}

QString ExportPages(QWidget* owner, const QString& suggestedName, const QString& title,
                    const PagePainter& paint, QPageLayout::Orientation orientation)
{
    return ChooseAndWrite(owner, ExportFormat::Pdf, suggestedName, [&](const QString& path) {
        return WritePdf(path, title, paint, orientation);
    });
}

bool PrintTables(QWidget* owner, const QList<CExportTable>& tables)
{
    const CTablePainter painter(tables, Platform().CurrentDateTime());
    return PrintPages(
        owner, tables.value(0).strTitle,
        [&painter](QPainter& p, QPagedPaintDevice& device) { painter.Paint(p, device); });
}

bool OutputTable(QWidget* owner, int nID, const CTableButtons& buttons,
                 const std::function<CExportTable()>& table, const QString& suggestedName)
{
    if (nID != buttons.nXlsx && nID != buttons.nCsv && nID != buttons.nPdf && nID != buttons.nPrint)
        return false;
    const CExportTable shown = table();
    if (nID == buttons.nPrint) {
        PrintTables(owner, {shown});
        return true;
    }
    const ExportFormat format = nID == buttons.nXlsx  ? ExportFormat::Xlsx
                                : nID == buttons.nCsv ? ExportFormat::Csv
                                                      : ExportFormat::Pdf;
    ExportTables(owner, {shown}, format, suggestedName.isEmpty() ? shown.strTitle : suggestedName);
    return true;
}
