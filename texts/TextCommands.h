#pragma once

#include "platform/CommandMap.h"

class CQeView;
class CSession;

// The commands of the menu 教学(&J) around texts: the teacher's library
// (练习文章), a text's screen to practise (选择练习文章) and a drill on one's
// own mistakes (练习我的错字). The practices are loaded into the view.
class CTextCommands : public CCommandMap
{
public:
    explicit CTextCommands(const CSession& session);
    // The view the practices go to.
    void SetView(CQeView* pView) { m_pView = pView; }

private:
    void OnChooseText();
    void OnDrill();

    const CSession& m_session;
    CQeView* m_pView = nullptr;
};
