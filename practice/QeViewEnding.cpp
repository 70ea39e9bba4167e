#include "practice/QeView.h"

#include "attempts/Metrics.h"
#include "platform/MainWindow.h"
#include "platform/Platform.h"
#include "practice/PracticeState.h"
#include "practice/QeDoc.h"
#include "practice/ResultDlg.h"
#include "practice/ScreenCells.h"
#include "users/CurrentUser.h"

#include <QGuiApplication>

using namespace Qt::Literals::StringLiterals;

// The view's exam sittings and the end of a practice: the start of a
// sitting recorded before its screen shows, the result stored or sent, and
// what the live view is told meanwhile.

LiveProgress::CReport CQeView::LiveReport(int endReason) const
{
    LiveProgress::CReport report;
    report.nActivity = m_exam ? LiveProgress::Exam : LiveProgress::Practice;
    report.nKind = CurrentPracticeKind;
    report.nExamId = m_exam ? m_exam->nExamId : 0;
    report.strLabel = m_exam     ? m_exam->strTitle
                      : m_screen ? m_screen->strTitle
                                 : Metrics::KindName(CurrentPracticeKind) + u"练习"_s;
    // The progress is of what there is to type: a short text fills only
    // part of the screen.
    report.nScreenUnits = m_pDocument->TextUnits(CurrentPracticeKind == PracticeKind::Chinese);
    report.nTypedUnits = qMax(TypedCount, 0);
    report.nCorrectUnits = qMax(CorrectCount, 0);
    report.nElapsedMs = m_recorder.ElapsedMs();
    report.nIdleMs = m_recorder.IdleMs();
    report.bFocusLost = QGuiApplication::applicationState() != Qt::ApplicationActive;
    report.nEndReason = endReason;
    if (m_exam && endReason == 0) {
        // The server sees the exam's cells arrive while it runs.
        const CScreenCells typed = TypedCells(*m_pDocument, m_session, CurrentPracticeKind);
        report.strSittingUid = m_exam->strUid;
        report.sittingCells = typed.hex;
        report.sittingTexts = typed.texts;
        report.nRowCells =
            CurrentPracticeKind == PracticeKind::Chinese ? CQeDoc::Cells : CQeDoc::Columns;
    }
    return report;
}

bool CQeView::BeginExamSitting()
{
    // An exam's screen stays blank until the database recorded the
    // sitting's start: a pupil can neither read the text before the clock
    // runs nor start without the database knowing.
    if (!m_screen || m_screen->nExamId == 0 || m_exam)
        return true;
    std::optional<CExamSitting> sitting;
    if (m_pExamHost)
        sitting = m_pExamHost->BeginSitting(m_screen->nExamId);
    if (!sitting) {
        ShowCredits();
        return false;
    }
    m_exam = std::move(sitting);
    LoadScreenCells(*m_pDocument, m_screen->nKind, m_exam->screenCells);
    update();
    return true;
}

void CQeView::StopReporting()
{
    // A practice left unfinished: the program is idle again.
    LiveProgress::CReport idle;
    idle.nActivity = LiveProgress::LoggedIn;
    m_reporter.Finish(idle);
}

void CQeView::EndPractice()
{
    m_bEnding = true;
    if (IPracticeClock* clock = m_services.pClock)
        clock->StopClock();
    const CAttempt attempt = m_recorder.Finish(*m_pDocument, m_session);
    m_reporter.Finish(LiveReport(attempt.nEndReason));
    if (m_exam) {
        // An exam's figures are the database's: it is sent what was typed.
        const CExamSitting sitting = *m_exam;
        const CScreenCells typed = TypedCells(*m_pDocument, m_session, CurrentPracticeKind);
        CSittingResult sent;
        sent.strUid = sitting.strUid;
        sent.nExamId = sitting.nExamId;
        sent.nUserKey = sitting.nUserKey;
        sent.typedCells = typed.hex;
        sent.typedTexts = typed.texts;
        sent.nBackspaces = attempt.nBackspaces;
        sent.nEndReason = attempt.nEndReason;
        sent.nFocusLosses = m_recorder.FocusLosses();
        sent.nKeyMedianMs = attempt.nKeyMedianMs;
        sent.nKeySpreadMs = attempt.nKeySpreadMs;
        sent.nKeyPresses = attempt.nKeyPresses;
        sent.nBackspacePresses = attempt.nBackspacePresses;
        sent.detail = attempt.detail;
        if (m_pExamHost)
            m_pExamHost->EndSitting(sitting, sent);
        m_file.close();
        ShowCredits();
        m_bEnding = false;
        // Not when the pupil is leaving for something else.
        if (attempt.nEndReason != EndReason::Left)
            OnResultSeen();
        return;
    }
    if (m_screen) {
        // A text, a drill or an assignment's text shows its result on its
        // own screen.
        m_figureTimer.stop();
        ShowLargeResult(attempt);
        m_file.close();
        m_bEnding = false;
        return;
    }
    CResultDlg result;
    result.m_pAttempt = &attempt;
    result.DoModal();
    m_file.close();
    ShowCredits();
    m_bEnding = false;
}

void CQeView::LeaveRunningExam()
{
    if (!m_exam || !m_session.IsRunning() || m_bEnding)
        return;
    m_recorder.OnEnd(EndReason::Left);
    EndPractice();
}
