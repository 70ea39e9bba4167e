#include "practice/QeView.h"

#include "platform/Platform.h"
#include "practice/PracticeState.h"
#include "practice/QeDoc.h"
#include "practice/ResultDlg.h"
#include "users/Session.h"

// The end of a practice: the result stored or sent, and what the live view
// is told meanwhile.

void CQeView::EndPractice()
{
    m_bEnding = true;
    if (IPracticeClock* clock = m_services.pClock)
        clock->StopClock();
    const CAttempt attempt =
        m_recorder.Finish(*m_pDocument, m_session, CSession::Instance().Account());
    m_reporter.Finish(attempt.nEndReason);
    // A text, a drill, an assignment's text or an exam ends on its own
    // screen; the four practices in the result dialog.
    if (m_large.End(attempt, m_recorder.FocusLosses())) {
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
