#include "teaching/TextCommands.h"

#include "attempts/PendingResults.h"
#include "platform/Platform.h"
#include "practice/QeView.h"
#include "res/CommandIds.h"
#include "teaching/ChooseTextDlg.h"
#include "teaching/DrillDlg.h"
#include "teaching/ExamsDlg.h"
#include "teaching/TakeExamDlg.h"
#include "teaching/TextLibraryDlg.h"
#include "users/CurrentUser.h"
#include "users/Database.h"

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int PendingInterval = 60 * 1000;

} // namespace

CTextCommands::CTextCommands()
{
    m_pendingTimer.setInterval(PendingInterval);
    QObject::connect(&m_pendingTimer, &QTimer::timeout, &m_pendingTimer,
                     [] { StorePendingResults(); });
}

void CTextCommands::SetView(CQeView* pView)
{
    m_pView = pView;
    m_pendingTimer.start();
}

void CTextCommands::StorePendingResults()
{
    if (CDaoDatabase* db = ActiveDatabase())
        PendingResults::Flush(*db);
}

bool CTextCommands::OnCmdMsg(int nID)
{
    switch (nID) {
    case ID_TEACHING_TEXTS:
        OnTexts();
        return true;
    case ID_TEACHING_CHOOSE_TEXT:
        OnChooseText();
        return true;
    case ID_TEACHING_DRILL:
        OnDrill();
        return true;
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

bool CTextCommands::HasCommandHandler(int nID) const
{
    switch (nID) {
    case ID_TEACHING_TEXTS:
    case ID_TEACHING_CHOOSE_TEXT:
    case ID_TEACHING_DRILL:
    case ID_TEACHING_EXAMS:
    case ID_TEACHING_TAKE_EXAM:
        return true;
    default:
        return false;
    }
}

bool CTextCommands::OnUpdateCmdUI(CCmdUI& cmdUI)
{
    switch (cmdUI.m_nID) {
    case ID_TEACHING_TEXTS:
    case ID_TEACHING_EXAMS:
        cmdUI.Enable(CurrentUser.KindCode == UserKind::Super);
        return true;
    case ID_TEACHING_DRILL:
    case ID_TEACHING_TAKE_EXAM:
        cmdUI.Enable(CurrentUser.KindCode == UserKind::Ordinary);
        return true;
    case ID_TEACHING_CHOOSE_TEXT:
        cmdUI.Enable(true);
        return true;
    default:
        return false;
    }
}

void CTextCommands::OnTexts()
{
    if (!CommandGuard())
        return;
    CTextLibraryDlg library;
    library.DoModal();
}

void CTextCommands::OnExams()
{
    if (!CommandGuard())
        return;
    CExamsDlg exams;
    exams.DoModal();
}

void CTextCommands::OnChooseText()
{
    if (!CommandGuard())
        return;
    CChooseTextDlg choose;
    if (choose.DoModal() != IDOK || !m_pView)
        return;
    const CPracticeText& text = choose.ChosenText();
    CPracticeScreen screen;
    screen.nKind = text.nKind;
    screen.text = text.FileBytes();
    screen.nScreen = choose.ChosenScreen();
    screen.strTitle = text.strTitle;
    screen.nTextId = text.nId;
    m_pView->LoadScreen(screen);
}

void CTextCommands::OnDrill()
{
    if (!CommandGuard())
        return;
    CDrillDlg drill(CurrentUser.RowKey, quint32(Platform().MonotonicMilliseconds()));
    if (drill.DoModal() != IDOK || !m_pView)
        return;
    CPracticeScreen screen;
    screen.nKind = drill.Kind();
    screen.text = drill.ScreenText();
    screen.strTitle = u"练习我的错字"_s;
    m_pView->LoadScreen(screen);
}

void CTextCommands::OnTakeExam()
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
