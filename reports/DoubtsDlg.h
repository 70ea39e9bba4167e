#pragma once

#include "attempts/Doubts.h"
#include "platform/Dialog.h"

#include <QList>

#include <functional>

class CListCtrl;
class CSession;
class QComboBox;
class QLineEdit;

// 可疑成绩, on a server: the results kept in doubt, each confirmed by the
// teacher's choice, and the plausible speed of each class, set by the
// teacher or left at its school year's default.
class CDoubtsDlg : public CDialog
{
    Q_OBJECT
public:
    explicit CDoubtsDlg(const CSession& session, QWidget* parent = nullptr);

    bool OnInitDialog() override;
    void OnCommand(int nID) override;

    CListCtrl* m_listResults = nullptr;
    QComboBox* m_comboClass = nullptr;
    QLineEdit* m_editChinese = nullptr;
    QLineEdit* m_editOthers = nullptr;

private:
    // The results in doubt, read on the session's worker.
    void LoadResults(std::function<void()> afterFailure = {}, std::function<void()> then = {});
    void ShowResults(QList<Doubts::CResultInDoubt> results);
    void ShowSpeed(const Doubts::CClassSpeed& speed);
    void ConfirmSelected();
    void ShowClass();
    void SetClass();
    void ClearClass();
    // The number in an edit within [min, max], or says so and gives -1.
    int EditNumber(int nID, QLineEdit* edit, const QString& what, int min, int max);

    const CSession& m_session;
    QList<Doubts::CResultInDoubt> m_results;
};

// Command 33062: the database guard; a file has no results in doubt.
void OpenDoubts(const CSession& session);
