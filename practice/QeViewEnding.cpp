#include "practice/QeView.h"

#include "attempts/Metrics.h"
#include "platform/MainWindow.h"
#include "platform/Platform.h"
#include "practice/PracticeState.h"
#include "practice/QeDoc.h"
#include "practice/ResultDlg.h"

using namespace Qt::Literals::StringLiterals;

// The end of a practice: the result stored or sent, and what the live view
// is told meanwhile.

void CQeView::EndPractice()
{
    m_bEnding = true;
    if (IPracticeClock* clock = m_services.pClock)
        clock->StopClock();
    const CAttempt attempt = m_recorder.Finish(*m_pDocument, m_session);
    m_reporter.Finish(attempt.nEndReason);
    if (m_large.Exam().IsRunning()) {
        // An exam's figures are the database's: it is sent what was typed,
        // and its result shows over the screen typed.
        const CSittingShown shown = m_large.Exam().Send(
            *m_pDocument, m_session, CurrentPracticeKind, attempt, m_recorder.FocusLosses());
        m_file.close();
        m_bEnding = false;
        if (attempt.nEndReason == EndReason::Left) {
            // The pupil is leaving for something else: told in a box.
            ShowCredits();
            AfxMessageBox(shown.strHeading + u"\n"_s + shown.lines.join(u'\n'),
                          MB_OK | MB_ICONINFORMATION);
            return;
        }
        m_large.ShowSitting(shown);
        return;
    }
    if (m_large.Screen()) {
        // A text, a drill or an assignment's text shows its result on its
        // own screen.
        m_large.ShowResult(attempt);
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
    if (!m_large.Exam().IsRunning() || !m_session.IsRunning() || m_bEnding)
        return;
    m_recorder.OnEnd(EndReason::Left);
    EndPractice();
}
