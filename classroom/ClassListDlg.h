#pragma once

#include "platform/Dialog.h"
#include "classroom/ClassNames.h"
#include "users/Pupil.h"

#include <QList>
#include <QStringList>

#include <functional>

class CListCtrl;
class CSession;
class QComboBox;

// 学生名单: the pupils of a class; add, edit, reset a password, move to
// another class, delete; import a class list and print login cards.
class CClassListDlg : public CDialog
{
    Q_OBJECT
public:
    explicit CClassListDlg(const CSession& session, QWidget* parent = nullptr);

    bool OnInitDialog() override;
    void OnCommand(int nID) override;

    // The pupils listed, in the list's order.
    const QList<CPupil>& Pupils() const { return m_pupils; }
    // Selects the listed pupils with these keys (as the teacher would).
    void SelectPupils(const QList<qint64>& keys);

    QComboBox* m_comboClass = nullptr;
    CListCtrl* m_listPupils = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Reads classes and pupils again on the session's worker; shows
    // className when it exists (else the first class) and selects the
    // pupils with the keys in select; afterFailure runs when the read failed.
    void Reload(const QString& className, const QList<qint64>& select = {},
                std::function<void()> afterFailure = {});
    void Show(const QList<CClassSize>& sizes, const QString& className, const QList<CPupil>& pupils,
              const QList<qint64>& select);
    QString CurrentClass() const;
    QList<CPupil> SelectedPupils() const;
    // The one selected pupil, or a notice that one must be chosen.
    bool OneSelected(CPupil* pPupil);

    const CSession& m_session;
    QStringList m_classes;
    QList<CPupil> m_pupils;
};
