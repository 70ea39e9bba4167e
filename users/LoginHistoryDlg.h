#pragma once

#include "platform/Dao.h"
#include "platform/Dialog.h"
#include "res/DialogIds.h"

#include <QList>
#include <QStringList>

#include <memory>

class CDaoSelection;
class CListCtrl;

// Shows the log of logins and registrations (table loginhistory), one list
// row per record, field i in column i.
class CLoginHistoryDlg : public CDialog
{
    Q_OBJECT
public:
    using enum LoginHistoryDlgIds::Id;

    explicit CLoginHistoryDlg(QWidget* parent = nullptr);
    ~CLoginHistoryDlg() override;

    bool OnInitDialog() override;

    CListCtrl* List() const;

private:
    // The cells of the listed rows first .. first + count - 1.
    QList<QStringList> ReadRows(int nFirst, int nCount);

    std::unique_ptr<CDaoRecordset> m_pSet;
    // The listed rows, read span by span as the list shows them.
    std::unique_ptr<CDaoSelection> m_pSelection;
    int m_nShown = 0; // fields that have a column
    bool m_bReadFailed = false;
};

// Command 32809 of the main frame: the database guard, then the viewer.
void OpenLoginHistoryDialog();

// Command 32810 of the main frame: after the question, owned by owner,
// deletes every row of loginhistory. historySet is the frame's record set:
// the one of an earlier clearing is released and the new one kept there.
void ClearLoginHistory(QWidget* owner, std::unique_ptr<CDaoRecordset>& historySet);
