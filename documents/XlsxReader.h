#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The cells of the first worksheet of an .xlsx file as text, row by row
// (numbers as they read, 20240117 rather than 2.0240117E7). Reads the zip
// through minizip and the XML with QXmlStreamReader.
struct CXlsxSheet
{
    QList<QStringList> rows;
    QString strError; // why the file could not be read; empty when it was
};

CXlsxSheet ReadXlsxSheet(const QString& path);
