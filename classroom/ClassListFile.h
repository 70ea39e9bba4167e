#pragma once

#include "documents/CellTable.h"
#include "documents/ExportTable.h"

#include <QByteArray>
#include <QList>
#include <QString>

// A class list as a teacher keeps it: .csv (UTF-8 or GBK, comma- or
// tab-separated) or .xlsx; columns name, class, student number and an
// optional password, in that order or named by a heading row in Chinese or
// English (in any order, below a title, beside columns such as 序号 or 性别
// that are not read).
struct CClassListRow
{
    int nLine = 0;          // the row's number in the file, from 1
    int nLastLine = 0;      // later than nLine when a quote ran on over lines
    bool bUnclosed = false; // a quote the file never closed
    QString strName;
    QString strClass;
    QString strStudentNo;
    QString strPassword;
};

struct CClassListFile
{
    QList<CClassListRow> rows;
    // The file's column (from 0) of the name, class, number and password;
    // -1 for one the file does not have.
    QList<int> columns;
    QString strEncoding; // "UTF-8", "GBK", "UTF-16" or "xlsx"
    QString strError;    // why nothing could be read; empty when it was
    bool bCancelled = false;
};

// Reads on any thread; progress, when given, shows how far and can stop it.
CClassListFile ReadClassList(const QString& path, CReadProgress* progress = nullptr);

// The parts, for the tests and for each other.
// Decodes CSV bytes: a byte-order mark decides, then UTF-8 if the bytes are
// valid UTF-8, else GBK; false in *pOk when neither fits.
QString DecodeClassListText(const QByteArray& bytes, QString* pEncoding, bool* pOk);
// Rows of cells to class-list rows: a heading row found and used (the rows
// above it left out), blank rows left out, cells trimmed.
CClassListFile ClassListFromCells(const QList<CCellRow>& cells);

// The sheet a teacher fills in for 导入名单: a line on what to fill in, then
// the heading the reading finds (学号, 姓名, 班级, 密码).
CExportTable ClassListTemplate();
