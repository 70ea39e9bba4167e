#pragma once

#include "platform/Dialog.h"
#include "texts/Drill.h"

#include <QByteArray>
#include <QList>

class CSession;
class QComboBox;

// 练习我的错字: the kind to drill, the characters (keys) the pupil mistyped
// most in the latest attempts of it, and OK to practise a screenful of them;
// too few of them make no drill, and the dialog says so.
class CDrillDlg : public CDialog
{
    Q_OBJECT
public:
    // userKey: the pupil; seed: shuffles the screen; fixedKind, when given,
    // the only kind offered (an assignment's drill).
    explicit CDrillDlg(const CSession& session, qint64 userKey, quint32 seed, int fixedKind = 0,
                       QWidget* parent = nullptr);

    bool OnInitDialog() override;
    void OnOK() override;
    void OnCommand(int nID) override;

    // After OK: the kind and the screenful to practise.
    int Kind() const;
    const QByteArray& ScreenText() const { return m_screen; }
    // The units shown for the kind chosen.
    const QList<Drill::CUnit>& Units() const { return m_units; }

    QComboBox* m_comboKind = nullptr;

private:
    void ShowKind(int kind);
    // Reads the mistakes of the kind chosen on the session's worker, then
    // shows them.
    void ShowUnits();
    void ShowUnits(QList<Drill::CUnit> units);
    QString TooFewText() const;

    const CSession& m_session;
    qint64 m_nUserKey;
    quint32 m_nSeed;
    int m_nFixedKind;
    QList<Drill::CUnit> m_units;
    QByteArray m_screen;
};
