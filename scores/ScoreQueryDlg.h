#pragma once

#include "platform/Dialog.h"

#include <QList>
#include <QSet>
#include <QStringList>

#include <memory>

class CDaoException;
class CDaoRecordset;
class CDaoSelection;
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
    // The cells of the listed rows first .. first + count - 1.
    QList<QStringList> ReadRows(int nFirst, int nCount);
    // A failed read shows its message once, after the painting that asked.
    void ReportReadError(const CDaoException& e);

    // Kept open until the dialog goes.
    std::unique_ptr<CDaoRecordset> m_pRecordset;
    // The listed rows, read span by span as the list shows them.
    std::unique_ptr<CDaoSelection> m_pSelection;
    bool m_bPersonal = false;
    // Columns 0 to 2 of the personal scope: the user when the list was filled.
    QStringList m_userCells;
    bool m_bReadFailed = false;
    // The score rows in doubt (可疑), by key, when the list was filled.
    QSet<qint64> m_inDoubt;
};

// Commands 32816 (personal) and 32817 (group): the database guard, then the
// query in the given scope.
void OpenScoreQuery(int scope);
