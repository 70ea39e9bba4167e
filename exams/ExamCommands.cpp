#include "exams/ExamCommands.h"

#include "attempts/PendingResults.h"
#include "exams/ExamsDlg.h"
#include "exams/TakeExamDlg.h"
#include "platform/Platform.h"
#include "practice/QeView.h"
#include "res/CommandIds.h"
#include "users/CurrentUser.h"
#include "users/Database.h"

namespace {

constexpr int PendingInterval = 60 * 1000;

} // namespace

CExamCommands::CExamCommands()
{
    m_pendingTimer.setInterval(PendingInterval);
    QObject::connect(&m_pendingTimer, &QTimer::timeout, &m_pendingTimer,
                     [] { StorePendingResults(); });
}

void CExamCommands::SetView(CQeView* pView)
{
    m_pView = pView;
    m_pendingTimer.start();
}

void CExamCommands::StorePendingResults()
{
    if (CDaoDatabase* db = ActiveDatabase())
        PendingResults::Flush(*db);
}

bool CExamCommands::OnCmdMsg(int nID)
{
    switch (nID) {
    case ID_TEACHING_EXAMS:
        OnExams();
        return true;
    case ID_TEACHING_TAKE_EXAM:
        OnTakeExam();
        return true;
    default:
        return false;
    }
}

bool CExamCommands::HasCommandHandler(int nID) const
{
    return nID == ID_TEACHING_EXAMS || nID == ID_TEACHING_TAKE_EXAM;
}

bool CExamCommands::OnUpdateCmdUI(CCmdUI& cmdUI)
{
    switch (cmdUI.m_nID) {
    case ID_TEACHING_EXAMS:
        cmdUI.Enable(CurrentUser.KindCode == UserKind::Super);
        return true;
    case ID_TEACHING_TAKE_EXAM:
        cmdUI.Enable(CurrentUser.KindCode == UserKind::Ordinary);
        return true;
    default:
        return false;
    }
}

void CExamCommands::OnExams()
{
    if (!CommandGuard())
        return;
    CExamsDlg exams;
    exams.DoModal();
}

void CExamCommands::OnTakeExam()
{
    if (!CommandGuard())
        return;
    StorePendingResults();
    CTakeExamDlg take;
    if (take.DoModal() != IDOK || !m_pView)
        return;
    const CExam& exam = take.ChosenExam();
    const CPracticeText& text = take.ChosenText();
    CPracticeScreen screen;
    screen.nKind = text.nKind;
    screen.text = text.FileBytes();
    screen.nScreen = exam.nScreen;
    screen.strTitle = exam.strTitle;
    screen.nTextId = text.nId;
    screen.nExamId = exam.nId;
    screen.nTimeLimitSeconds = exam.nMinutes * 60;
    screen.bBackspaceAllowed = exam.bBackspaceAllowed;
    m_pView->LoadScreen(screen);
}
