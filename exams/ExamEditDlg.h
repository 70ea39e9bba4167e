#pragma once

#include "exams/ExamStore.h"
#include "platform/Dialog.h"
#include "texts/TextStore.h"

#include <QList>

class CListCtrl;
class QComboBox;
class QLineEdit;

// A new or changed exam: title, text and screen, time limit in minutes,
// whether Backspace is allowed and a pupil may retake it, and the classes
// that take it.
class CExamEditDlg : public CDialog
{
    Q_OBJECT
public:
    CExamEditDlg(const CExam& exam, QWidget* parent = nullptr);

    bool OnInitDialog() override;
    void OnOK() override;
    void OnCommand(int nID) override;

    const CExam& Exam() const { return m_exam; }
    // Selects the classes named (as a teacher would click them).
    void SelectClasses(const QStringList& classes);

    QLineEdit* m_editTitle = nullptr;
    QComboBox* m_comboText = nullptr;
    QComboBox* m_comboScreen = nullptr;
    QLineEdit* m_editMinutes = nullptr;
    QComboBox* m_comboBackspace = nullptr;
    QComboBox* m_comboRetake = nullptr;
    CListCtrl* m_listClasses = nullptr;

private:
    void ShowScreens(int screen);
    bool Refuse(const QString& text, int nFocusID);

    CExam m_exam;
    QList<CPracticeText> m_texts;
    QList<int> m_screens;
    QStringList m_classes;
};
