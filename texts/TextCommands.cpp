#include "texts/TextCommands.h"

#include "attempts/PracticeKind.h"
#include "platform/Platform.h"
#include "practice/QeView.h"
#include "res/CommandIds.h"
#include "texts/ChooseTextDlg.h"
#include "texts/Drill.h"
#include "texts/DrillDlg.h"
#include "texts/SmartDrill.h"
#include "texts/TextLibraryDlg.h"
#include "users/Session.h"

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

CPracticeScreen DrillScreen(int kind, const QByteArray& text, const QString& title)
{
    CPracticeScreen practice;
    practice.nKind = kind;
    practice.text = text;
    practice.strTitle = title;
    return practice;
}

CPracticeScreen SmartDrillScreen(CDaoDatabase& db, qint64 userKey, bool bChinese, quint32 seed)
{
    QStringList weak;
    QByteArray text;
    if (bChinese) {
        const QList<SmartDrill::CCharRecord> characters = SmartDrill::RecentCharacters(db, userKey);
        weak = SmartDrill::Names(SmartDrill::WeakCharacters(characters));
        text = SmartDrill::ChineseScreen(characters, SmartDrill::Sentences(), seed);
    } else {
        const QList<CKeyFigures> keys = SmartDrill::RecentKeys(db, userKey);
        weak = SmartDrill::Names(SmartDrill::WeakKeys(keys));
        text = SmartDrill::EnglishScreen(keys, SmartDrill::Words(), seed);
    }
    CPracticeScreen screen = DrillScreen(bChinese ? PracticeKind::Chinese : PracticeKind::English,
                                         text, SmartDrill::Title);
    // The card names what the screen trains.
    if (!weak.isEmpty())
        screen.strAim = u"这一屏多练这些%1:%2"_s.arg(bChinese ? u"字"_s : u"键"_s, weak.join(u' '));
    else
        screen.strAim = bChinese ? u"还没有哪个字特别难打,这一屏是常用的句子"_s
                                 : u"还没有哪个键特别难按,这一屏各个键一样多"_s;
    return screen;
}

CTextCommands::CTextCommands(const CSession& session) : m_session(session)
{
    const auto pupil = [&session] { return session.IsPupil(); };
    SetCommands({
        {ID_TEACHING_TEXTS, session.Guarded([&session] { CTextLibraryDlg(session).DoModal(); }),
         [&session] { return session.IsTeacher(); }},
        {ID_TEACHING_CHOOSE_TEXT, session.Guarded([this] { OnChooseText(); }), [] { return true; }},
        {ID_TEACHING_DRILL, session.Guarded([this] { OnDrill(); }), pupil},
        {ID_TEACHING_SMART, [this] { OnSmartDrill(); }, pupil},
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

void CTextCommands::OnSmartDrill()
{
    if (!m_pView)
        return;
    // The side the pupil practised last.
    CPracticeScreen screen;
    const qint64 userKey = m_session.Account().nKey;
    if (m_session.OnDatabase([&screen, userKey](CDaoDatabase& db) {
            screen = SmartDrillScreen(db, userKey, SmartDrill::LatestWasChinese(db, userKey),
                                      quint32(Platform().MonotonicMilliseconds()));
        }))
        m_pView->LoadScreen(screen);
}
