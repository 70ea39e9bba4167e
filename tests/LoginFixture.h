#pragma once

#include "platform/ScriptedPlatform.h"
#include "tests/DialogDriver.h"
#include "tests/FakeMainWindow.h"
#include "tests/TestDatabase.h"
#include "users/CurrentUser.h"
#include "users/LoginDlg.h"

#include <QComboBox>

#include <memory>

// What the login and registration suites share: the users they log in as,
// a database with them (or none) behind a main window, and the login's
// controls.

using namespace Qt::Literals::StringLiterals;

enum { IDC_KIND = 1004, IDC_NAME = 1005, IDC_PASSWORD = 1025, IDC_NEWUSER = 1007 };
// The registration's name, class, number and password, and its kind and date.
inline const QList<int> NewUserIds{1008, 1003, 1010, 1011};
enum { IDC_NEWKIND = 1009, IDC_DATE = 1012 };
enum Setup { Connected, NoDb, NoHistoryTable };

inline const QString Ordinary = QString::number(UserKind::Ordinary);
inline const QString NameTaken = u"您输入的用户名已经有人使用,请更改!"_s;
// In a deliberately unsorted order, a name stored twice, the longest
// passwords that can be set.
inline const Rows Users{{u"Zed"_s, u"三班"_s, u"9"_s, u"zz"_s, u"普通用户"_s},
                        {u"Alice"_s, u"一班"_s, u"1001"_s, u"secret"_s, u"普通用户"_s},
                        {u"同名"_s, u"一班"_s, u"1"_s, u"first"_s, u"普通用户"_s},
                        {u"同名"_s, u"二班"_s, u"2"_s, u"second"_s, u"普通用户"_s},
                        {u"Wide"_s, u"四班"_s, u"4"_s, u"WWWWWWWWWW"_s, u"普通用户"_s},
                        {u"长"_s, u"五班"_s, u"5"_s, QString(10, u'密'), u"普通用户"_s}};

inline QStringList Items(QComboBox* combo)
{
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items.append(combo->itemText(i));
    return items;
}

// A database (or none) and a main window; with users, the rows of Users and
// two super users.
struct Lab
{
    explicit Lab(Setup setup = Connected, bool bUsers = true)
    {
        if (setup == NoDb) {
            NoDatabase();
            return;
        }
        db = std::make_unique<CTestDatabase>();
        for (const QStringList& row : bUsers ? Users : Rows())
            keys << db->Insert(u"user"_s, row);
        if (bUsers) {
            db->Insert(u"supperuser"_s, {u"admin"_s, u"Root1"_s});
            db->Insert(u"supperuser"_s, {u"root"_s, u"pw2"_s});
        }
        if (setup == NoHistoryTable)
            db->DropTable(u"loginhistory"_s);
    }
    CScriptedPlatform platform;
    CFakeMainWindow mainWindow;
    std::unique_ptr<CTestDatabase> db;
    QList<qint64> keys;
};

// The password is typed key by key, as the box's own limits apply to typing.
inline void TypeLogin(CLoginDlg* dlg, int nKind, const QString& name, const QString& password)
{
    if (nKind != 1)
        dlg->ChooseItem(IDC_KIND, nKind);
    dlg->Item<QComboBox>(IDC_NAME)->setEditText(name);
    auto* edit = dlg->Item<QLineEdit>(IDC_PASSWORD);
    for (const QChar ch : password)
        QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(ch), Qt::NoModifier);
}

inline void PressNewUser(CScriptedPlatform& platform)
{
    Drive<CLoginDlg>(platform, [](CLoginDlg* dlg) { dlg->ClickButton(IDC_NEWUSER); });
}
