#pragma once

#include "documents/ExportTable.h"
#include "exams/ExamStore.h"
#include "platform/Dialog.h"

#include <QList>

class CListCtrl;
class CSession;

// 考试成绩: one row per pupil of the exam's classes, whether not started,
// running or finished, with the speed, accuracy, time, how it ended and how
// often the practice window lost the focus. A click on a heading sorts by
// that column (again: the other way); 刷新 reads the results again. The
// table as shown goes to Excel, CSV, PDF or paper like the class report.
class CExamResultsDlg : public CDialog
{
    Q_OBJECT
public:
    explicit CExamResultsDlg(const CSession& session, const CExam& exam, QWidget* parent = nullptr);

    bool OnInitDialog() override;
    void OnCommand(int nID) override;

    // Sorts by column, as a click on its heading does.
    void SortBy(int column);
    const QList<CExamResultRow>& Rows() const { return m_rows; }
    // The table as shown, in its order, for the exports.
    CExportTable ExportTable() const;

    CListCtrl* m_listResults = nullptr;

private:
    // Reads the results on the session's worker and shows them once
    // answered; a window that never showed any closes when they cannot be
    // read.
    void Reload();
    void Fill();

    const CSession& m_session;
    CExam m_exam;
    QList<CExamResultRow> m_rows;
    int m_nSortColumn = -1;
    bool m_bAscending = true;
    bool m_bShown = false;
};
