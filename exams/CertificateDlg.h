#pragma once

#include "exams/Certificates.h"
#include "platform/Dialog.h"

class CSession;

// 奖状: the prize winners of a competition's results, as PDF or on paper,
// under the school's name, which the teacher confirms here and the
// database keeps for the next time.
class CCertificateDlg : public CDialog
{
    Q_OBJECT
public:
    CCertificateDlg(const CSession& session, const CExam& exam, QList<CExamResultRow> rows,
                    QWidget* parent = nullptr);

    bool OnInitDialog() override;
    void OnCommand(int nID) override;

private:
    void Make(int nID, const QString& school);

    const CSession& m_session;
    CExam m_exam;
    QList<CExamResultRow> m_rows;
};
