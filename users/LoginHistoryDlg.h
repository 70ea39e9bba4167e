#pragma once

#include "platform/Dao.h"
#include "platform/Dialog.h"

#include <memory>

class CListCtrl;

// Shows the log of logins and registrations (table loginhistory), one list
// row per record, field i in column i.
class CLoginHistoryDlg : public CDialog
{
    Q_OBJECT
public:
    enum { IDD = 169 };

    explicit CLoginHistoryDlg(QWidget* parent = nullptr);
    ~CLoginHistoryDlg() override;

    bool OnInitDialog() override;

    CListCtrl* List() const;

private:
    std::unique_ptr<CDaoRecordset> m_pSet;
};

// Command 32809 of the main frame: the database guard, then the viewer.
void OpenLoginHistoryDialog();

// Command 32810 of the main frame: after the question, owned by owner,
// deletes every row of loginhistory. historySet is the frame's record set:
// the one of an earlier clearing is released and the new one kept there.
void ClearLoginHistory(QWidget* owner, std::unique_ptr<CDaoRecordset>& historySet);
