#include "texts/TextCommands.h"

#include "platform/Platform.h"
#include "practice/QeView.h"
#include "res/CommandIds.h"
#include "texts/ChooseTextDlg.h"
#include "texts/Drill.h"
#include "texts/DrillDlg.h"
#include "texts/TextLibraryDlg.h"
#include "texts/TextScreens.h"
#include "users/Session.h"

using namespace Qt::Literals::StringLiterals;

CTextCommands::CTextCommands(const CSession& session) : m_session(session)
{
    const auto pupil = [&session] { return session.IsPupil(); };
    SetCommands({
        {ID_TEACHING_TEXTS, session.Guarded([&session] { CTextLibraryDlg(session).DoModal(); }),
         [&session] { return session.IsTeacher(); }},
        {ID_TEACHING_CHOOSE_TEXT, session.Guarded([this] { OnChooseText(); }), [] { return true; }},
        {ID_TEACHING_DRILL, session.Guarded([this] { OnDrill(); }), pupil},
    });
}

void CTextCommands::OnChooseText()
{
    CChooseTextDlg choose(m_session);
    if (choose.DoModal() != IDOK || !m_pView)
        return;
    m_pView->LoadScreen(TextScreen(choose.ChosenText(), choose.ChosenScreen()));
}

void CTextCommands::OnDrill()
{
    CDrillDlg drill(m_session, m_session.Account().nKey,
                    quint32(Platform().MonotonicMilliseconds()));
    if (drill.DoModal() != IDOK || !m_pView)
        return;
    m_pView->LoadScreen(DrillScreen(drill.Kind(), drill.ScreenText(), Drill::Title));
}
