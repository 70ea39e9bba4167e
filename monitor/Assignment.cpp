#include "monitor/Assignment.h"

#include "attempts/Metrics.h"
#include "attempts/PracticeKind.h"
#include "course/CoursePlan.h"

#include <QHash>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

int CAssignment::SpeedKind() const
{
    return nTask == AssignmentTask::Lessons ? int(PracticeKind::Lesson) : nKind;
}

int CAssignment::Needed() const
{
    const int lessons = nTask == AssignmentTask::Lessons ? qMax(nLessonTo - nLessonFrom + 1, 1) : 1;
    return lessons * qMax(nPasses, 1);
}

QString CAssignment::TaskText() const
{
    switch (nTask) {
    case AssignmentTask::Lessons: {
        const QString course = CoursePlan::Course(strCourse).strTitle;
        const QString name = course.isEmpty() ? strCourse : course;
        return nLessonFrom == nLessonTo
                   ? u"%1 第 %2 课"_s.arg(name).arg(nLessonFrom)
                   : u"%1 第 %2–%3 课"_s.arg(name).arg(nLessonFrom).arg(nLessonTo);
    }
    case AssignmentTask::TextScreen:
        return u"《%1》第 %2 屏"_s.arg(strTextTitle).arg(nScreen);
    default:
        return u"练习我的错字(%1)"_s.arg(Metrics::KindName(nKind));
    }
}

QString CAssignment::SpeedUnitText() const
{
    if (nTask != AssignmentTask::Lessons || strCourse.isEmpty())
        return Metrics::SpeedUnit(SpeedKind());
    // Each lesson is measured in its own unit: keys, or characters for a
    // lesson typed by codes.
    const CCourse& course = CoursePlan::Course(strCourse);
    QStringList units;
    const int last = qMin(nLessonTo, int(course.lessons.size()));
    for (int number = qMax(nLessonFrom, 1); number <= last; ++number) {
        const QString unit = course.UnitOf(number) + u"/分"_s;
        if (!units.contains(unit))
            units.append(unit);
    }
    return units.isEmpty() ? Metrics::SpeedUnit(SpeedKind()) : units.join(u"或"_s);
}

QString CAssignment::TargetText() const
{
    const QString each = nTask == AssignmentTask::Lessons ? u"每课 %1 次"_s : u"%1 次"_s;
    return u"速度 ≥ %1 %2,正确率 ≥ %3%,%4"_s
        .arg(QString::number(dMinSpeed, 'g', 6), SpeedUnitText())
        .arg(nMinAccuracy)
        .arg(each.arg(qMax(nPasses, 1)));
}

QString CAssignment::DaysText() const
{
    const auto day = [](const QDate& date) {
        return u"%1月%2日"_s.arg(date.month()).arg(date.day());
    };
    return u"%1–%2"_s.arg(day(startsOn), day(dueOn));
}

QString CAssignmentStatus::Text() const
{
    switch (state) {
    case NotStarted:
        return u"未开始"_s;
    case InProgress:
        return u"进行中 %1/%2"_s.arg(nDone).arg(nNeeded);
    case Completed:
        return bLate ? u"已完成(迟交)"_s : u"已完成"_s;
    default:
        return nDone == 0 ? u"逾期"_s : u"逾期 %1/%2"_s.arg(nDone).arg(nNeeded);
    }
}

CAssignmentStatus JudgeAssignment(const CAssignment& assignment, QList<CAssignmentTry> tries,
                                  const QDate& today)
{
    CAssignmentStatus status;
    status.nNeeded = assignment.Needed();
    const int passes = qMax(assignment.nPasses, 1);
    const bool bLessons = assignment.nTask == AssignmentTask::Lessons;
    std::stable_sort(
        tries.begin(), tries.end(),
        [](const CAssignmentTry& a, const CAssignmentTry& b) { return a.startedAt < b.startedAt; });
    QHash<int, int> passedOfLesson;
    for (const CAssignmentTry& attempt : std::as_const(tries)) {
        const QDate day = attempt.startedAt.date();
        if (day < assignment.startsOn)
            continue;
        if (bLessons &&
            (attempt.nLesson < assignment.nLessonFrom || attempt.nLesson > assignment.nLessonTo))
            continue;
        ++status.nTries;
        status.dBestSpeed = qMax(status.dBestSpeed, attempt.dSpeed);
        status.nBestAccuracy = qMax(status.nBestAccuracy, attempt.nAccuracy);
        const bool bMeets = attempt.bLongEnough &&
                            Metrics::MeetsTarget(attempt.dSpeed, attempt.nAccuracy,
                                                 assignment.dMinSpeed, assignment.nMinAccuracy);
        int& passed = passedOfLesson[bLessons ? attempt.nLesson : 0];
        if (!bMeets || passed >= passes || status.nDone >= status.nNeeded)
            continue;
        ++passed;
        if (++status.nDone == status.nNeeded) {
            status.completedAt = attempt.startedAt;
            status.bLate = day > assignment.dueOn;
        }
    }
    if (bLessons) {
        for (int lesson = assignment.nLessonFrom; lesson <= assignment.nLessonTo; ++lesson) {
            if (passedOfLesson.value(lesson) < passes) {
                status.nNextLesson = lesson;
                break;
            }
        }
    }
    if (status.nDone >= status.nNeeded)
        status.state = CAssignmentStatus::Completed;
    else if (today > assignment.dueOn)
        status.state = CAssignmentStatus::Overdue;
    else if (status.nTries == 0)
        status.state = CAssignmentStatus::NotStarted;
    else
        status.state = CAssignmentStatus::InProgress;
    return status;
}
