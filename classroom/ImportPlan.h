#pragma once

#include "classroom/ClassListFile.h"
#include "users/Pupil.h"

#include <QList>
#include <QSet>
#include <QString>

#include <functional>

// What an import of a class list would do, row by row: the pupil it adds,
// or why the row is refused. Nothing is written to make it.
struct CImportRow
{
    CClassListRow source;
    CPupil pupil;
    bool bRandomPassword = false;
    QString strRefusal; // empty for a row that will be added

    bool IsAccepted() const { return strRefusal.isEmpty(); }
};

// The account rules hold for every row; a name is refused when another row
// of the file before it, or a pupil in the database (takenNames), has it.
// Rows without a password get one from randomPassword. A field refused
// names its column of the file (columns, as CClassListFile has them) and
// what was found there.
QList<CImportRow> PlanImport(const QList<CClassListRow>& rows, const QSet<QString>& takenNames,
                             const std::function<QString()>& randomPassword,
                             const QList<int>& columns = {});

// The whole file: read, checked and planned, on any thread.
struct CImportPlan
{
    QList<CImportRow> rows;
    QString strEncoding;
    QString strError; // why the file cannot be imported; empty when it can
    bool bCancelled = false;
};
CImportPlan PlanImportOf(const QString& path, const QSet<QString>& takenNames,
                         const std::function<QString()>& randomPassword,
                         CReadProgress* progress = nullptr);
