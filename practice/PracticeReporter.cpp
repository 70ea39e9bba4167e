#include "practice/PracticeReporter.h"

#include "attempts/Metrics.h"
#include "attempts/ResultStore.h"
#include "practice/AttemptRecorder.h"
#include "practice/LargeScreen.h"
#include "practice/PracticeState.h"
#include "practice/QeDoc.h"
#include "users/Session.h"

#include <QGuiApplication>

using namespace Qt::Literals::StringLiterals;

void CPracticeReporter::Start()
{
    CResultStore(m_login).BeginAttempt();
    m_live.Start([this] { return Report(0); });
}

void CPracticeReporter::Finish(int endReason)
{
    m_live.Finish(Report(endReason));
}

void CPracticeReporter::Idle()
{
    LiveProgress::CReport idle;
    idle.nActivity = LiveProgress::LoggedIn;
    m_live.Finish(idle);
}

LiveProgress::CReport CPracticeReporter::Report(int endReason) const
{
    const std::optional<CPracticeScreen>& screen = m_large.Screen();
    LiveProgress::CReport report;
    report.nActivity = LiveProgress::Practice;
    report.nKind = CurrentPracticeKind;
    report.strLabel =
        screen ? screen->strTitle : Metrics::KindName(CurrentPracticeKind) + u"练习"_s;
    // The progress is of what there is to type: a short text fills only
    // part of the screen.
    report.nScreenUnits = m_doc.TextUnits(CurrentPracticeKind == PracticeKind::Chinese);
    report.nTypedUnits = qMax(TypedCount, 0);
    report.nCorrectUnits = qMax(CorrectCount, 0);
    report.nElapsedMs = m_recorder.ElapsedMs();
    report.nIdleMs = m_recorder.IdleMs();
    report.bFocusLost = QGuiApplication::applicationState() != Qt::ApplicationActive;
    report.nEndReason = endReason;
    m_large.Exam().AddToReport(report, m_doc, m_session, CurrentPracticeKind);
    return report;
}
