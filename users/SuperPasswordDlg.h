#pragma once

#include "res/DialogIds.h"
#include "users/SuperUserDlg.h"

#include <QString>

// Changes the password of the logged-in super user's row in table
// supperuser; it slides in from the left screen edge and out to the right.
class CSuperPasswordDlg : public CSuperUserDlg
{
    Q_OBJECT
public:
    using enum SuperPasswordDlgIds::Id;

    explicit CSuperPasswordDlg(QWidget* parent = nullptr);
    ~CSuperPasswordDlg() override;

    void OnOK() override;

protected:
    void ShowValues() override;

private:
    QString m_strPassword;
    QString m_strConfirm;
};

// Command 32815 of the main frame: the database guard, then the dialog.
void OpenSuperPasswordDialog();
