#pragma once

#include "attempts/DailyGoal.h"
#include "platform/Dialog.h"

#include <QStringList>

class CSession;
class QComboBox;

// 每日目标: the minutes a day and the accuracy to hold, for the whole
// school (全校) or one class, shown as the class has it and said where it
// comes from; 恢复默认 shows what the class gets without its own, and OK
// keeps what is shown. A goal out of bounds is refused with a message.
class CDailyGoalDlg : public CDialog
{
    Q_OBJECT
public:
    explicit CDailyGoalDlg(const CSession& session, QWidget* parent = nullptr);

    bool OnInitDialog() override;
    void OnOK() override;
    void OnCommand(int nID) override;

    QComboBox* m_comboClass = nullptr;

private:
    QString ChosenClass() const;
    void ShowGoal(const CDailyGoal& goal);
    void ShowChosen();

    const CSession& m_session;
    DailyGoal::CGoals m_goals;
};
