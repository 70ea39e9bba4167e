#pragma once

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

// What an assignment asks for. Stored numbers never change their meaning.
namespace AssignmentTask {
enum : int {
    Lessons = 1,    // a range of lessons of a course
    TextScreen = 2, // one screen of a library text
    Drill = 3,      // 练习我的错字 of a practice kind
};
}

// 作业: work a teacher sets some classes, with a target every counted
// attempt must meet, how many such attempts (per lesson for a range of
// lessons), and the days it runs, both included.
struct CAssignment
{
    qint64 nId = 0; // 0: not stored yet
    QString strTitle;
    int nTask = AssignmentTask::Lessons;
    QString strCourse; // Lessons: the course's id
    int nLessonFrom = 1;
    int nLessonTo = 1;
    qint64 nTextId = 0; // TextScreen
    int nScreen = 1;
    int nKind = 0;        // TextScreen and Drill: the practice kind
    double dMinSpeed = 0; // in the unit of Metrics::SpeedUnit(SpeedKind())
    int nMinAccuracy = 0; // per cent
    int nPasses = 1;
    QDate startsOn;
    QDate dueOn;
    QStringList classes;
    QDateTime createdAt;
    QString strTextTitle; // read with the assignment

    // The kind the speed is measured in: a lesson's keys, or the practice's.
    int SpeedKind() const;
    // How many passing attempts make it done.
    int Needed() const;
    // "指法课程 第 5–7 课", "《春》第 2 屏", "练习我的错字(英文)".
    QString TaskText() const;
    // What its speed target counts: the kind's unit, or the unit of the
    // lessons set ("键/分", "字/分", "键/分或字/分").
    QString SpeedUnitText() const;
    // "速度 ≥ 60 键/分,正确率 ≥ 90%,每课 2 次".
    QString TargetText() const;
    // "9月2日–9月6日".
    QString DaysText() const;
};

// One attempt of a pupil's that may count: a lesson's (nLesson from 1) or a
// practice's (nLesson 0), with its figures.
struct CAssignmentTry
{
    QDateTime startedAt;
    int nLesson = 0;
    double dSpeed = 0;
    int nAccuracy = 0;
    // Long enough to mean something (Metrics::CountsForBest).
    bool bLongEnough = true;
};

// Where a pupil stands with an assignment.
struct CAssignmentStatus
{
    enum State { NotStarted, InProgress, Completed, Overdue };

    State state = NotStarted;
    int nDone = 0; // passing attempts counted, at most Needed()
    int nNeeded = 1;
    int nTries = 0;     // attempts made since the start day
    bool bLate = false; // done, but only with attempts after the due day
    QDateTime completedAt;
    double dBestSpeed = 0;
    int nBestAccuracy = 0;
    // A range of lessons: the first one not yet passed often enough; 0
    // when every one is.
    int nNextLesson = 0;

    // "未开始", "进行中 1/3", "已完成", "已完成(迟交)", "逾期 1/3".
    QString Text() const;
};

// The status of assignment from a pupil's attempts, on day today. An
// attempt counts when it lies on or after the start day and meets the
// target; one after the due day counts as late. Attempts before the start
// day are not looked at.
CAssignmentStatus JudgeAssignment(const CAssignment& assignment, QList<CAssignmentTry> tries,
                                  const QDate& today);
