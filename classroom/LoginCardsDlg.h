#pragma once

#include "platform/Dialog.h"
#include "users/Pupil.h"

#include <QList>
#include <QString>

class QComboBox;

// 打印登录卡: the login cards of a class, 8 or 10 to an A4 page, to a PDF
// file or a printer.
class CLoginCardsDlg : public CDialog
{
    Q_OBJECT
public:
    // className, when given, is chosen first.
    explicit CLoginCardsDlg(QString className = {}, QWidget* parent = nullptr);

    bool OnInitDialog() override;
    void OnCommand(int nID) override;

    int CardsPerPage() const;
    const QList<CPupil>& Pupils() const { return m_pupils; }

    QComboBox* m_comboClass = nullptr;

private:
    bool LoadPupils();

    QString m_strClass;
    QList<CPupil> m_pupils;
};
