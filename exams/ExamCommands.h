#pragma once

#include "exams/ExamRunner.h"
#include "exams/ExamStore.h"
#include "platform/CommandMap.h"

#include <QTimer>

class CQeView;
class CSession;
struct CPracticeScreen;

// The screen an open exam loads into the view, ready for the space bar.
CPracticeScreen ExamScreen(const CExam& exam);

// The commands of the menu 教学(&J) around exams: the teacher's exams (考试)
// and taking an exam (参加考试), which loads the exam into the view. Exam
// results kept on this machine while the database was away are stored when
// it is back.
class CExamCommands : public CCommandMap
{
public:
    explicit CExamCommands(const CSession& session);
    ~CExamCommands() override;
    CExamCommands(const CExamCommands&) = delete;
    CExamCommands& operator=(const CExamCommands&) = delete;

    // The view the exams go to; from then on kept results are tried every
    // minute.
    void SetView(CQeView* pView);

    // Stores the exam results kept on this machine for the pupil logged in,
    // when there are any and the database takes them; silent either way.
    static void StorePendingResults(const CSession& session);

    // Loads an open exam into the view, ready for the space bar.
    void LoadExam(const CExam& exam);

private:
    void OnLoggedIn();
    void OnTakeExam();

    const CSession& m_session;
    CQeView* m_pView = nullptr;
    CExamRunner m_runner;
    QMetaObject::Connection m_loggedIn;
    QTimer m_pendingTimer;
};
