#pragma once

#include "attempts/DailyGoal.h"
#include "attempts/Progress.h"
#include "course/CoursePlan.h"
#include "exams/ExamStore.h"
#include "monitor/AssignmentStore.h"

#include <QDate>
#include <QList>
#include <QStringList>

class CDaoDatabase;
struct CAccount;

// One thing a pupil can start from 今日任务: an open exam of the class not
// yet sat, an assignment of the class, the next lesson of a course, or a
// 智能练习 screen while some keys or characters are weak.
struct CTodayTask
{
    enum class Kind { Exam, Assignment, Lesson, Smart };

    Kind kind = Kind::Assignment;
    CExam exam;                  // Kind::Exam
    bool bSat = false;           // Kind::Exam: sat before, to retake
    CAssignmentEntry assignment; // Kind::Assignment
    QString strCourse;           // Kind::Lesson
    int nLesson = 0;
    CLessonTargets targets; // the lesson's, by the class's thresholds
    QStringList weak;       // Kind::Smart: the weak keys or characters
    bool bChinese = false;

    // 类别, 名称, 要求, 状态 as the list shows them.
    QStringList Row() const;
};

// What the logged-in pupil has today: the tasks (the exams not yet sat
// first, then the assignments still to do, the next lessons, 智能练习,
// the exams sat that may be retaken, the assignments done) and the last
// three results.
struct CToday
{
    QList<CTodayTask> tasks;
    QList<CAttemptSummary> recent; // newest first
    CGoalProgress goal;            // the class's daily goal and today's practice

    // Whether something waits: an exam not yet sat, or an assignment
    // running today and not done.
    bool HasWork(const QDate& today) const;
};

// Throws CDaoException.
CToday LoadToday(CDaoDatabase& db, const CAccount& pupil);

// A result of the recent list: 时间, 练习, 速度, 正确率.
QStringList RecentRow(const CAttemptSummary& attempt);
