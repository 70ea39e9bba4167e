#pragma once

#include "platform/Dialog.h"
#include "users/Pupil.h"

#include <QList>
#include <QString>

#include <functional>

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
    // Reads the chosen class's pupils on the session's worker; then() runs
    // once they are in.
    void LoadPupils(std::function<void()> then = {});
    void ShowCount();
    // Sets a new password for each pupil of the class, after asking; then()
    // runs once they are stored (not when the teacher said no, nor after a
    // failure, which is reported).
    void RenewPasswords(std::function<void()> then);
    // The cards of the pupils as PDF (IDC_PDF) or printed.
    void MakeCards(int nID);

    const CSession& m_session;
    QString m_strClass;
    QList<CPupil> m_pupils;
    bool m_bGiven = false;
    QString m_strTitle;
};
