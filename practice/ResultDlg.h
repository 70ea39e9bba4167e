#pragma once

#include "platform/Dialog.h"

#include <QString>

#include "users/Database.h"

struct CAttempt;
struct CExamSitting;
class CListCtrl;

// The result of a finished practice: who practised, the time used, the speed
// and the accuracy. OK stores it as a score row, for an ordinary user only.
class CResultDlg : public CDialog
{
    Q_OBJECT
public:
    explicit CResultDlg(QWidget* parent = nullptr);

    bool OnInitDialog() override;
    void OnOK() override;

    QString m_strKind;
    QString m_strAccuracy;
    QString m_strSpeed;
    QString m_strTime;
    CListCtrl* m_listScore = nullptr;
    CListCtrl* m_listUser = nullptr;
    // The practice in full, stored with the score row when given.
    const CAttempt* m_pAttempt = nullptr;
    // An exam's sitting: its result is stored as the dialog opens, without
    // a choice (kept on this machine while the database is away), and OK
    // only closes the dialog.
    const CExamSitting* m_pSitting = nullptr;

private:
    void FillUserList();
    void FillScoreList();
    FieldList ScoreFields() const;
    void StoreExamResult();
};
