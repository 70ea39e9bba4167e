#include "monitor/TodayTasks.h"

#include "attempts/LessonAttemptStore.h"
#include "attempts/Metrics.h"
#include "coaching/SmartDrill.h"
#include "course/CourseRules.h"
#include "course/CourseStore.h"
#include "platform/Platform.h"
#include "users/Account.h"

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int RecentResults = 3;

// The next lesson of each course the pupil has begun, and of 指法 always.
QList<CTodayTask> NextLessons(CDaoDatabase& db, const CAccount& pupil)
{
    QList<CTodayTask> tasks;
    const CClassThresholds thresholds = CourseStore::LoadThresholds(db, pupil.strClass);
    for (const QString& id : CoursePlan::CourseIds()) {
        const CCourse& course = CoursePlan::Course(id);
        const QList<CLessonAttempt> attempts = LessonAttemptStore::Load(db, pupil.nKey, id);
        if (course.IsEmpty() || (attempts.isEmpty() && id != CoursePlan::Fingering))
            continue;
        const int reached =
            CourseRules::Reached(CourseRules::Progress(course, attempts, thresholds));
        if (!course.Lesson(reached))
            continue; // every lesson passed
        CTodayTask task;
        task.kind = CTodayTask::Kind::Lesson;
        task.strCourse = id;
        task.nLesson = reached;
        task.targets = CourseRules::Targets(*course.Lesson(reached), thresholds);
        tasks.append(task);
    }
    return tasks;
}

} // namespace

QStringList CTodayTask::Row() const
{
    switch (kind) {
    case Kind::Exam:
        return {u"考试"_s, exam.strTitle,
                u"限时 %1 分钟%2"_s.arg(exam.nMinutes)
                    .arg(exam.bBackspaceAllowed ? QString() : u",不能用 Backspace"_s),
                bSat ? u"已考过,可以重考"_s : u"可以开始"_s};
    case Kind::Assignment:
        return {u"作业"_s,
                assignment.assignment.strTitle + u":"_s + assignment.assignment.TaskText(),
                assignment.assignment.TargetText() + u","_s + assignment.assignment.DaysText(),
                assignment.status.Text()};
    case Kind::Smart:
        return {u"练习"_s,
                (bChinese ? u"智能练习:多练最费键的字 %1"_s : u"智能练习:多练最弱的键 %1"_s)
                    .arg(weak.join(u"、"_s)),
                u"一屏"_s, u"可以开始"_s};
    default: {
        const CCourse& course = CoursePlan::Course(strCourse);
        const CLesson* lesson = course.Lesson(nLesson);
        return {u"课程"_s,
                u"%1 第 %2 课 %3"_s.arg(course.strTitle)
                    .arg(nLesson)
                    .arg(lesson ? lesson->strTitle : QString()),
                u"正确率 %1% 速度 %2 %3/分"_s.arg(targets.nAccuracy)
                    .arg(targets.nSpeed)
                    .arg(course.UnitOf(nLesson)),
                u"下一课"_s};
    }
    }
}

bool CToday::HasWork(const QDate& today) const
{
    return std::any_of(tasks.begin(), tasks.end(), [&today](const CTodayTask& task) {
        if (task.kind == CTodayTask::Kind::Exam)
            return !task.bSat;
        return task.kind == CTodayTask::Kind::Assignment && task.assignment.IsWorkOn(today);
    });
}

CToday LoadToday(CDaoDatabase& db, const CAccount& pupil)
{
    CToday result;
    QList<CTodayTask> retakes;
    for (const CExam& exam : ExamStore::OpenExamsOf(db, pupil.strClass)) {
        if (ExamStore::CanSit(db, exam, pupil.nKey)) {
            CTodayTask task;
            task.kind = CTodayTask::Kind::Exam;
            task.exam = exam;
            task.bSat = ExamStore::CountOwnSittings(db, exam.nId, pupil.nKey) > 0;
            (task.bSat ? retakes : result.tasks).append(task);
        }
    }
    QList<CTodayTask> done;
    for (const CAssignmentEntry& entry : AssignmentStore::OwnAssignments(
             db, pupil.strClass, pupil.nKey, Platform().CurrentDateTime().date())) {
        CTodayTask task;
        task.assignment = entry;
        (entry.IsDone() ? done : result.tasks).append(task);
    }
    result.goal = DailyGoal::LoadProgress(db, pupil.nKey, pupil.strClass,
                                          Platform().CurrentDateTime().date());
    result.tasks += NextLessons(db, pupil);
    // 智能练习 on each side with something weak.
    CTodayTask smart;
    smart.kind = CTodayTask::Kind::Smart;
    smart.weak = SmartDrill::Names(SmartDrill::WeakKeys(SmartDrill::RecentKeys(db, pupil.nKey)));
    if (!smart.weak.isEmpty())
        result.tasks.append(smart);
    smart.bChinese = true;
    smart.weak =
        SmartDrill::Names(SmartDrill::WeakCharacters(SmartDrill::RecentCharacters(db, pupil.nKey)));
    if (!smart.weak.isEmpty())
        result.tasks.append(smart);
    result.tasks += retakes;
    result.tasks += done;
    result.recent = LoadAttempts(db, pupil.nKey, {}, RecentResults);
    return result;
}

QStringList RecentRow(const CAttemptSummary& attempt)
{
    // A lesson by its name, a text, drill or exam by its title, one of the
    // four practices by its kind.
    const bool bFile = attempt.strText.isEmpty() || attempt.strText.endsWith(u".txt"_s);
    const QString what = !attempt.strLabel.isEmpty() ? attempt.strLabel
                         : bFile ? Metrics::KindName(attempt.nKind) + u"练习"_s
                                 : attempt.strText;
    return {attempt.startedAt.toString(u"M月d日 HH:mm"_s), what, attempt.SpeedText(),
            Metrics::AccuracyText(attempt.nCorrectUnits, attempt.nTypedUnits)};
}
