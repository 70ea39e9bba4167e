#pragma once

#include "platform/Dao.h"
#include "platform/Dialog.h"
#include "users/SlidePlacement.h"

#include <QString>

#include <memory>

// Changes the password of the logged-in super user's row in table
// supperuser; it slides in from the left screen edge and out to the right.
class CSuperPasswordDlg : public CDialog
{
    Q_OBJECT
public:
    enum { IDD = 167 };
    // The longest new password in bytes of its GBK text.
    enum { MaxPasswordBytes = 199 };

    explicit CSuperPasswordDlg(QWidget* parent = nullptr);
    ~CSuperPasswordDlg() override;

    bool OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;

    const CSlidePlacement& Placement() const { return m_placement; }

private:
    void ShowError(const QString& text);

    QString m_strPassword;
    QString m_strConfirm;

    CSlidePlacement m_placement;
    std::unique_ptr<CDaoRecordset> m_pSet;
};

// Command 32815 of the main frame: the database guard, then the dialog.
void OpenSuperPasswordDialog();
