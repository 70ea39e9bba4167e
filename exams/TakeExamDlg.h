#pragma once

#include "exams/ExamStore.h"
#include "platform/Dialog.h"

#include <QList>

class CListCtrl;
class CSession;

// 参加考试: the open exams of the pupil's class. OK takes the chosen exam
// when it is still open and the pupil may sit it: once, unless the exam
// allows retakes (a result kept on this machine counts too). The database
// checks the same again when the sitting starts.
class CTakeExamDlg : public CDialog
{
    Q_OBJECT
public:
    explicit CTakeExamDlg(const CSession& session, QWidget* parent = nullptr);

    bool OnInitDialog() override;
    void OnOK() override;

    // After OK: the exam.
    const CExam& ChosenExam() const { return m_chosen; }

    CListCtrl* m_listExams = nullptr;
    const QList<CExam>& Exams() const { return m_exams; }

private:
    void ShowExams();
    bool Refuse(const QString& text);

    const CSession& m_session;
    QList<CExam> m_exams;
    CExam m_chosen;
};
