#pragma once

#include "coaching/Weakness.h"
#include "documents/ExportTable.h"
#include "platform/Dialog.h"

class CKeyboardView;
class CListCtrl;
class CSession;
class QComboBox;

// 我的弱项 (a pupil's own) and 班级弱项 (a teacher's, of a class chosen):
// over a range of days, the keyboard tinted by each key's misses and time
// with its figures on hover, the slowest letter pairs, and the texts that
// cost the most keys under the input method, with how they were typed and a
// cheaper way. A teacher exports the class's as a table.
class CWeaknessDlg : public CDialog
{
    Q_OBJECT
public:
    // userKey: the pupil's own; 0 for a teacher's view of a class.
    explicit CWeaknessDlg(const CSession& session, qint64 userKey, QWidget* parent = nullptr);

    bool OnInitDialog() override;
    void OnCommand(int nID) override;

    // Reads the figures for the choices shown on the session's worker and
    // shows them once answered; a window that never showed any closes when
    // they cannot be read.
    void Refresh();
    const CWeakness& Shown() const { return m_weakness; }
    // The keys and texts as a table, for export.
    QList<CExportTable> ExportedTables() const;

    QComboBox* m_comboRange = nullptr;
    QComboBox* m_comboClass = nullptr;
    CKeyboardView* m_pKeyboard = nullptr;
    CListCtrl* m_listPairs = nullptr;
    CListCtrl* m_listCostly = nullptr;

private:
    void Show();
    void ShowKeyboard();
    QString Title() const;

    const CSession& m_session;
    qint64 m_nUserKey;
    CWeakness m_weakness;
    bool m_bShown = false;
};
