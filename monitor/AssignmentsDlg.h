#pragma once

#include "exams/ClassTaskListDlg.h"
#include "monitor/Assignment.h"

#include <QList>

#include <functional>

class CDaoDatabase;
class CListCtrl;
class CSession;

// 作业: the teacher's assignments; new, edit, each class's report, delete.
class CAssignmentsDlg : public CClassTaskListDlg
{
    Q_OBJECT
public:
    explicit CAssignmentsDlg(const CSession& session, QWidget* parent = nullptr);

    bool OnInitDialog() override;
    void OnCommand(int nID) override;

    CListCtrl* m_listAssignments = nullptr;
    const QList<CAssignment>& Assignments() const { return m_assignments; }

private:
    // Makes the change (if any) on the session's worker and reads the
    // assignments again; chooseId is chosen in the list.
    void AfterChange(std::function<void(CDaoDatabase& own)> change, qint64 chooseId = 0,
                     std::function<void()> afterFailure = {});
    void Show(qint64 chooseId);
    const CAssignment* Selected();
    void Edit(const CAssignment& assignment);
    void DeleteSelected();

    const CSession& m_session;
    QList<CAssignment> m_assignments;
};
