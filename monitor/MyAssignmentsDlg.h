#pragma once

#include "monitor/Assignment.h"
#include "platform/Dialog.h"

#include <QList>

class CDaoDatabase;
class CListCtrl;

// 我的作业: the assignments of the pupil's class, each with its target
// before it is started and where the pupil stands; 开始 starts the one
// chosen.
class CMyAssignmentsDlg : public CDialog
{
    Q_OBJECT
public:
    struct CEntry
    {
        CAssignment assignment;
        CAssignmentStatus status;
    };

    explicit CMyAssignmentsDlg(QWidget* parent = nullptr);

    // The assignments of the logged-in pupil's class with their status,
    // those still to do first. Throws CDaoException.
    static QList<CEntry> Load(CDaoDatabase& db);
    // Whether one is running today and not done yet.
    static bool HasWork(const QList<CEntry>& entries, const QDate& today);

    bool OnInitDialog() override;
    void OnOK() override;

    CListCtrl* m_listAssignments = nullptr;
    const QList<CEntry>& Entries() const { return m_entries; }
    const CEntry& Chosen() const { return m_chosen; }

private:
    QList<CEntry> m_entries;
    CEntry m_chosen;
};
