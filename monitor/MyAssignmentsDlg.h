#pragma once

#include "monitor/AssignmentStore.h"
#include "platform/Dialog.h"

#include <QList>

class CListCtrl;

// 我的作业: the assignments of the pupil's class, each with its target
// before it is started and where the pupil stands; 开始 starts the one
// chosen.
class CMyAssignmentsDlg : public CDialog
{
    Q_OBJECT
public:
    explicit CMyAssignmentsDlg(QWidget* parent = nullptr);

    bool OnInitDialog() override;
    void OnOK() override;

    CListCtrl* m_listAssignments = nullptr;
    const QList<CAssignmentEntry>& Entries() const { return m_entries; }
    const CAssignmentEntry& Chosen() const { return m_chosen; }

private:
    QList<CAssignmentEntry> m_entries;
    CAssignmentEntry m_chosen;
};
