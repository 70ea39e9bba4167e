#pragma once

#include "res/DialogIds.h"
#include "users/SuperUserDlg.h"

#include <QString>

// Adds a super-user account to table supperuser; it slides in from the
// left screen edge and out to the right.
class CNewSuperUserDlg : public CSuperUserDlg
{
    Q_OBJECT
public:
    using enum NewSuperUserDlgIds::Id;

    explicit CNewSuperUserDlg(QWidget* parent = nullptr);
    ~CNewSuperUserDlg() override;

    void OnOK() override;

protected:
    void ShowValues() override;

private:
    QString m_strName = QStringLiteral("NONE");
    QString m_strPassword;
    QString m_strConfirm;
};

// Command 32814 of the main frame: the database guard, then the dialog.
void OpenNewSuperUserDialog();
