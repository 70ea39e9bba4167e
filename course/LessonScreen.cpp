#include "course/LessonScreen.h"

#include "attempts/Attempt.h"
#include "attempts/PracticeKind.h"
#include "attempts/ResultStore.h"
#include "course/LessonResult.h"
#include "platform/Platform.h"
#include "users/Database.h"
#include "users/Session.h"

#include <QGuiApplication>

using namespace Qt::Literals::StringLiterals;

CLessonScreen::CLessonScreen(const CSession& session, const CCourse& course, int lesson,
                             QWidget* parent)
    : QWidget(parent), m_session(session), m_course(course), m_nLesson(lesson), m_reporter(session),
      m_pResult(new CResultSheet(this))
{
    SetOut();
}

CLessonScreen::~CLessonScreen()
{
    // A lesson left unfinished: the program is idle again.
    LiveProgress::CReport idle;
    idle.nActivity = LiveProgress::LoggedIn;
    m_reporter.Finish(idle);
}

void CLessonScreen::OnStarted()
{
    m_startedAt = Platform().CurrentDateTime();
    CResultStore(m_session).BeginAttempt();
    m_reporter.Start([this] { return LiveReport(0); });
}

void CLessonScreen::SetOut()
{
    m_startedAt = QDateTime();
    m_keysAtStart = CKeyPressCounter::Application().Counts();
}

void CLessonScreen::Leave(bool bAsk)
{
    if (bAsk && AfxMessageBox(u"要离开这一课吗?这一次的练习不会保存。"_s,
                              MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    if (m_leave)
        m_leave();
}

CLessonAttempt CLessonScreen::NewAttempt(qint64 elapsedMs) const
{
    CLessonAttempt attempt;
    const CAccount pupil = m_session.Account();
    attempt.nUserKey = pupil.nKey;
    attempt.strUserName = pupil.strName;
    attempt.strClass = pupil.strClass;
    attempt.strStudentNo = pupil.strStudentNo;
    attempt.strCourse = m_course.strId;
    attempt.nLesson = m_nLesson;
    attempt.strUnit = m_course.UnitOf(m_nLesson);
    attempt.nElapsedMs = elapsedMs;
    attempt.endedAt = Platform().CurrentDateTime();
    attempt.startedAt = m_startedAt.isValid() ? m_startedAt : attempt.endedAt;
    if (CKeyPressCounter::Application().IsAvailable()) {
        const CKeyCounts keys = CKeyPressCounter::Application().Counts() - m_keysAtStart;
        attempt.nKeyPresses = int(keys.nPresses);
        attempt.nBackspacePresses = int(keys.nBackspaces);
    }
    return attempt;
}

void CLessonScreen::End(const CLessonAttempt& attempt, std::function<void(CLessonRecord&)> add)
{
    m_reporter.Finish(LiveReport(EndReason::EndOfScreen));
    if (!m_session.IsOwnLogin() || !m_session.Database()) {
        Show(CourseStore::RecordLesson(nullptr, m_course, attempt, false), add);
        return;
    }
    // The thresholds, the store and the progress after it are the worker's;
    // the keys wait for the result meanwhile.
    m_bRecording = true;
    m_session.Ask<CLessonRecord>(
        this,
        [course = m_course, attempt](CDaoDatabase& own) {
            return CourseStore::RecordLesson(&own, course, attempt, true);
        },
        [this, add](CLessonRecord record) { Show(std::move(record), add); },
        [this, attempt, add](const CDaoException& e) {
            ReportDaoError(e);
            CLessonRecord record = CourseStore::RecordLesson(nullptr, m_course, attempt, false);
            record.bNextOpen = false;
            Show(std::move(record), add);
        });
}

void CLessonScreen::Show(CLessonRecord record, const std::function<void(CLessonRecord&)>& add)
{
    m_bRecording = false;
    m_record = std::move(record);
    m_record->goal = m_goal;
    if (add)
        add(*m_record);
    enum Step { Next, Again, Back };
    const bool next = m_record->bNextOpen && !m_record->bLastLesson;
    QList<CResultPanel::CStep> steps(Back + 1);
    steps[Next] = {u"下一课(N)"_s,
                   [this] {
                       if (m_openLesson)
                           m_openLesson(m_nLesson + 1);
                   },
                   next};
    steps[Again] = {u"再练一次(R)"_s, [this] {
                        m_pResult->Close();
                        Restart();
                    }};
    steps[Back] = {u"返回(C)"_s, [this] {
                       if (m_leave)
                           m_leave();
                   }};
    const bool own = m_session.IsOwnLogin();
    m_pResult->Show(LessonResult::Stars(*m_record),
                    m_record->attempt.nStars > 0 ? QColor(0xf9, 0xa8, 0x25)
                                                 : QColor(0xc6, 0x28, 0x28),
                    LessonResult::Summary(m_course, *m_record, own && m_session.Database()),
                    std::move(steps), next ? Next : Again, Back);
}

bool CLessonScreen::ResultTakes(std::optional<CTypingInput::Key> key)
{
    if (m_bRecording)
        return true;
    if (!m_pResult->IsShown())
        return false;
    if (key == CTypingInput::Key::Enter)
        m_pResult->OnKey('\r');
    else if (key == CTypingInput::Key::Escape)
        m_pResult->OnKey(0x1b);
    return true;
}

LiveProgress::CReport CLessonScreen::Report(int screenUnits, int typedUnits, int correctUnits,
                                            qint64 elapsedMs, qint64 idleMs, int endReason) const
{
    LiveProgress::CReport report;
    report.nActivity = LiveProgress::Lesson;
    report.nKind = PracticeKind::Lesson;
    report.strLabel = u"%1 第%2课"_s.arg(m_course.strTitle).arg(m_nLesson);
    report.nScreenUnits = screenUnits;
    report.nTypedUnits = typedUnits;
    report.nCorrectUnits = correctUnits;
    report.nElapsedMs = elapsedMs;
    report.nIdleMs = idleMs;
    report.bFocusLost = QGuiApplication::applicationState() != Qt::ApplicationActive;
    report.nEndReason = endReason;
    return report;
}
