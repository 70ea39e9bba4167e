#pragma once

#include "platform/Dao.h"
#include "platform/Dialog.h"
#include "users/SlidePlacement.h"

#include <QString>

#include <memory>

// Adds a super-user account to table supperuser; it slides in from the
// left screen edge and out to the right.
class CNewSuperUserDlg : public CDialog
{
    Q_OBJECT
public:
    enum { IDD = 170 };

    explicit CNewSuperUserDlg(QWidget* parent = nullptr);
    ~CNewSuperUserDlg() override;

    bool OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;

    const CSlidePlacement& Placement() const { return m_placement; }

private:
    QString m_strName = QStringLiteral("NONE");
    QString m_strPassword;
    QString m_strConfirm;

    CSlidePlacement m_placement;
    std::unique_ptr<CDaoRecordset> m_pSet;
};

// Command 32814 of the main frame: the database guard, then the dialog.
void OpenNewSuperUserDialog();
