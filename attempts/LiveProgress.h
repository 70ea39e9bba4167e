#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

class CDaoDatabase;

// The live view of the lab: each pupil's program reports what it is doing
// (one row per pupil, replaced at every report) and the teacher's window
// reads the rows of a class. Every function throws CDaoException.
namespace LiveProgress {

// What a program is doing.
enum Activity : int { LoggedIn = 0, Practice = 1, Exam = 2, Lesson = 3 };

// A program reports while a practice, an exam or a lesson runs.
inline constexpr qint64 ReportIntervalMs = 2000;
// No key for this long: 空闲. No report for this long: 离线.
inline constexpr qint64 IdleAfterMs = 30000;
inline constexpr qint64 OfflineAfterMs = 10000;

struct CReport
{
    int nActivity = LoggedIn;
    int nKind = 0;
    qint64 nExamId = 0; // 0: no exam
    QString strLabel;   // what is typed: "中文练习", the exam's title, "指法 第3课"
    int nScreenUnits = 0;
    int nTypedUnits = 0;
    int nCorrectUnits = 0;
    qint64 nElapsedMs = 0;
    qint64 nIdleMs = 0; // since the last key
    bool bFocusLost = false;
    int nEndReason = 0; // EndReason once it ended, 0 while it runs
    // A running exam's sitting and what was typed up to the typing position
    // (cells in reading order, GBK in hex, and the same cells as text): a
    // server keeps them as they arrive and scores the exam from them.
    QString strSittingUid;
    QStringList sittingCells;
    QStringList sittingTexts;
    int nRowCells = 0; // cells of a screen row: a cell before its row no longer changes
};

// What the database answered a report.
struct CAnswer
{
    bool bExamStopped = false; // the report's exam was ended for everybody
    int nSeenCells = -1;       // the exam's cells the server holds; -1 none
};

// Keeps the report of the pupil with key userKey (name and class as the
// login gave them; on a server the server takes its own). On a server an
// exam's cells go with it from cell nFrom on (0 for all of them).
CAnswer Report(CDaoDatabase& db, qint64 userKey, const QString& name, const QString& className,
               const CReport& report, int nFrom = 0);
// The pupil's program logs out or closes: the row goes.
void Leave(CDaoDatabase& db, qint64 userKey);

struct CRow
{
    qint64 nUserKey = 0;
    QString strName;
    CReport report;
    QDateTime reportedAt; // on the database's clock
};
// The rows of the pupils of className.
QList<CRow> LoadClass(CDaoDatabase& db, const QString& className);
// The rows of the programs whose last report is of exam examId.
QList<CRow> LoadExam(CDaoDatabase& db, qint64 examId);

// The state the grid shows: 未登录 (no row), 空闲, 练习中, 考试中, 已完成,
// 离开窗口 or 离线, at the time now.
QString StateText(const CRow* row, const QDateTime& now);
// The share of the screen typed, in percent.
int ProgressPercent(const CReport& report);

// Ends exam examId for everybody: the programs of its running sittings end
// them at their next report, as if the time had run out.
void StopExam(CDaoDatabase& db, qint64 examId);
bool IsExamStopped(CDaoDatabase& db, qint64 examId);

} // namespace LiveProgress
