#include "platform/ScriptedPlatform.h"
#include "tests/DialogDriver.h"
#include "tests/FakeMainWindow.h"
#include "tests/TestDatabase.h"
#include "tests/TestMain.h"
#include "users/CurrentUser.h"
#include "users/LoginDlg.h"
#include "users/NewUserDlg.h"

#include <QAbstractItemView>
#include <QAction>
#include <QComboBox>
#include <QCompleter>
#include <QLineEdit>
#include <QDateEdit>
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
    IDC_NEWUSER = 1007,
};

const QString Presets = u"<presets>"_s;

// Name, class, number and password; the Presets name leaves the presets.
EditTexts Typed(const QString& name, const QString& klass, const QString& number,
                const QString& password)
{
    if (name == Presets)
        return {};
    return {
        {IDC_NAME, name}, {IDC_CLASS, klass}, {IDC_STUDENTNO, number}, {IDC_PASSWORD, password}};
}

void PressNewUser(CScriptedPlatform& platform)
{
    Drive<CLoginDlg>(platform, [](CLoginDlg* dlg) { dlg->ClickButton(IDC_NEWUSER); });
}

const QString Ordinary = QString::number(UserKind::Ordinary);

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
        bool bDateShown = false;
        Drive(platform, [&](CDialog* dlg) {
            for (int nID : {IDC_NAME, IDC_CLASS, IDC_STUDENTNO, IDC_PASSWORD})
                texts.append(dlg->GetDlgItemText(nID));
            auto* pKind = dlg->Item<QComboBox>(IDC_KIND);
            texts.append(pKind->currentText());
            for (int i = 0; i < pKind->count(); ++i)
                kinds.append(pKind->itemText(i));
            bDateShown = dlg->Item<QDateEdit>(IDC_DATE) != nullptr;
            dlg->EndDialog(IDCANCEL);
        });
        CNewUserDlg dlg;
        dlg.DoModal();
        QCOMPARE(texts, (QStringList{u"NONE"_s, u"NONE"_s, u"0"_s, QString(), u"普通用户"_s}));
        QCOMPARE(kinds, QStringList{u"普通用户"_s});
        QVERIFY(bDateShown);
    }

    // The class box offers the classes that exist: those containing what was
    // typed, or all of them from its arrow; a class may still be typed anew.
    void classBoxOffersTheClasses_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("offered");
        QTest::addColumn<int>("picked");
        QTest::addColumn<QString>("stored");
        QTest::newRow("the start of a class")
            << u"四年级"_s << QStringList{u"四年级二班"_s, u"四年级一班"_s} << 1 << u"四年级一班"_s;
        QTest::newRow("a part within")
            << u"一班"_s << QStringList{u"四年级一班"_s, u"五年级一班"_s} << 1 << u"五年级一班"_s;
        QTest::newRow("the arrow offers all")
            << QString() << QStringList{u"四年级二班"_s, u"四年级一班"_s, u"五年级一班"_s} << 1
            << u"四年级一班"_s;
        QTest::newRow("a new class is still typed")
            << u"六年级一班"_s << QStringList() << -1 << u"六年级一班"_s;
    }
    void classBoxOffersTheClasses()
    {
        QFETCH(QString, typed);
        QFETCH(QStringList, offered);
        QFETCH(int, picked);
        QFETCH(QString, stored);
        CScriptedPlatform platform;
        CTestDatabase db;
        db.Insert(u"user"_s, {u"甲"_s, u"四年级一班"_s, u"1"_s, u"p"_s, u"普通用户"_s});
        db.Insert(u"user"_s, {u"乙"_s, u"四年级一班"_s, u"2"_s, u"p"_s, u"普通用户"_s});
        db.Insert(u"user"_s, {u"丙"_s, u"四年级二班"_s, u"3"_s, u"p"_s, u"普通用户"_s});
        db.Insert(u"user"_s, {u"丁"_s, u"五年级一班"_s, u"4"_s, u"p"_s, u"普通用户"_s});
        db.Insert(u"user"_s, {u"戊"_s, QString(), u"5"_s, u"p"_s, u"普通用户"_s});
        QStringList shown;
        Drive(platform, [&](CDialog* dlg) {
            QApplication::setActiveWindow(dlg);
            Fill(dlg, {{IDC_NAME, u"新同学"_s}});
            auto* edit = dlg->Item<QLineEdit>(IDC_CLASS);
            edit->setFocus();
            edit->clear();
            if (typed.isEmpty()) {
                edit->actions().value(0)->trigger();
            } else {
                for (const QChar ch : typed)
                    QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(ch),
                                        Qt::NoModifier);
            }
            QCompleter* completer = edit->completer();
            if (completer && completer->popup()->isVisible()) {
                for (int row = 0; row < completer->completionModel()->rowCount(); ++row)
                    shown.append(completer->completionModel()->index(row, 0).data().toString());
            }
            if (picked >= 0 && picked < shown.size()) {
                completer->popup()->setCurrentIndex(completer->completionModel()->index(picked, 0));
                QTest::keyClick(completer->popup(), Qt::Key_Return);
            }
            dlg->ClickButton(1);
        });
        CNewUserDlg dlg;
        dlg.DoModal();
        QCOMPARE(shown, offered);
        QCOMPARE(db.Rows(u"user"_s).last().value(1), stored);
    }

    // Typing at once replaces the preset name, and a field reached with Tab
    // has its preset replaced too ("0" of the number).
    void typingReplacesThePresets()
    {
        CScriptedPlatform platform;
        CTestDatabase db;
        int nFocus = 0;
        QStringList texts;
        Drive(platform, [&](CDialog* dlg) {
            QApplication::setActiveWindow(dlg);
            nFocus = TypeAtOnce(dlg, u"laoshi"_s);
            QTest::keyClick(dlg->focusWidget(), Qt::Key_Tab);
            QTest::keyClick(dlg->focusWidget(), Qt::Key_Tab);
            TypeAtOnce(dlg, u"42"_s);
            for (int nID : {IDC_NAME, IDC_CLASS, IDC_STUDENTNO})
                texts.append(dlg->GetDlgItemText(nID));
        });
        CNewUserDlg dlg;
        dlg.DoModal();
        QCOMPARE(nFocus, int(IDC_NAME));
        QCOMPARE(texts, (QStringList{u"laoshi"_s, u"NONE"_s, u"42"_s}));
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
        Drive(platform, [&](CDialog* dlg) {
            QLineEdit* edit = dlg->Item<QLineEdit>(control);
            edit->clear();
            QTest::keyClicks(edit, typed);
            text = edit->text();
        });
        CNewUserDlg dlg;
        dlg.DoModal();
        QCOMPARE(text, kept);
    }

    // Alice and Bob are stored, admin only as a super user.
    void registration_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("OK at once stores the presets") << Presets << true;
        QTest::newRow("new name stored with its history row") << u"新生"_s << true;
        QTest::newRow("same name refused") << u"Alice"_s << false;
        QTest::newRow("second stored name refused") << u"Bob"_s << false;
        QTest::newRow("letter case differs") << u"alice"_s << true;
        QTest::newRow("trailing space differs") << u"Alice "_s << true;
        QTest::newRow("empty name") << QString() << true;
        QTest::newRow("name only of a super user") << u"admin"_s << true;
    }
    void registration()
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
        const QStringList before = UserTexts();

        bool bOpen = false;
        QString typedName;
        Drive(platform, [&](CDialog* dlg) {
            Fill(dlg, Typed(name, u"新班"_s, u"20230001"_s, u"pw"_s));
            bOpen = Press(dlg, 1);
            typedName = dlg->GetDlgItemText(IDC_NAME);
        });
        CNewUserDlg dlg;
        dlg.DoModal();

        const Rows users = db.AccountRows(u"user"_s);
        if (accepted) {
            QStringList user = name == Presets
                                   ? QStringList{u"NONE"_s, u"NONE"_s, u"0"_s, QString()}
                                   : QStringList{name, u"新班"_s, u"20230001"_s, u"pw"_s};
            user << u"普通用户"_s;
            QVERIFY(platform.boxes.isEmpty());
            QVERIFY(!bOpen);
            QCOMPARE(users.size(), 3);
            // The password is kept only as the login checks it.
            QStringList stored = user;
            stored[3].clear();
            QCOMPARE(users[2].mid(0, 5), stored);
            QVERIFY(db.Accepts(CurrentUser.RowKey, user[3]));
            QVERIFY(!db.Accepts(CurrentUser.RowKey, user[3] + u"x"_s));
            const Rows history = LoginHistory(db.Admin());
            QCOMPARE(history.size(), 1);
            QCOMPARE(history[0].mid(0, 3) << history[0][3] << history[0][7],
                     user.mid(0, 3) << user[4] << u"创建用户"_s);
            QCOMPARE(UserTexts(), user << Ordinary);
            // The new user's own row is the one later settings edit.
            CDaoRecordset rs(db.Database());
            QVERIFY(OpenScan(rs, Sql::ScanUsers));
            QVERIFY(CurrentUser.RowKey != 0 && rs.FindKey(CurrentUser.RowKey));
            QCOMPARE(VariantToText(rs.GetFieldValue(0)), user[0]);
            QCOMPARE(rs.GetRowKey(), CurrentUser.RowKey);
            QCOMPARE(mainWindow.panes.value(1), u"用户姓名:"_s + user[0]);
            QCOMPARE(mainWindow.panes.value(2), u"用户类型:普通用户"_s);
        } else {
            CompareBoxes(platform, {Box(u"您输入的用户名已经有人使用,请更改!"_s, u"错误!"_s,
                                        MB_OK | MB_ICONEXCLAMATION)});
            QVERIFY(bOpen);
            QCOMPARE(typedName, name);
            QCOMPARE(users.size(), 2);
            QVERIFY(LoginHistory(db.Admin()).isEmpty());
            // A refused registration grants nothing, not even the kind.
            QCOMPARE(UserTexts(), before);
            QVERIFY(mainWindow.panes.isEmpty());
        }
    }

    // A name or class that would list or print as something else is
    // refused with the reason; nothing is stored, nobody is logged in. The
    // described refusal of a taken name comes first.
    void oddCharactersRefused_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("className");
        QTest::addColumn<QString>("message");
        QTest::newRow("a line feed in the class")
            << u"新生"_s << u"三年级\n二班"_s << u"班级名称中有换行符,请重新输入!"_s;
        QTest::newRow("a right-to-left override in the name")
            << u"新\u202E生"_s << u"一班"_s
            << u"用户姓名中有看不见的字符 U+202E(如文字方向符、零宽字符),请重新输入!"_s;
        QTest::newRow("a name of nothing visible")
            << u"\u3164"_s << u"一班"_s << u"用户姓名中没有看得见的字符,请重新输入!"_s;
        QTest::newRow("a taken name is refused as taken")
            << u"Alice"_s << u"一\t班"_s << u"您输入的用户名已经有人使用,请更改!"_s;
    }
    void oddCharactersRefused()
    {
        QFETCH(QString, name);
        QFETCH(QString, className);
        QFETCH(QString, message);
        CScriptedPlatform platform;
        CFakeMainWindow mainWindow;
        CTestDatabase db;
        db.Insert(u"user"_s, {u"Alice"_s, u"一班"_s, u"1"_s, u"a"_s, u"普通用户"_s});
        CurrentUser.KindCode = UserKind::Anonymous;
        const QStringList before = UserTexts();
        bool bOpen = false;
        Drive(platform, [&](CDialog* dlg) {
            Fill(dlg, Typed(name, className, u"20230001"_s, u"pw"_s));
            bOpen = Press(dlg, 1);
        });
        CNewUserDlg dlg;
        dlg.DoModal();
        QVERIFY(bOpen);
        CompareBoxes(platform, {Box(message, u"错误!"_s, MB_OK | MB_ICONEXCLAMATION)});
        QCOMPARE(db.Rows(u"user"_s).size(), 1);
        QVERIFY(LoginHistory(db.Admin()).isEmpty());
        QCOMPARE(UserTexts(), before);
    }

    // The user row is stored before the history row: when the history
    // cannot be written, the account exists and its owner is logged in.
    void historyFailureAfterUserRow()
    {
        CScriptedPlatform platform;
        CFakeMainWindow mainWindow;
        CTestDatabase db;
        db.DropTable(u"loginhistory"_s);
        bool bOpen = false;
        Drive(platform, [&](CDialog* dlg) {
            Fill(dlg, Typed(u"甲"_s, u"一班"_s, u"1"_s, u"a"_s));
            bOpen = Press(dlg, 1);
        });
        CNewUserDlg dlg;
        dlg.DoModal();
        QVERIFY(bOpen);
        QCOMPARE(platform.boxes.size(), 1);
        QCOMPARE(db.Rows(u"user"_s).size(), 1);
        QCOMPARE(CurrentUser.Name, u"甲"_s);
        QCOMPARE(CurrentUser.KindCode, int(UserKind::Ordinary));
    }

    void fromLogin_data()
    {
        QTest::addColumn<bool>("connected");
        QTest::newRow("connected: stored and logged in") << true;
        QTest::newRow("not connected: refused, dialog stays open") << false;
    }
    void fromLogin()
    {
        QFETCH(bool, connected);
        CScriptedPlatform platform;
        std::unique_ptr<CTestDatabase> db;
        if (connected)
            db = std::make_unique<CTestDatabase>();
        else
            NoDatabase();
        bool bOpen = false;
        PressNewUser(platform);
        Drive(platform, [&](CDialog* dlg) {
            Fill(dlg, Typed(u"乙"_s, u"二班"_s, u"2"_s, u"b"_s));
            bOpen = Press(dlg, 1);
            if (bOpen)
                dlg->EndDialog(-1);
        });
        CLoginDlg login;
        QCOMPARE(login.DoModal(), 0);
        QCOMPARE(platform.modalRuns, (QStringList{u"CLoginDlg"_s, u"CNewUserDlg"_s}));
        QCOMPARE(bOpen, !connected);
        if (connected) {
            QCOMPARE(db->Rows(u"user"_s).size(), 1);
            QCOMPARE(UserTexts(),
                     (QStringList{u"乙"_s, u"二班"_s, u"2"_s, u"b"_s, u"普通用户"_s, Ordinary}));
        } else {
            QCOMPARE(platform.boxes.size(), 2);
            QCOMPARE(platform.boxes[1].text, u"数据库未正确连接!无法添加新用户!"_s);
            QCOMPARE(platform.boxes[1].caption, u"qe"_s);
            QCOMPARE(CurrentUser.KindCode, 0);
        }
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
        const QStringList before = UserTexts();

        if (!fromCommand)
            PressNewUser(platform);
        Drive(platform, [](CDialog* dlg) { dlg->ClickButton(2); });
        Drive(platform, [](CDialog* dlg) { dlg->ClickButton(2); });
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
        QCOMPARE(UserTexts(), before);
    }

    void commandGuard()
    {
        CScriptedPlatform platform;
        NoDatabase();
        OpenNewUserDialog();
        QVERIFY(platform.modalRuns.isEmpty());
        QCOMPARE(platform.boxes.size(), 1);
        QCOMPARE(platform.boxes[0].text, NotConnected);
        QCOMPARE(platform.boxes[0].caption, u"qe"_s);
    }
};

QE_TEST_MAIN(TestRegistration)
#include "tst_registration.moc"
