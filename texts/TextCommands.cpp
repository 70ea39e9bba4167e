#include "texts/TextCommands.h"

#include "platform/Platform.h"
#include "practice/QeView.h"
#include "res/CommandIds.h"
#include "texts/ChooseTextDlg.h"
#include "texts/Drill.h"
#include "texts/DrillDlg.h"
#include "texts/TextLibraryDlg.h"
#include "users/CurrentUser.h"
#include "users/Database.h"

using namespace Qt::Literals::StringLiterals;

CPracticeScreen TextScreen(const CPracticeText& text, int screen)
{
    CPracticeScreen practice;
    practice.nKind = text.nKind;
    practice.text = text.FileBytes();
    practice.nScreen = screen;
    practice.strTitle = text.strTitle;
    practice.nTextId = text.nId;
    return practice;
}

CPracticeScreen DrillScreen(int kind, const QByteArray& text)
{
    CPracticeScreen practice;
    practice.nKind = kind;
    practice.text = text;
    practice.strTitle = Drill::Title;
    return practice;
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
    default:
        return false;
    }
}

bool CTextCommands::HasCommandHandler(int nID) const
{
    return nID == ID_TEACHING_TEXTS || nID == ID_TEACHING_CHOOSE_TEXT || nID == ID_TEACHING_DRILL;
}

bool CTextCommands::OnUpdateCmdUI(CCmdUI& cmdUI)
{
    switch (cmdUI.m_nID) {
    case ID_TEACHING_TEXTS:
        cmdUI.Enable(CurrentUser.KindCode == UserKind::Super);
        return true;
    case ID_TEACHING_DRILL:
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

void CTextCommands::OnChooseText()
{
    if (!CommandGuard())
        return;
    CChooseTextDlg choose;
    if (choose.DoModal() != IDOK || !m_pView)
        return;
    m_pView->LoadScreen(TextScreen(choose.ChosenText(), choose.ChosenScreen()));
}

void CTextCommands::OnDrill()
{
    if (!CommandGuard())
        return;
    CDrillDlg drill(CurrentUser.RowKey, quint32(Platform().MonotonicMilliseconds()));
    if (drill.DoModal() != IDOK || !m_pView)
        return;
    m_pView->LoadScreen(DrillScreen(drill.Kind(), drill.ScreenText()));
}
