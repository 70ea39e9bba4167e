#pragma once

#include "platform/Dao.h"
#include "platform/Dialog.h"
#include "res/DialogIds.h"

#include <QString>

#include <memory>

// Lets a logged-in ordinary user overwrite the name, class, student number
// and password of their own row in table user, found by the key taken at
// login. The left half shows the current values read-only, the right half
// takes the new ones; a name another row carries is refused. On a lab's
// server the name, class and number are the teacher's: they stay as they
// are, shown read-only, and only the password changes.
class CUserSettingsDlg : public CDialog
{
    Q_OBJECT
public:
    using enum UserSettingsDlgIds::Id;

    explicit CUserSettingsDlg(QWidget* parent = nullptr);
    ~CUserSettingsDlg() override;

    bool OnInitDialog() override;
    void OnOK() override;

    bool HasRecordset() const { return m_pSet != nullptr; }

private:
    // Shows a refusal (when text is not empty) and selects the edit to retype.
    bool Refuse(const QString& text, int nIDEdit);
    // Whether a row other than the user's own carries the new name.
    bool IsNameTakenByAnother();
    // On a server: the password alone.
    void ChangePasswordOnly();

    // New values (right half).
    QString m_strNewName = QStringLiteral("NONE");
    QString m_strNewClass = QStringLiteral("NONE");
    QString m_strNewStudentNo = QStringLiteral("0");
    QString m_strNewPassword;

    std::unique_ptr<CDaoRecordset> m_pSet;
    bool m_bPasswordOnly = false;
};

// Command 32775 of the practice view: the database guard, then the dialog.
void OpenUserSettingsDialog();
