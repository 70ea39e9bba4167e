#pragma once

#include "monitor/AssignmentStore.h"
#include "platform/Dialog.h"

#include <QList>

class CListCtrl;
class CSession;

// 我的作业: the assignments of the pupil's class, each with its target
// before it is started and where the pupil stands; 开始 starts the one
// chosen.
class CMyAssignmentsDlg : public CDialog
{
    Q_OBJECT
public:
    explicit CMyAssignmentsDlg(const CSession& session, QWidget* parent = nullptr);

    bool OnInitDialog() override;
    void OnOK() override;

    CListCtrl* m_listAssignments = nullptr;
    const QList<CAssignmentEntry>& Entries() const { return m_entries; }
    const CAssignmentEntry& Chosen() const { return m_chosen; }

private:
    void ShowEntries();

    const CSession& m_session;
    QList<CAssignmentEntry> m_entries;
    CAssignmentEntry m_chosen;
};
