#pragma once

#include "platform/CommandMap.h"
#include "practice/PracticeScreen.h"

#include <QByteArray>

class CDaoDatabase;
class CQeView;
class CSession;
struct CPracticeText;

// A screen of a library text, and a drill's screenful of a kind, as the
// view loads them.
CPracticeScreen TextScreen(const CPracticeText& text, int screen);
CPracticeScreen DrillScreen(int kind, const QByteArray& text, const QString& title);
// A 智能练习 screen for the user from their recent attempts: Chinese or the
// English side. Throws CDaoException.
CPracticeScreen SmartDrillScreen(CDaoDatabase& db, qint64 userKey, bool bChinese, quint32 seed);

// The commands of the menu 教学(&J) around texts: the teacher's library
// (练习文章), a text's screen to practise (选择练习文章), a drill on one's
// own mistakes (练习我的错字) and a screen made from one's weak keys (智能练习). The practices are
// loaded into the view.
class CTextCommands : public CCommandMap
{
public:
    explicit CTextCommands(const CSession& session);
    // The view the practices go to.
    void SetView(CQeView* pView) { m_pView = pView; }

private:
    void OnChooseText();
    void OnDrill();
    void OnSmartDrill();

    const CSession& m_session;
    CQeView* m_pView = nullptr;
};
