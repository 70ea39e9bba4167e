#pragma once

#include "platform/DialogTemplate.h"

#include <QDialog>
#include <QHash>
#include <QList>

#include <optional>
#include <utility>

class QAbstractButton;

// A dialog built from its template in the resources (":/dialogs/<id>.json"):
// controls are child widgets found by their numeric id, placed in dialog
// units converted from the dialog font's average character size. Handlers
// run through Dispatch, so a database exception never reaches Qt.
class CDialog : public QDialog
{
    Q_OBJECT
public:
    explicit CDialog(int nIDTemplate, QWidget* parent = nullptr);

    // Creates the controls (once), runs OnInitDialog and, unless that ended
    // the dialog, runs it modally through the platform seam.
    int DoModal();
    enum { IDOK_RESULT = 1, IDCANCEL_RESULT = 2 };
    void EndDialog(int nResult);
    bool IsEnded() const { return m_bEnded; }
    // While the dialog waits for an answer (the database's worker), OK and
    // Cancel are greyed, and Esc and the close box wait as well. Each
    // SetWaiting(true) is ended by one SetWaiting(false): with several
    // questions out, the dialog waits for the last answer.
    void SetWaiting(bool bWaiting);
    bool IsWaiting() const { return m_nWaiting > 0; }

    int TemplateId() const { return m_nIDTemplate; }
    QWidget* GetDlgItem(int nID) const;
    template <class T> T* Item(int nID) const { return qobject_cast<T*>(GetDlgItem(nID)); }
    QString GetDlgItemText(int nID) const;
    void SetDlgItemText(int nID, const QString& text);
    // Selects the whole text of an edit and gives it the focus, so that the
    // user can type the value again.
    void SelectEditText(int nID);

    // Window timers with their own ids, as on Windows.
    void SetTimer(int nIDEvent, int nElapse);
    void KillTimer(int nIDEvent);

    // Pixels of a rectangle given in dialog units.
    QRect MapDialogRect(const QRect& dialogUnits) const;

    // Handlers, public so that tests can drive a live dialog. OnInitDialog
    // returns false when it gave the focus to a control itself; otherwise
    // the first tab stop takes it.
    virtual bool OnInitDialog() { return true; }
    virtual void OnOK() { EndDialog(IDOK_RESULT); }
    virtual void OnCancel() { EndDialog(IDCANCEL_RESULT); }
    // A button other than 1 (OK) and 2 (Cancel) was clicked, or a list or
    // combo box reported a selection change (notification kept simple).
    virtual void OnCommand(int nID) { Q_UNUSED(nID); }
    virtual void OnTimer(int nIDEvent) { Q_UNUSED(nIDEvent); }

    // Presses a button by id as a click would (tests and keyboard use); on a
    // static with the "notify" style it reports the click.
    void ClickButton(int nID);
    // Selects item nIndex of a list or combo box as the user would, which
    // notifies OnCommand(nID); a selection made in code does not notify.
    void ChooseItem(int nID, int nIndex);

    // The template the dialog was built from; empty when it could not be read.
    const std::optional<DialogTemplate>& Template() const { return m_template; }

protected:
    void reject() override; // Esc and the close box go to OnCancel
    void paintEvent(QPaintEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateControls();
    void MakeRoomForTallerEdits(const QList<std::pair<QWidget*, QRect>>& placed);
    void SetInitialFocus();
    void ConnectControl(int nID, const QString& kind, QWidget* widget);
    void OnButton(int nID);

    int m_nIDTemplate;
    std::optional<DialogTemplate> m_template;
    bool m_bCreated = false;
    bool m_bEnded = false;
    int m_nWaiting = 0; // questions out
    QHash<int, QWidget*> m_controls;
    QHash<int, int> m_timers; // Qt timer id -> our id
    int m_nBaseUnitX = 6;
    int m_nBaseUnitY = 12;
};
