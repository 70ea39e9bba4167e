#pragma once

#include "platform/CommandMap.h"

#include <optional>

class CQeView;
class CSession;

// The commands of the menu 教学(&J) that coach from the keys: a pupil's own
// weak keys (我的弱项), a class's (班级弱项, for teachers) and the screen
// made of one's weak keys or characters (智能练习), loaded into the view.
class CCoachingCommands : public CCommandMap
{
public:
    explicit CCoachingCommands(const CSession& session);
    // The view the practices go to.
    void SetView(CQeView* pView) { m_pView = pView; }

private:
    void OnSmartDrill();

    const CSession& m_session;
    CQeView* m_pView = nullptr;
};

// Loads a 智能练习 screen into view, read and made on the session's worker:
// of the side given (Chinese or English), or of the side the pupil
// practised last.
void LoadSmartDrill(const CSession& session, CQeView* view, std::optional<bool> bChinese);
