#pragma once

#include "exams/ClassTaskEditDlg.h"
#include "exams/ExamStore.h"

class CListCtrl;
class QCheckBox;
class QComboBox;
class QLineEdit;

// A new or changed exam: title, text and screen, time limit in minutes,
// whether Backspace is allowed and a pupil may retake it, the classes that
// take it (ticked in a list) and whether it is open once saved. Ticked as
// a competition (比赛), it also says how it is scored and the shares that
// win a prize; it is open at once for its pupils to wait on, starts when a
// teacher starts it, and is sat once.
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
    QCheckBox* m_checkCompetition = nullptr;
    QComboBox* m_comboScoring = nullptr;

private:
    // The competition's choices are there while it is one; an exam's
    // retake and opening are not.
    void ShowCompetition();

    CExam m_exam;
};
