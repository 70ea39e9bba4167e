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

CTextCommands::CTextCommands()
{
    SetCommands({
        {ID_TEACHING_TEXTS, [this] { OnTexts(); },
         [] { return CurrentUser.KindCode == UserKind::Super; }},
        {ID_TEACHING_CHOOSE_TEXT, [this] { OnChooseText(); }, [] { return true; }},
        {ID_TEACHING_DRILL, [this] { OnDrill(); },
         [] { return CurrentUser.KindCode == UserKind::Ordinary; }},
        {ID_TEACHING_SMART, [this] { OnSmartDrill(); },
         [] { return CurrentUser.KindCode == UserKind::Ordinary; }},
    });
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
    m_pView->LoadScreen(DrillScreen(drill.Kind(), drill.ScreenText(), Drill::Title));
}

void CTextCommands::OnSmartDrill()
{
    CDaoDatabase* db = GuardedDatabase();
    if (!db || !m_pView)
        return;
    // The side the pupil practised last.
    CPracticeScreen screen;
    try {
        screen = SmartDrillScreen(*db, CurrentUser.RowKey,
                                  SmartDrill::LatestWasChinese(*db, CurrentUser.RowKey),
                                  quint32(Platform().MonotonicMilliseconds()));
    } catch (const CDaoException& e) {
        ReportDaoError(e);
        return;
    }
    m_pView->LoadScreen(screen);
}
