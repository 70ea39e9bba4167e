#pragma once

#include "platform/Dialog.h"
#include "users/Pupil.h"

class CSession;

// 删除学生: asks first (No by default); the pupil's scores and attempts stay
// unless the teacher ticks that they go too.
class CDeletePupilDlg : public CDialog
{
    Q_OBJECT
public:
    explicit CDeletePupilDlg(const CSession& session, CPupil pupil, QWidget* parent = nullptr);

    bool OnInitDialog() override;
    void OnOK() override;

private:
    const CSession& m_session;
    CPupil m_pupil;
};
