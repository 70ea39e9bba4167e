#pragma once

#include "exams/ExamStore.h"
#include "classroom/ClassChecklist.h"
#include "platform/Dialog.h"
#include "texts/TextStore.h"

#include <QList>

class CListCtrl;
class QCheckBox;
class QComboBox;
class QLineEdit;

// A new or changed exam: title, text and screen, time limit in minutes,
// whether Backspace is allowed and a pupil may retake it, the classes that
// take it (ticked in a list) and whether it is open once saved.
class CExamEditDlg : public CDialog
{
    Q_OBJECT
public:
    CExamEditDlg(const CExam& exam, QWidget* parent = nullptr);

    bool OnInitDialog() override;
    void OnOK() override;
    void OnCommand(int nID) override;

    const CExam& Exam() const { return m_exam; }
    // Ticks the classes named and clears the others (as a teacher would).
    void CheckClasses(const QStringList& classes);

    QLineEdit* m_editTitle = nullptr;
    QComboBox* m_comboText = nullptr;
    QComboBox* m_comboScreen = nullptr;
    QLineEdit* m_editMinutes = nullptr;
    QComboBox* m_comboBackspace = nullptr;
    QComboBox* m_comboRetake = nullptr;
    CListCtrl* m_listClasses = nullptr;
    QCheckBox* m_checkOpen = nullptr;

private:
    void ShowScreens(int screen);
    bool Refuse(const QString& text, int nFocusID);

    CExam m_exam;
    QList<CPracticeText> m_texts;
    QList<int> m_screens;
    CClassChecklist m_classes;
};
