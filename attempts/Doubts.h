#pragma once

#include <QDateTime>
#include <QList>
#include <QString>

class CDaoDatabase;

// The results a server keeps in doubt (可疑) until a teacher confirms them,
// and the plausible speed of each class that decides it: the teacher's
// setting, or the default of the school year its name tells. A database
// file doubts nothing. Every call throws CDaoException.
namespace Doubts {

struct CResultInDoubt
{
    qint64 nAttemptId = 0;
    QDateTime startedAt;
    QString strName;
    QString strClass;
    int nKind = 0;
    int nTypedUnits = 0;
    int nCorrectUnits = 0;
    qint64 nElapsedMs = 0;
    QString strDoubt; // the server's reason
    bool bExam = false;
};
// Newest first.
QList<CResultInDoubt> LoadInDoubt(CDaoDatabase& db);
// Counts the result from now on; false when it was no longer in doubt.
bool Confirm(CDaoDatabase& db, qint64 attemptId);

// Correct units a minute: 字 for Chinese, characters for the other kinds.
struct CClassSpeed
{
    int nSchoolYear = 0; // 1 to 12, 0 when the name does not tell
    int nChinese = 0;
    int nOthers = 0;
    bool bSetByTeacher = false;
};
CClassSpeed LoadClassSpeed(CDaoDatabase& db, const QString& className);
// The bounds the server keeps a setting within.
inline constexpr int MinChinese = 10, MaxChinese = 400;
inline constexpr int MinOthers = 30, MaxOthers = 1200;
void SetClassSpeed(CDaoDatabase& db, const QString& className, int chinese, int others);
// Back to the school year's default.
void ClearClassSpeed(CDaoDatabase& db, const QString& className);

// "三年级", "初二", "高一"; "年级不明" for 0.
QString SchoolYearText(int year);

} // namespace Doubts
