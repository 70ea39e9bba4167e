#include "platform/Dao.h"
#include "platform/ScriptedPlatform.h"
#include "tests/FakeMainWindow.h"
#include "tests/TestDatabase.h"
#include "tests/TestMain.h"
#include "users/CurrentUser.h"
#include "users/Database.h"
#include "users/LoginDlg.h"
#include "users/NewUserDlg.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QSqlQuery>

using namespace Qt::Literals::StringLiterals;

namespace {

enum {
    IDC_NAME = 1008,
    IDC_CLASS = 1003,
    IDC_STUDENTNO = 1010,
    IDC_PASSWORD = 1011,
    IDC_KIND = 1009,
    IDC_DATE = 1012,
};

CNewUserDlg* NewUser(QDialog* dialog)
{
    return static_cast<CNewUserDlg*>(dialog);
}

QLineEdit* Edit(QDialog* dialog, int nID)
{
    return NewUser(dialog)->Item<QLineEdit>(nID);
}

CScriptedPlatform::DialogDriver Register(const QString& name, const QString& klass,
                                         const QString& number, const QString& password)
{
    return [=](QDialog* dialog) {
        Edit(dialog, IDC_NAME)->setText(name);
        Edit(dialog, IDC_CLASS)->setText(klass);
        Edit(dialog, IDC_STUDENTNO)->setText(number);
        Edit(dialog, IDC_PASSWORD)->setText(password);
        NewUser(dialog)->ClickButton(1);
    };
}

// Cancels whatever dialog is left open, so that a refused OK cannot hang.
void CloseIfOpen(QDialog* dialog)
{
    if (dialog->isVisible())
        static_cast<CDialog*>(dialog)->EndDialog(-1);
}

QList<QStringList> History(CDaoDatabase* db)
{
    QList<QStringList> rows;
    CDaoRecordset rs(db);
    rs.Open(dbOpenDynaset, Sql::ScanLoginHistory);
    for (; !rs.IsEOF(); rs.MoveNext()) {
        QStringList row;
        for (int i = 0; i < 8; ++i)
            row.append(VariantToText(rs.GetFieldValue(i)));
        rows.append(row);
    }
    return rows;
}

const QStringList StartTexts{u"NONE"_s, u"NONE"_s, u"0"_s, QString(), u"普通用户"_s};

QStringList Texts(const CCurrentUser& user)
{
    return {user.Name, user.Class, user.StudentNo, user.Password, user.KindText};
}

} // namespace

class TestRegistration : public QObject
{
    Q_OBJECT
private slots:
    void init() { CurrentUser = CCurrentUser(); }

    void openingState()
    {
        CScriptedPlatform platform;
        CTestDatabase db;
        QStringList texts, kinds;
        QString kind;
        bool bDateShown = false;
        platform.DriveDialog([&](QDialog* dialog) {
            for (int nID : {IDC_NAME, IDC_CLASS, IDC_STUDENTNO, IDC_PASSWORD})
                texts.append(Edit(dialog, nID)->text());
            auto* pKind = NewUser(dialog)->Item<QComboBox>(IDC_KIND);
            kind = pKind->currentText();
            for (int i = 0; i < pKind->count(); ++i)
                kinds.append(pKind->itemText(i));
            bDateShown = NewUser(dialog)->Item<QDateEdit>(IDC_DATE) != nullptr;
            NewUser(dialog)->EndDialog(IDCANCEL);
        });
        CNewUserDlg dlg;
        dlg.DoModal();
        QCOMPARE(texts, (QStringList{u"NONE"_s, u"NONE"_s, u"0"_s, QString()}));
        QCOMPARE(kinds, QStringList{u"普通用户"_s});
        QCOMPARE(kind, u"普通用户"_s);
        QVERIFY(bDateShown);
    }

