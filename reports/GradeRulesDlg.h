#pragma once

#include "attempts/Grades.h"
#include "platform/Dialog.h"

#include <QStringList>

class CSession;
class QComboBox;

// 等级标准: what 优秀, 良好 and 及格 ask of each practice kind, for the
// whole school (全校) or for one class. The edits show the rule that grades
// the chosen class's results and say where it comes from; 恢复默认 shows
// what the class gets without its own (the school's rule, or the
// program's), and OK keeps what is shown. A rule out of order is refused
// with a message and nothing is stored.
class CGradeRulesDlg : public CDialog
{
    Q_OBJECT
public:
    explicit CGradeRulesDlg(const CSession& session, QWidget* parent = nullptr);

    bool OnInitDialog() override;
    void OnOK() override;
    void OnCommand(int nID) override;

    QComboBox* m_comboClass = nullptr;
    QComboBox* m_comboKind = nullptr;

    struct CRead
    {
        QStringList classes;
        CGradeRules rules;
    };

private:
    QString ChosenClass() const;
    int ChosenKind() const;
    void ShowRule(const CGradeRule& rule);
    void ShowChosen();

    const CSession& m_session;
    CGradeRules m_rules;
};
