#pragma once

#include "platform/ListCtrl.h"
#include "platform/ScriptedPlatform.h"
#include "tests/DialogDriver.h"
#include "tests/TestDatabase.h"
#include "users/CurrentUser.h"
#include "users/LoginDlg.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>

#include <functional>

// What the teaching rooms' suites share: a pupil or a teacher logged in,
// the login walked through its dialog, a list read as "a|b|…" lines.

using namespace Qt::Literals::StringLiterals;

// A pupil logged in; with db, the session (pSession, else the test's own)
// runs as that pupil, as after the login.
inline void LogInPupil(qint64 key, const QString& name, const QString& className,
                       const QString& number, CTestDatabase* db = nullptr,
                       CDaoDatabase* pSession = nullptr)
{
    CurrentUser = CCurrentUser();
    CurrentUser.Name = name;
    CurrentUser.Class = className;
    CurrentUser.StudentNo = number;
    CurrentUser.KindCode = UserKind::Ordinary;
    CurrentUser.KindText = u"普通用户"_s;
    CurrentUser.RowKey = key;
    if (db)
        db->SignInAsCurrentUser(pSession);
}

// A teacher logged in: the program's session runs as a super user.
inline void LogInTeacher(CTestDatabase& db)
{
    db.SignInAsTeacher();
    CurrentUser = CCurrentUser();
    CurrentUser.KindCode = UserKind::Super;
}

// The login dialog filled in and confirmed, and what it started let run;
// queueMore queues the drivers of the dialogs the login opens.
inline void LogInThroughTheDialog(CScriptedPlatform& platform, const QString& name,
                                  const QString& password,
                                  const std::function<void()>& queueMore = {})
{
    CurrentUser = CCurrentUser();
    Drive<CLoginDlg>(platform, [name, password](CLoginDlg* dlg) {
        dlg->Item<QComboBox>(1005)->setEditText(name);
        dlg->Item<QLineEdit>(1025)->setText(password);
        dlg->ClickButton(1);
    });
    if (queueMore)
        queueMore();
    CLoginDlg login;
    login.DoModal();
    QCoreApplication::processEvents();
    SettleWorker(); // 今日任务 follows once the worker read it
}

inline QStringList Lines(CListCtrl* list)
{
    return RowLines(ListOf(list).cells);
}