    void studentNumberAndPasswordInput_data()
    {
        QTest::addColumn<int>("control");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("kept");
        QTest::newRow("student number takes digits only")
            << int(IDC_STUDENTNO) << u"12a3-4"_s << u"1234"_s;
        QTest::newRow("student number stops at 10 digits")
            << int(IDC_STUDENTNO) << u"123456789012"_s << u"1234567890"_s;
        QTest::newRow("password stops at 10 characters")
            << int(IDC_PASSWORD) << u"abcdefghijkl"_s << u"abcdefghij"_s;
        QTest::newRow("password takes letters and signs")
            << int(IDC_PASSWORD) << u"aB#1"_s << u"aB#1"_s;
    }
    void studentNumberAndPasswordInput()
    {
        QFETCH(int, control);
        QFETCH(QString, typed);
        QFETCH(QString, kept);
        CScriptedPlatform platform;
        CTestDatabase db;
        QString text;
        platform.DriveDialog([&](QDialog* dialog) {
            QLineEdit* edit = Edit(dialog, control);
            edit->clear();
            QTest::keyClicks(edit, typed);
            text = edit->text();
            NewUser(dialog)->EndDialog(IDCANCEL);
        });
        CNewUserDlg dlg;
        dlg.DoModal();
        QCOMPARE(text, kept);
    }

    void registerAtOnce()
    {
        CScriptedPlatform platform;
        CFakeMainWindow mainWindow;
        CTestDatabase db;
        platform.DriveDialog([](QDialog* dialog) { NewUser(dialog)->ClickButton(1); });
        CNewUserDlg dlg;
        QCOMPARE(dlg.DoModal(), IDOK);

        QCOMPARE(db.Rows(u"user"_s).size(), 1);
        QCOMPARE(db.Rows(u"user"_s)[0].mid(0, 5),
                 (QStringList{u"NONE"_s, u"NONE"_s, u"0"_s, QString(), u"普通用户"_s}));
        QCOMPARE(Texts(CurrentUser), StartTexts);
        QCOMPARE(CurrentUser.KindCode, int(UserKind::Ordinary));
        QCOMPARE(mainWindow.panes.value(1), u"用户姓名:NONE"_s);
        QCOMPARE(mainWindow.panes.value(2), u"用户类型:普通用户"_s);
    }

    void storedRowsInOrder()
    {
        CScriptedPlatform platform;
        CFakeMainWindow mainWindow;
        CTestDatabase db;
        QVERIFY(db.Rows(u"user"_s).isEmpty());
        platform.DriveDialog(Register(u"新生"_s, u"三班"_s, u"20230001"_s, u"pw"_s));
        CNewUserDlg dlg;
        QCOMPARE(dlg.DoModal(), IDOK);

        const QList<QStringList> users = db.Rows(u"user"_s);
        QCOMPARE(users.size(), 1);
        QCOMPARE(users[0].mid(0, 5),
                 (QStringList{u"新生"_s, u"三班"_s, u"20230001"_s, u"pw"_s, u"普通用户"_s}));
        const QList<QStringList> history = History(db.Database());
        QCOMPARE(history.size(), 1);
        QCOMPARE(history[0].mid(0, 4),
                 (QStringList{u"新生"_s, u"三班"_s, u"20230001"_s, u"普通用户"_s}));
        QCOMPARE(history[0][7], u"创建用户"_s);
        QCOMPARE(Texts(CurrentUser),
                 (QStringList{u"新生"_s, u"三班"_s, u"20230001"_s, u"pw"_s, u"普通用户"_s}));
        QCOMPARE(mainWindow.panes.value(1), u"用户姓名:新生"_s);
        QCOMPARE(mainWindow.panes.value(2), u"用户类型:普通用户"_s);
    }

