#pragma once

#include "platform/Dialog.h"

#include <QString>

#include "users/Database.h"

struct CAttempt;
class CListCtrl;

// The score row of a practice of kind: its label, the speed as the result
// dialog shows it (correct units a second, whole), the seconds and the
// accuracy in percent.
FieldList PracticeScoreFields(int kind, const QString& speed, const QString& seconds,
                              qint16 accuracy);

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

private:
    void FillUserList();
    void FillScoreList();
    FieldList ScoreFields() const;
};
