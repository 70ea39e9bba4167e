#pragma once

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

// Exported files read back by real readers: .xlsx by openpyxl and .csv by
// Python's csv module (tests/read_table.py), PDF by pdfinfo and pdftotext.

inline QJsonObject ReadTable(const QString& path)
{
    QProcess reader;
    reader.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral(QE_TABLE_READER), path});
    if (!reader.waitForFinished(60000) || reader.exitCode() != 0) {
        qWarning("read_table.py: %s", reader.readAllStandardError().constData());
        return {};
    }
    return QJsonDocument::fromJson(reader.readAllStandardOutput()).object();
}

// The number of pages pdfinfo counts; -1 when it cannot read the file.
inline int PdfPages(const QString& path)
{
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {path});
    if (!info.waitForFinished(60000) || info.exitCode() != 0)
        return -1;
    const auto match = QRegularExpression(QStringLiteral("^Pages:\\s+(\\d+)$"),
                                          QRegularExpression::MultilineOption)
                           .match(QString::fromUtf8(info.readAllStandardOutput()));
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

// "842 x 595 pts (A4)": the size of the first page, as pdfinfo
// gives it; empty when it cannot read the file.
inline QString PdfPageSize(const QString& path)
{
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {path});
    if (!info.waitForFinished(60000) || info.exitCode() != 0)
        return {};
    return QRegularExpression(QStringLiteral("^Page size:\\s+(.*)$"),
                              QRegularExpression::MultilineOption)
        .match(QString::fromUtf8(info.readAllStandardOutput()))
        .captured(1)
        .trimmed();
}

// The text of each page, as pdftotext extracts it (the characters as a
// reader copies them: 子, not the radical ⼦ whose glyph it shares).
inline QStringList PdfPageTexts(const QString& path)
{
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    if (!text.waitForFinished(60000) || text.exitCode() != 0)
        return {};
    QStringList pages = QString::fromUtf8(text.readAllStandardOutput()).split(u'\f');
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
        pages.removeLast();
    return pages;
}
