#pragma once

#include "platform/Dialog.h"

#include <QString>

#include <memory>

class CDaoRecordset;
class QProgressBar;

// What the two score-clearing dialogs share: a captionless notice with a
// progress bar that counts the rows to delete, asks whether to delete them,
// waits half a second, deletes them in one pass (one step of the bar per
// row) and closes by itself.
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
    // Whether a row stored under this name and student number is deleted.
    virtual bool IsDeleted(const QString& strName, const QString& strStudentNo) const = 0;
    // The Yes/No question naming what nCount rows will be deleted.
    virtual QString Question(int nCount) const = 0;

private:
    bool IsDeletedRow(CDaoRecordset& rs) const;

    int m_nIDProgress;
    std::unique_ptr<CDaoRecordset> m_pRecordset;
};
