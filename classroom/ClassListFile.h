#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// A class list as a teacher keeps it: .csv (UTF-8 or GBK, comma- or
// tab-separated) or .xlsx; columns name, class, student number and an
// optional password, in that order or named by a header row in Chinese or
// English.
struct CClassListRow
{
    int nLine = 0; // the row's number in the file, from 1
    QString strName;
    QString strClass;
    QString strStudentNo;
    QString strPassword;
};

struct CClassListFile
{
    QList<CClassListRow> rows;
    QString strEncoding; // "UTF-8", "GBK", "UTF-16" or "xlsx"
    QString strError;    // why nothing could be read; empty when it was
};

CClassListFile ReadClassList(const QString& path);

// The parts, for the tests and for each other.
// Decodes CSV bytes: a byte-order mark decides, then UTF-8 if the bytes are
// valid UTF-8, else GBK; false in *pOk when neither fits.
QString DecodeClassListText(const QByteArray& bytes, QString* pEncoding, bool* pOk);
// Fields of CSV text (quotes, doubled quotes, line breaks in quotes).
QList<QStringList> ParseCsv(const QString& text);
// Rows of cells to class-list rows: a header row found and used, blank
// rows left out, cells trimmed.
CClassListFile ClassListFromCells(const QList<QStringList>& cells);
