#pragma once

#include "platform/Dialog.h"

#include <QList>
#include <QStringList>

#include <memory>

class CDaoRecordset;
class CListCtrl;

// Lists stored scores, the logged-in user's own (personal scope) or every
// user's (group scope), as ScoreQueryScope says when the dialog initialises.
class CScoreQueryDlg : public CDialog
{
    Q_OBJECT
public:
    explicit CScoreQueryDlg(QWidget* parent = nullptr);
    ~CScoreQueryDlg() override;

    bool OnInitDialog() override;

    CListCtrl* m_listScore = nullptr;

private:
    void FillList();
    static void ReadRows(CDaoRecordset& rs, bool bPersonal, QList<QStringList>& rows);

    // Kept open, at its end, until the dialog goes.
    std::unique_ptr<CDaoRecordset> m_pRecordset;
};

// Commands 32816 (personal) and 32817 (group): the database guard, then the
// query in the given scope.
void OpenScoreQuery(int scope);
