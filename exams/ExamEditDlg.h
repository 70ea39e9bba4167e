#pragma once

#include "exams/ClassTaskEditDlg.h"
#include "exams/ExamStore.h"

class CListCtrl;
class QCheckBox;
class QComboBox;
class QLineEdit;

// A new or changed exam: title, text and screen, time limit in minutes,
// whether Backspace is allowed and a pupil may retake it, the classes that
// take it (ticked in a list) and whether it is open once saved.
class CExamEditDlg : public CClassTaskEditDlg
{
    Q_OBJECT
public:
    CExamEditDlg(const CSession& session, const CExam& exam, QWidget* parent = nullptr);

    bool OnInitDialog() override;
    void OnOK() override;
    void OnCommand(int nID) override;

    const CExam& Exam() const { return m_exam; }

    QLineEdit* m_editTitle = nullptr;
    QComboBox* m_comboText = nullptr;
    QComboBox* m_comboScreen = nullptr;
    QLineEdit* m_editMinutes = nullptr;
    QComboBox* m_comboBackspace = nullptr;
    QComboBox* m_comboRetake = nullptr;
    CListCtrl* m_listClasses = nullptr;
    QCheckBox* m_checkOpen = nullptr;

private:
    CExam m_exam;
};
