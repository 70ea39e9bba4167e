#pragma once

#include "course/CourseRules.h"
#include "platform/Dialog.h"

class CSession;
class QCheckBox;
class QComboBox;
class QLineEdit;

// 课程过关要求: a class's own thresholds for the course: the accuracy asked
// (0 for each lesson's own), the speed asked as a share of each lesson's,
// or every lesson open. Values out of range are refused with a message and
// nothing is stored.
class CThresholdDlg : public CDialog
{
    Q_OBJECT
public:
    // className, when given, is the class chosen first.
    explicit CThresholdDlg(const CSession& session, const QString& className = {},
                           QWidget* parent = nullptr);

    bool OnInitDialog() override;
    void OnOK() override;
    void OnCommand(int nID) override;

    QComboBox* m_comboClass = nullptr;
    QLineEdit* m_editAccuracy = nullptr;
    QLineEdit* m_editSpeed = nullptr;
    QCheckBox* m_checkAllOpen = nullptr;

private:
    void ShowClass();

    const CSession& m_session;
    QString m_strClass;
};
