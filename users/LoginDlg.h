#pragma once

#include "platform/Dialog.h"
#include "res/DialogIds.h"

#include <QRect>
#include <QString>

#include <memory>

class CDaoDatabase;
class CDaoRecordset;
class QShowEvent;

// The login dialog (template 151): picks a user kind, a name and a password,
// checks them against the user or super-user table, records the login and
// fills CurrentUser. CurrentUser changes only when a login succeeds; until
// then the chosen kind and the row being checked live in the dialog.
class CLoginDlg : public CDialog
{
    Q_OBJECT
public:
    using enum LoginDlgIds::Id;

    explicit CLoginDlg(QWidget* parent = nullptr);
    ~CLoginDlg() override;

    bool OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    void OnCommand(int nID) override;

    // The kind chosen in the dialog, as a UserKind code.
    int KindCode() const { return m_nKindCode; }
    bool HasRecordset() const { return m_pSet != nullptr; }
    // Where the dialog rests when not sliding, and the work area it slides in.
    QPoint NormalPosition() const { return m_rcNormal.topLeft(); }
    QRect WorkArea() const { return m_rcWork; }

    int m_nKind = 1;
    QString m_strName;
    QString m_strPassword;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void OnSelchangeKind();
    void OnNewUser();
    void ReadControls();
    // Refills the name list from sql; the last name loaded becomes the name.
    void ReloadNames(const QString& sql);
    // Checks name and password against the open scan; true once logged in.
    bool CheckLogin(bool bSuper);
    void SlideOut();

    CDaoDatabase* m_pDB;
    std::unique_ptr<CDaoRecordset> m_pSet;
    int m_nKindCode = 0;
    QRect m_rcNormal;
    QRect m_rcWork;
    bool m_bSlidIn = false;
};
