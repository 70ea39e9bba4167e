#pragma once

#include "platform/Dialog.h"

#include <QList>
#include <QStringList>

class CSession;

// 调班: moves the chosen pupils to another class (an existing one or a new
// name); their attempts and scores go with them.
class CMovePupilsDlg : public CDialog
{
    Q_OBJECT
public:
    CMovePupilsDlg(const CSession& session, QList<qint64> keys, QStringList classes,
                   QWidget* parent = nullptr);

    bool OnInitDialog() override;
    void OnOK() override;

    QString TargetClass() const { return m_strClass; }

private:
    const CSession& m_session;
    QList<qint64> m_keys;
    QStringList m_classes;
    QString m_strClass;
};
