#pragma once

#include "platform/Dialog.h"
#include "res/DialogIds.h"

#include <QString>

#include <memory>

class CDaoDatabase;
class CDaoRecordset;

// The new-user dialog (template 155): registers an ordinary user under a
// name not yet in the user table, records the registration and logs the
// new user in. Cancel leads to the login dialog.
class CNewUserDlg : public CDialog
{
    Q_OBJECT
public:
    using enum NewUserDlgIds::Id;

    explicit CNewUserDlg(QWidget* parent = nullptr);
    ~CNewUserDlg() override;

    bool OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;

    bool HasRecordset() const { return m_pSet != nullptr; }

    QString m_strName = QStringLiteral("NONE");
    QString m_strClass = QStringLiteral("NONE");
    QString m_strStudentNo = QStringLiteral("0");
    QString m_strPassword;
    int m_nKind = 0;

private:
    void ReadControls();
    bool IsNameTaken();

    CDaoDatabase* m_pDB = nullptr;
    std::unique_ptr<CDaoRecordset> m_pSet;
};

// View command "new user": the database guard, then the dialog.
void OpenNewUserDialog();
