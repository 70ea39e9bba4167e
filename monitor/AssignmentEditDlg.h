#pragma once

#include "exams/ClassTaskEditDlg.h"
#include "monitor/Assignment.h"

class CListCtrl;
class QComboBox;
class QDateEdit;
class QLineEdit;

// A new or changed assignment: its title, what is to be typed (a range of
// course lessons, a text's screen or a drill of a kind), the target, how
// many attempts must meet it, its days and the classes it is set for.
class CAssignmentEditDlg : public CClassTaskEditDlg
{
    Q_OBJECT
public:
    CAssignmentEditDlg(const CSession& session, const CAssignment& assignment,
                       QWidget* parent = nullptr);

    bool OnInitDialog() override;
    void OnOK() override;
    void OnCommand(int nID) override;

    const CAssignment& Assignment() const { return m_assignment; }

    QLineEdit* m_editTitle = nullptr;
    QComboBox* m_comboTask = nullptr;
    QComboBox* m_comboCourse = nullptr;
    QLineEdit* m_editFrom = nullptr;
    QLineEdit* m_editTo = nullptr;
    QComboBox* m_comboText = nullptr;
    QComboBox* m_comboScreen = nullptr;
    QComboBox* m_comboKind = nullptr;
    QLineEdit* m_editSpeed = nullptr;
    QLineEdit* m_editAccuracy = nullptr;
    QLineEdit* m_editPasses = nullptr;
    QDateEdit* m_dateStart = nullptr;
    QDateEdit* m_dateDue = nullptr;
    CListCtrl* m_listClasses = nullptr;

private:
    int Task() const;
    QString CourseId() const;
    void ShowTask();

    CAssignment m_assignment;
};
