#include "course/LessonEnding.h"

#include "attempts/PracticeKind.h"
#include "course/LessonResultDlg.h"
#include "platform/Platform.h"
#include "users/CurrentUser.h"
#include "users/Database.h"

#include <QGuiApplication>

using namespace Qt::Literals::StringLiterals;

namespace LessonEnding {

CLessonAttempt NewAttempt(const CCourse& course, int lesson, qint64 elapsedMs,
                          const QDateTime& startedAt, const CKeyCounts& keysAtStart)
{
    CLessonAttempt attempt;
    attempt.nUserKey = CurrentUser.RowKey;
    attempt.strUserName = CurrentUser.Name;
    attempt.strClass = CurrentUser.Class;
    attempt.strStudentNo = CurrentUser.StudentNo;
    attempt.strCourse = course.strId;
    attempt.nLesson = lesson;
    attempt.nElapsedMs = elapsedMs;
    attempt.endedAt = Platform().CurrentDateTime();
    attempt.startedAt = startedAt.isValid() ? startedAt : attempt.endedAt;
    if (CKeyPressCounter::Application().IsAvailable()) {
        const CKeyCounts keys = CKeyPressCounter::Application().Counts() - keysAtStart;
        attempt.nKeyPresses = int(keys.nPresses);
        attempt.nBackspacePresses = int(keys.nBackspaces);
    }
    return attempt;
}

CLessonRecord Keep(const CCourse& course, const CLessonAttempt& attempt)
{
    try {
        return CourseStore::RecordLesson(ActiveDatabase(), course, attempt,
                                         CurrentUser.IsOrdinaryLogin());
    } catch (const CDaoException& e) {
        ReportDaoError(e);
        CLessonRecord record = CourseStore::RecordLesson(nullptr, course, attempt, false);
        record.bNextOpen = false;
        return record;
    }
}

int ShowResult(const CCourse& course, const CLessonRecord& record, QWidget* parent)
{
    CLessonResultDlg result(course, record, CurrentUser.IsOrdinaryLogin() && ActiveDatabase(),
                            parent);
    return result.DoModal();
}

LiveProgress::CReport Report(const CCourse& course, int lesson, int screenUnits, int typedUnits,
                             int correctUnits, qint64 elapsedMs, qint64 idleMs, int endReason)
{
    LiveProgress::CReport report;
    report.nActivity = LiveProgress::Lesson;
    report.nKind = PracticeKind::Lesson;
    report.strLabel = u"%1 第%2课"_s.arg(course.strTitle).arg(lesson);
    report.nScreenUnits = screenUnits;
    report.nTypedUnits = typedUnits;
    report.nCorrectUnits = correctUnits;
    report.nElapsedMs = elapsedMs;
    report.nIdleMs = idleMs;
    report.bFocusLost = QGuiApplication::applicationState() != Qt::ApplicationActive;
    report.nEndReason = endReason;
    return report;
}

} // namespace LessonEnding
