#pragma once

#include "platform/Dialog.h"
#include "users/Pupil.h"

#include <QList>
#include <QString>

class CSession;
class QComboBox;

// 打印登录卡: the login cards of a class, 8 or 10 to an A4 page, to a PDF
// file or a printer. A password can never be read back, so the cards carry
// passwords being set: the pupils' of an import or a reset, given; or, for
// a class, new passwords set as the cards are made, after the teacher says
// yes to it.
class CLoginCardsDlg : public CDialog
{
    Q_OBJECT
public:
    // className, when given, is chosen first.
    explicit CLoginCardsDlg(const CSession& session, QString className = {},
                            QWidget* parent = nullptr);
    // The cards of pupils whose passwords were just set (strPassword).
    CLoginCardsDlg(const CSession& session, QList<CPupil> pupils, QString title,
                   QWidget* parent = nullptr);

    bool OnInitDialog() override;
    void OnCommand(int nID) override;

    int CardsPerPage() const;
    const QList<CPupil>& Pupils() const { return m_pupils; }

    QComboBox* m_comboClass = nullptr;

private:
    bool LoadPupils();
    // Sets a new password for each pupil of the class, after asking; false
    // when the teacher said no or it failed (reported).
    bool RenewPasswords();

    const CSession& m_session;
    QString m_strClass;
    QList<CPupil> m_pupils;
    bool m_bGiven = false;
    QString m_strTitle;
};
