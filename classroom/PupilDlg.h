#pragma once

#include "platform/Dialog.h"
#include "users/Pupil.h"

#include <QStringList>

class CSession;

// 添加学生 / 修改学生: a pupil's name, class and student number (and, when
// adding, a password; empty gives a random one). OK checks the account rules
// and that no other pupil has the name, then stores.
class CPupilDlg : public CDialog
{
    Q_OBJECT
public:
    // pupil.nKey 0 adds a pupil (its class preset); otherwise edits that one.
    CPupilDlg(const CSession& session, CPupil pupil, QStringList classes,
              QWidget* parent = nullptr);

    bool OnInitDialog() override;
    void OnOK() override;

    // The pupil as stored, with its key, after OK.
    const CPupil& Pupil() const { return m_pupil; }

private:
    bool Refuse(const QString& text, int nID);

    const CSession& m_session;
    CPupil m_pupil;
    QStringList m_classes;
};
