#pragma once

#include "exams/ClassTaskListDlg.h"
#include "exams/CompetitionBoardWnd.h"
#include "exams/ExamStore.h"

#include <QList>
#include <QPointer>

#include <functional>

class CDaoDatabase;
class CListCtrl;
class CSession;

// 考试: the teacher's exams; new, edit, open or close, their results, and
// delete. Only an open exam is offered to the pupils of its classes. A
// competition (比赛) among them opens when the teacher starts it.
class CExamsDlg : public CClassTaskListDlg
{
    Q_OBJECT
public:
    explicit CExamsDlg(const CSession& session, QWidget* parent = nullptr);

    bool OnInitDialog() override;
    void OnCommand(int nID) override;

    CListCtrl* m_listExams = nullptr;
    const QList<CExam>& Exams() const { return m_exams; }
    // The board opened from this list, while it is open.
    CCompetitionBoardWnd* Board() const { return m_pBoard; }

private:
    void Reload(qint64 chooseId = 0);
    // Makes the change (if any) on the session's worker and reads the
    // exams again; chooseId is chosen in the list.
    void AfterChange(std::function<void(CDaoDatabase& own)> change, qint64 chooseId = 0,
                     std::function<void()> afterFailure = {});
    void AskToDelete(const CExam& chosen, int sittings);
    const CExam* Selected();
    void Edit(const CExam& exam);
    void ToggleOpen();
    // 开始比赛: the chosen competition starts for everybody in ten seconds.
    void StartCompetition();
    // 比赛大屏 of the chosen competition, full screen; the list closes.
    void ShowBoard();
    void ShowResults();
    void DeleteSelected();

    const CSession& m_session;
    QList<CExam> m_exams;
    QPointer<CCompetitionBoardWnd> m_pBoard;
};
