#pragma once

#include "platform/Dialog.h"

#include <QString>

#include <memory>

class CDaoRecordset;
class QProgressBar;

// What the two score-clearing dialogs share: a captionless notice with a
// progress bar that counts the rows to delete, waits half a second, deletes
// them in one pass (one step of the bar per row) and closes by itself.
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
    // Whether a row stored under this owner name is to be deleted.
    virtual bool IsDeleted(const QString& strOwner) const = 0;

private:
    int m_nIDProgress;
    std::unique_ptr<CDaoRecordset> m_pRecordset;
};
