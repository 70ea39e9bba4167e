#pragma once

#include "platform/DaoSelection.h"
#include "platform/Dialog.h"

#include <QString>

#include <memory>

class CDaoRecordset;
class CDeletionPass;
class QProgressBar;

// What the two score-clearing dialogs share: a captionless notice with a
// progress bar that counts the rows to delete, asks whether to delete them,
// waits half a second, deletes them in one pass and closes by itself. The
// pass runs on the session's database worker in batches; the bar fills over
// the count as the batches are done, and the windows stay free.
class CClearScoresDlg : public CDialog
{
    Q_OBJECT
public:
    ~CClearScoresDlg() override;

    bool OnInitDialog() override;
    void OnTimer(int nIDEvent) override;

    QProgressBar* m_wndProgress = nullptr;

protected:
    CClearScoresDlg(int nIDTemplate, int nIDProgress, QWidget* parent);
    // The score rows deleted: false when no row is (criteria then unused).
    virtual bool Criteria(CDaoCriteria& criteria) const = 0;
    // A further limit of the rows counted and deleted.
    virtual void Limit(CDaoDatabase& db, CDaoSelection& selection) const
    {
        Q_UNUSED(db);
        Q_UNUSED(selection);
    }
    // Whether the server's own function deletes them (OwnScores).
    virtual bool ClearsByServer(const CDaoDatabase& db) const
    {
        Q_UNUSED(db);
        return false;
    }
    // The Yes/No question naming what nCount rows will be deleted.
    virtual QString Question(int nCount) const = 0;

private:
    int m_nIDProgress;
    std::unique_ptr<CDaoRecordset> m_pRecordset;
    // The deletion the tick runs; none when no row is to be deleted.
    std::unique_ptr<CDeletionPass> m_pPass;
};
