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
    screen.strTitle = Drill::Title;
    m_pView->LoadScreen(screen);
}
