#pragma once

#include "platform/CommandTarget.h"

#include <QTimer>

class CQeView;

// The commands of the menu 教学(&J) around texts and exams: the teacher's
// library (练习文章) and exams (考试), a text's screen to practise
// (选择练习文章), a drill on one's own mistakes (练习我的错字) and taking an
// exam (参加考试). The practices are loaded into the view. Exam results kept
// on this machine while the database was away are stored when it is back.
class CTextCommands : public ICommandTarget
{
public:
    CTextCommands();

    // The view the practices go to; from then on kept results are tried
    // every minute.
    void SetView(CQeView* pView);

    bool OnCmdMsg(int nID) override;
    bool HasCommandHandler(int nID) const override;
    bool OnUpdateCmdUI(CCmdUI& cmdUI) override;

    // Stores the exam results kept on this machine, when there are any and
    // the database takes them; silent either way.
    static void StorePendingResults();

private:
    void OnTexts();
    void OnChooseText();
    void OnDrill();
    void OnExams();
    void OnTakeExam();

    CQeView* m_pView = nullptr;
    QTimer m_pendingTimer;
};
