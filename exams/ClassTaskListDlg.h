#pragma once

#include "platform/Dialog.h"
#include "users/ReportList.h"

#include <QList>
#include <QStringList>

class CListCtrl;

// The list of a teacher's tasks set for some classes (exams, assignments):
// one row a task, the row worked on kept chosen, a double click opening it.
class CClassTaskListDlg : public CDialog
{
    Q_OBJECT
protected:
    // noneChosen is what a command that needs a task says without one.
    CClassTaskListDlg(int nIDTemplate, const QString& noneChosen, QWidget* parent);

    // Makes list the list of the columns; a double click runs nOpenID.
    void SetUpList(CListCtrl* list, const QList<ListColumn>& columns, int nOpenID);
    // Shows the tasks' rows (ids in the same order): the task chooseId
    // chosen, else the row chosen before, else the first.
    void ShowRows(const QList<QStringList>& rows, const QList<qint64>& ids, qint64 chooseId = 0);
    // The row of the task chosen; -1, after saying so, when none is.
    int ChosenRow();

private:
    QString m_strNoneChosen;
    CListCtrl* m_pList = nullptr;
};
