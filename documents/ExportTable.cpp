#include "documents/ExportTable.h"

using namespace Qt::Literals::StringLiterals;

QString CExportCell::DisplayText() const
{
    switch (kind) {
    case Kind::Text:
        return strText;
    case Kind::Integer:
        return QString::number(qint64(dValue));
    case Kind::Number:
        return QString::number(dValue, 'f', nDecimals);
    case Kind::Duration:
        return DurationText(qint64(dValue));
    case Kind::Empty:
        break;
    }
    return {};
}

QString CExportCell::CsvText() const
{
    if (kind != Kind::Duration)
        return DisplayText();
    const qint64 seconds = qMax<qint64>(qint64(dValue), 0) / 1000;
    return u"%1:%2:%3"_s.arg(seconds / 3600)
        .arg(seconds / 60 % 60, 2, 10, QChar(u'0'))
        .arg(seconds % 60, 2, 10, QChar(u'0'));
}

QStringList DisplayTexts(const QList<CExportCell>& row)
{
    QStringList texts;
    texts.reserve(row.size());
    for (const CExportCell& cell : row)
        texts.append(cell.DisplayText());
    return texts;
}

QStringList CExportTable::ColumnTexts(int column) const
{
    QStringList texts{header.value(column)};
    for (const QList<CExportCell>& row : rows)
        texts.append(row.value(column).DisplayText());
    return texts;
}

QString DurationText(qint64 elapsedMs)
{
    const qint64 seconds = qMax<qint64>(elapsedMs, 0) / 1000;
    if (seconds < 60)
        return u"%1秒"_s.arg(seconds);
    return u"%1分%2秒"_s.arg(seconds / 60).arg(seconds % 60, 2, 10, QChar(u'0'));
}

int DisplayWidth(const QString& text)
{
    int width = 0;
    for (const QChar ch : text)
        width += ch.unicode() >= 0x1100 ? 2 : 1;
    return width;
}
