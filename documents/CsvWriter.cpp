#include "documents/CsvWriter.h"

#include <QSaveFile>

using namespace Qt::Literals::StringLiterals;

namespace {

QString Field(QString text, bool bText)
{
    // A text a spreadsheet would take for a formula stays text: one that
    // starts with a formula's sign, or with a tab or carriage return (which
    // a spreadsheet skips before the sign).
    if (bText && !text.isEmpty() && u"=+-@\t\r"_s.contains(text.front()))
        text.prepend(u'\'');
    if (text.contains(u',') || text.contains(u'"') || text.contains(u'\n') ||
        text.contains(u'\r') || text.startsWith(u' ') || text.endsWith(u' ')) {
        text.replace(u"\""_s, u"\"\""_s);
        return u'"' + text + u'"';
    }
    return text;
}

QString Line(const QStringList& fields)
{
    return fields.join(u',') + u"\r\n"_s;
}

QString TableText(const CExportTable& table)
{
    QString csv = Line({Field(table.strTitle, true)});
    QStringList header;
    for (const QString& name : table.header)
        header.append(Field(name, true));
    csv += Line(header);
    for (const QList<CExportCell>& row : table.rows) {
        QStringList fields;
        for (int c = 0; c < int(table.header.size()); ++c) {
            const CExportCell cell = row.value(c);
            fields.append(Field(cell.CsvText(), cell.kind == CExportCell::Kind::Text));
        }
        csv += Line(fields);
    }
    return csv;
}

} // namespace

QByteArray CsvBytes(const QList<CExportTable>& tables)
{
    QStringList parts;
    for (const CExportTable& table : tables)
        parts.append(TableText(table));
    return QByteArray("\xEF\xBB\xBF") + parts.join(u"\r\n"_s).toUtf8();
}

QString WriteCsv(const QList<CExportTable>& tables, const QString& path)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(CsvBytes(tables)) < 0 || !file.commit())
        return file.errorString();
    return {};
}