    // The user row is stored before the history row: when the history
    // cannot be written, the account exists and its owner is logged in.
    void historyFailureAfterUserRow()
    {
        CScriptedPlatform platform;
        CFakeMainWindow mainWindow;
        CTestDatabase db;
        QSqlQuery query(db.Database()->Connection());
        QVERIFY(query.exec(u"DROP TABLE loginhistory"_s));
        bool bOpen = false;
        platform.DriveDialog([&](QDialog* dialog) {
            Register(u"甲"_s, u"一班"_s, u"1"_s, u"a"_s)(dialog);
            bOpen = dialog->isVisible();
            CloseIfOpen(dialog);
        });
        CNewUserDlg dlg;
        dlg.DoModal();
        QVERIFY(bOpen);
        QCOMPARE(platform.boxes.size(), 1);
        QCOMPARE(db.Rows(u"user"_s).size(), 1);
        QCOMPARE(CurrentUser.Name, u"甲"_s);
        QCOMPARE(CurrentUser.KindCode, int(UserKind::Ordinary));
    }

    void duplicateTest_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("same name refused") << u"Alice"_s << false;
        QTest::newRow("second stored name refused") << u"Bob"_s << false;
        QTest::newRow("letter case differs") << u"alice"_s << true;
        QTest::newRow("trailing space differs") << u"Alice "_s << true;
        QTest::newRow("empty name") << QString() << true;
        QTest::newRow("name only of a super user") << u"admin"_s << true;
    }
    void duplicateTest()
    {
        QFETCH(QString, name);
        QFETCH(bool, accepted);
        CScriptedPlatform platform;
        CFakeMainWindow mainWindow;
        CTestDatabase db;
        db.Insert(u"user"_s, {u"Alice"_s, u"一班"_s, u"1"_s, u"a"_s, u"普通用户"_s});
        db.Insert(u"user"_s, {u"Bob"_s, u"二班"_s, u"2"_s, u"b"_s, u"普通用户"_s});
        db.Insert(u"supperuser"_s, {u"admin"_s, u"pw"_s});
        CurrentUser.KindCode = UserKind::Anonymous;

        bool bOpen = false;
        QString typedName;
        platform.DriveDialog([&](QDialog* dialog) {
            Register(name, u"新班"_s, u"9"_s, u"x"_s)(dialog);
            bOpen = dialog->isVisible();
            typedName = Edit(dialog, IDC_NAME)->text();
            CloseIfOpen(dialog);
        });
        CNewUserDlg dlg;
        dlg.DoModal();

        const QList<QStringList> users = db.Rows(u"user"_s);
        if (accepted) {
            QVERIFY(platform.boxes.isEmpty());
            QVERIFY(!bOpen);
            QCOMPARE(users.size(), 3);
            QCOMPARE(users[2][0], name);
            QCOMPARE(CurrentUser.Name, name);
            QCOMPARE(CurrentUser.KindCode, int(UserKind::Ordinary));
        } else {
            QCOMPARE(platform.boxes.size(), 1);
            QCOMPARE(platform.boxes[0].text, u"您输入的用户名已经有人使用,请更改!"_s);
            QCOMPARE(platform.boxes[0].caption, u"错误!"_s);
            QCOMPARE(platform.boxes[0].flags, MB_OK | MB_ICONEXCLAMATION);
            QVERIFY(bOpen);
            QCOMPARE(typedName, name);
            QCOMPARE(users.size(), 2);
            QVERIFY(History(db.Database()).isEmpty());
            // A refused registration grants nothing.
            QCOMPARE(Texts(CurrentUser), StartTexts);
            QCOMPARE(CurrentUser.KindCode, int(UserKind::Anonymous));
            QVERIFY(mainWindow.panes.isEmpty());
        }
    }

    void notConnectedFromLogin()
    {
        CScriptedPlatform platform;
        SetActiveDatabaseSource([] { return nullptr; });
        bool bOpen = false;
        platform.DriveDialog(
            [](QDialog* dialog) { static_cast<CLoginDlg*>(dialog)->ClickButton(1007); });
        platform.DriveDialog([&](QDialog* dialog) {
            NewUser(dialog)->ClickButton(1);
            bOpen = dialog->isVisible();
            CloseIfOpen(dialog);
        });
        CLoginDlg login;
        QCOMPARE(login.DoModal(), 0);
        QCOMPARE(platform.modalRuns, (QStringList{u"CLoginDlg"_s, u"CNewUserDlg"_s}));
        QVERIFY(bOpen);
        QCOMPARE(platform.boxes.size(), 2);
        QCOMPARE(platform.boxes[1].text, u"数据库未正确连接!无法添加新用户!"_s);
        QCOMPARE(platform.boxes[1].caption, u"qe"_s);
        QCOMPARE(CurrentUser.KindCode, 0);
    }

    void newUserFromLogin()
    {
        CScriptedPlatform platform;
        CTestDatabase db;
        platform.DriveDialog(
            [](QDialog* dialog) { static_cast<CLoginDlg*>(dialog)->ClickButton(1007); });
        platform.DriveDialog(Register(u"乙"_s, u"二班"_s, u"2"_s, u"b"_s));
        CLoginDlg login;
        QCOMPARE(login.DoModal(), 0);
        QCOMPARE(platform.modalRuns, (QStringList{u"CLoginDlg"_s, u"CNewUserDlg"_s}));
        QCOMPARE(db.Rows(u"user"_s).size(), 1);
        QCOMPARE(CurrentUser.Name, u"乙"_s);
        QCOMPARE(CurrentUser.KindCode, int(UserKind::Ordinary));
    }

    void cancelLeadsToLogin_data()
    {
        QTest::addColumn<bool>("fromCommand");
        QTest::newRow("opened by the view command") << true;
        QTest::newRow("opened from the login dialog") << false;
    }
    void cancelLeadsToLogin()
    {
        QFETCH(bool, fromCommand);
        CScriptedPlatform platform;
        CFakeMainWindow mainWindow;
        CTestDatabase db;
        CurrentUser = {u"甲"_s, u"一班"_s, u"1"_s, u"a"_s, u"普通用户"_s, UserKind::Ordinary};
        const CCurrentUser before = CurrentUser;

        if (!fromCommand) {
            platform.DriveDialog(
                [](QDialog* dialog) { static_cast<CLoginDlg*>(dialog)->ClickButton(1007); });
        }
        platform.DriveDialog([](QDialog* dialog) { NewUser(dialog)->ClickButton(2); });
        platform.DriveDialog(
            [](QDialog* dialog) { static_cast<CLoginDlg*>(dialog)->ClickButton(2); });
        if (fromCommand) {
            OpenNewUserDialog();
        } else {
            CLoginDlg login;
            login.DoModal();
        }

        QStringList expected{u"CNewUserDlg"_s, u"CLoginDlg"_s};
        if (!fromCommand)
            expected.prepend(u"CLoginDlg"_s);
        QCOMPARE(platform.modalRuns, expected);
        QCOMPARE(platform.unfinishedDialogs, 0);
        QVERIFY(platform.exits.isEmpty());
        QVERIFY(platform.boxes.isEmpty());
        QVERIFY(db.Rows(u"user"_s).isEmpty());
        QCOMPARE(Texts(CurrentUser), Texts(before));
        QCOMPARE(CurrentUser.KindCode, before.KindCode);
    }

    void commandGuard()
    {
        CScriptedPlatform platform;
        SetActiveDatabaseSource([] { return nullptr; });
        OpenNewUserDialog();
        QVERIFY(platform.modalRuns.isEmpty());
        QCOMPARE(platform.boxes.size(), 1);
        QCOMPARE(platform.boxes[0].text, u"数据库未正确连接!操作无法进行!"_s);
        QCOMPARE(platform.boxes[0].caption, u"qe"_s);
    }
};

QE_TEST_MAIN(TestRegistration)
#include "tst_registration.moc"
