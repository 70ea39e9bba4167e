#pragma once

#include "platform/Dialog.h"
#include "users/Pupil.h"

class CSession;

// 重设密码: a pupil's new password, a random six-digit one or one the
// teacher types (1 to 10 characters); the new password is shown after.
class CPasswordResetDlg : public CDialog
{
    Q_OBJECT
public:
    explicit CPasswordResetDlg(const CSession& session, CPupil pupil, QWidget* parent = nullptr);

    bool OnInitDialog() override;
    void OnOK() override;
    void OnCommand(int nID) override;

    QString NewPassword() const { return m_strPassword; }

private:
    const CSession& m_session;
    CPupil m_pupil;
    QString m_strPassword;
};
