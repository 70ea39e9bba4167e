#include "platform/Dao.h"
#include "platform/ScriptedPlatform.h"
#include "tests/FakeMainWindow.h"
#include "tests/TestDatabase.h"
#include "tests/TestMain.h"
#include "users/CurrentUser.h"
#include "users/Database.h"
#include "users/LogOff.h"
#include "users/LoginDlg.h"
#include "users/SlideWindow.h"

#include <QComboBox>
#include <QLineEdit>
#include <QSqlQuery>

using namespace Qt::Literals::StringLiterals;

namespace {

enum { IDC_KIND = 1004, IDC_NAME = 1005, IDC_PASSWORD = 1025 };

CLoginDlg* Login(QDialog* dialog)
{
    return static_cast<CLoginDlg*>(dialog);
}

QComboBox* Kind(QDialog* dialog)
{
    return Login(dialog)->Item<QComboBox>(IDC_KIND);
}

QComboBox* Name(QDialog* dialog)
{
    return Login(dialog)->Item<QComboBox>(IDC_NAME);
}

QLineEdit* Password(QDialog* dialog)
{
    return Login(dialog)->Item<QLineEdit>(IDC_PASSWORD);
}

QStringList Items(QComboBox* combo)
{
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items.append(combo->itemText(i));
    return items;
}

// Types a name and password and presses OK, as the user would.
CScriptedPlatform::DialogDriver TypeAndLogin(int nKind, const QString& name,
                                             const QString& password)
{
    return [=](QDialog* dialog) {
        if (nKind != 1)
            Login(dialog)->ChooseItem(IDC_KIND, nKind);
        Name(dialog)->setEditText(name);
        Password(dialog)->setText(password);
        Login(dialog)->ClickButton(1);
        // A login that did not succeed leaves the dialog open: cancel it.
        if (dialog->isVisible())
            Login(dialog)->ClickButton(2);
    };
}

struct Snapshot
{
    QStringList texts;
    int nKindCode = 0;
    static Snapshot Of(const CCurrentUser& user)
    {
        return {{user.Name, user.Class, user.StudentNo, user.Password, user.KindText},
                user.KindCode};
    }
    bool operator==(const Snapshot&) const = default;
};

// Field 0..7 of every loginhistory row, null fields as "<null>".
QList<QStringList> History(CDaoDatabase* db)
{
    QList<QStringList> rows;
    CDaoRecordset rs(db);
    rs.Open(dbOpenDynaset, Sql::ScanLoginHistory);
    for (; !rs.IsEOF(); rs.MoveNext()) {
        QStringList row;
        for (int i = 0; i < 8; ++i) {
            const CDaoFieldValue value = rs.GetFieldValue(i);
            row.append(value.IsNull() ? u"<null>"_s : VariantToText(value));
        }
        rows.append(row);
    }
    return rows;
}

} // namespace

class TestLogin : public QObject
{
    Q_OBJECT
private slots:
    void init() { CurrentUser = CCurrentUser(); }

    void slideWindow_data()
    {
        QTest::addColumn<int>("axis");
        QTest::addColumn<QPoint>("start");
        QTest::addColumn<int>("end");
        QTest::addColumn<QPoint>("expected");
        QTest::addColumn<bool>("shown");
        QTest::newRow("x stops on the last step before end")
            << 120 << QPoint(0, 40) << 100 << QPoint(96, 40) << true;
        QTest::newRow("y reaches end on an exact step")
            << 121 << QPoint(30, 5) << 29 << QPoint(30, 29) << true;
        QTest::newRow("start equal to end is one step")
            << 121 << QPoint(7, 50) << 50 << QPoint(7, 50) << true;
        QTest::newRow("start past end does not move")
            << 121 << QPoint(10, 200) << 100 << QPoint(333, 222) << false;
        QTest::newRow("other axis does not move")
            << 122 << QPoint(0, 0) << 500 << QPoint(333, 222) << false;
    }
    void slideWindow()
    {
        QFETCH(int, axis);
        QFETCH(QPoint, start);
        QFETCH(int, end);
        QFETCH(QPoint, expected);
        QFETCH(bool, shown);
        QWidget window;
        window.resize(50, 40);
        window.move(333, 222);
        SlideWindow(&window, axis, start.x(), start.y(), end);
        QCOMPARE(window.pos(), expected);
        QCOMPARE(window.size(), QSize(50, 40));
        QCOMPARE(window.isVisible(), shown);
    }

    void openingState()
    {
        CScriptedPlatform platform;
        CTestDatabase db;
        db.Insert(u"user"_s, {u"王五"_s, u"二班"_s, u"3"_s, u"w"_s, u"普通用户"_s});
        db.Insert(u"user"_s, {u"张三"_s, u"一班"_s, u"1"_s, u"z"_s, u"普通用户"_s});
        db.Insert(u"user"_s, {u"李四"_s, u"一班"_s, u"2"_s, u"l"_s, u"普通用户"_s});
        db.Insert(u"supperuser"_s, {u"admin"_s, u"pw"_s});
        CurrentUser.KindCode = UserKind::Super;
        const Snapshot before = Snapshot::Of(CurrentUser);

        QString kindText, nameText, password;
        QStringList kinds, names;
        int nKindCode = 0;
        bool bNameEnabled = false;
        QPoint pos, normal;
        platform.DriveDialog([&](QDialog* dialog) {
            kindText = Kind(dialog)->currentText();
            kinds = Items(Kind(dialog));
            names = Items(Name(dialog));
            nameText = Name(dialog)->currentText();
            password = Password(dialog)->text();
            bNameEnabled = Name(dialog)->isEnabled() && Password(dialog)->isEnabled();
            nKindCode = Login(dialog)->KindCode();
            pos = dialog->pos();
            normal = Login(dialog)->NormalPosition();
            Login(dialog)->ClickButton(2);
        });
        CLoginDlg dlg;
        QCOMPARE(dlg.DoModal(), IDCANCEL);

        QVERIFY(platform.boxes.isEmpty());
        QCOMPARE(kinds, (QStringList{u"超级用户"_s, u"普通用户"_s, u"匿名用户"_s}));
        QCOMPARE(kindText, u"普通用户"_s);
        QCOMPARE(names, (QStringList{u"王五"_s, u"张三"_s, u"李四"_s}));
        QCOMPARE(nameText, QString());
        QCOMPARE(password, QString());
        QVERIFY(bNameEnabled);
        QCOMPARE(nKindCode, int(UserKind::Ordinary));
        // The dialog chose "ordinary", but nobody logged in.
        QCOMPARE(Snapshot::Of(CurrentUser), before);
        // Slid in from the top: rests on the last 12-pixel step above the centre.
        QCOMPARE(pos.x(), normal.x());
        QVERIFY2(pos.y() <= normal.y() && normal.y() - pos.y() < 12,
                 qPrintable(u"top %1, centred top %2"_s.arg(pos.y()).arg(normal.y())));
        QCOMPARE(pos.y() % 12, 0);
        // Cancel slid it out downwards to the bottom of the work area.
        QVERIFY(dlg.pos().y() <= dlg.WorkArea().y() + dlg.WorkArea().height());
        QVERIFY(dlg.pos().y() > dlg.WorkArea().y() + dlg.WorkArea().height() - 12);
    }

    void kindChanges()
    {
        CScriptedPlatform platform;
        CTestDatabase db;
        db.Insert(u"user"_s, {u"张三"_s, u"一班"_s, u"1"_s, u"z"_s, u"普通用户"_s});
        db.Insert(u"supperuser"_s, {u"admin"_s, u"pw"_s});
        db.Insert(u"supperuser"_s, {u"root"_s, u"pw2"_s});

        QStringList superNames, anonymousNames, ordinaryNames;
        QString superShown, ordinaryShown, keptPassword;
        int nSuperCode = 0, nAnonymousCode = 0, nOrdinaryCode = 0;
        bool bAnonymousName = true, bAnonymousPassword = true, bAnonymousKind = false;
        platform.DriveDialog([&](QDialog* dialog) {
            Password(dialog)->setText(u"typed"_s);
            Login(dialog)->ChooseItem(IDC_KIND, 0);
            superNames = Items(Name(dialog));
            superShown = Name(dialog)->currentText();
            nSuperCode = Login(dialog)->KindCode();
            keptPassword = Password(dialog)->text();

            Login(dialog)->ChooseItem(IDC_KIND, 2);
            anonymousNames = Items(Name(dialog));
            bAnonymousName = Name(dialog)->isEnabled();
            bAnonymousPassword = Password(dialog)->isEnabled();
            bAnonymousKind = Kind(dialog)->isEnabled();
            nAnonymousCode = Login(dialog)->KindCode();

            Login(dialog)->ChooseItem(IDC_KIND, 1);
            ordinaryNames = Items(Name(dialog));
            ordinaryShown = Name(dialog)->currentText();
            nOrdinaryCode = Login(dialog)->KindCode();
            Login(dialog)->ClickButton(2);
        });
        CLoginDlg dlg;
        dlg.DoModal();

        QCOMPARE(superNames, (QStringList{u"admin"_s, u"root"_s}));
        QCOMPARE(superShown, u"root"_s);
        QCOMPARE(nSuperCode, int(UserKind::Super));
        QCOMPARE(keptPassword, u"typed"_s);
        QCOMPARE(anonymousNames, superNames);
        QVERIFY(!bAnonymousName);
        QVERIFY(!bAnonymousPassword);
        QVERIFY(bAnonymousKind);
        QCOMPARE(nAnonymousCode, int(UserKind::Anonymous));
        QCOMPARE(ordinaryNames, QStringList{u"张三"_s});
        QCOMPARE(ordinaryShown, u"张三"_s);
        QCOMPARE(nOrdinaryCode, int(UserKind::Ordinary));
        QCOMPARE(CurrentUser.KindCode, 0);
    }

    void noKindChosen()
    {
        CScriptedPlatform platform;
        CTestDatabase db;
        bool bStillOpen = false;
        platform.DriveDialog([&](QDialog* dialog) {
            Kind(dialog)->setCurrentIndex(-1);
            Login(dialog)->OnCommand(IDC_KIND);
            Login(dialog)->ClickButton(1);
            bStillOpen = dialog->isVisible();
            Login(dialog)->ClickButton(2);
        });
        CLoginDlg dlg;
        dlg.DoModal();
        QVERIFY(bStillOpen);
        QCOMPARE(platform.boxes.size(), 1);
        QCOMPARE(platform.boxes[0].text, u"请选择一个用户类型!"_s);
        QCOMPARE(platform.boxes[0].caption, u"qe"_s);
        QCOMPARE(platform.boxes[0].flags, unsigned(MB_OK));
        QCOMPARE(CurrentUser.KindCode, 0);
    }

    void nameLookup_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("loggedIn");
        QTest::newRow("typed name equal to a stored one") << u"Alice"_s << true;
        QTest::newRow("letter case differs") << u"alice"_s << false;
        QTest::newRow("trailing space differs") << u"Alice "_s << false;
        QTest::newRow("unknown name") << u"Bob"_s << false;
    }
    void nameLookup()
    {
        QFETCH(QString, typed);
        QFETCH(bool, loggedIn);
        CScriptedPlatform platform;
        CFakeMainWindow mainWindow;
        CTestDatabase db;
        db.Insert(u"user"_s, {u"Zed"_s, u"三班"_s, u"9"_s, u"zz"_s, u"普通用户"_s});
        db.Insert(u"user"_s, {u"Alice"_s, u"一班"_s, u"1001"_s, u"secret"_s, u"普通用户"_s});
        const Snapshot before = Snapshot::Of(CurrentUser);

        platform.DriveDialog(TypeAndLogin(1, typed, u"secret"_s));
        CLoginDlg dlg;
        const int nResult = dlg.DoModal();

        // An unknown name shows nothing and leaves the dialog waiting.
        QVERIFY(platform.boxes.isEmpty());
        if (loggedIn) {
            QCOMPARE(nResult, 0);
            QCOMPARE(Snapshot::Of(CurrentUser),
                     (Snapshot{{u"Alice"_s, u"一班"_s, u"1001"_s, u"secret"_s, u"普通用户"_s},
                               UserKind::Ordinary}));
            QCOMPARE(mainWindow.panes.value(1), u"用户姓名:Alice"_s);
            QCOMPARE(mainWindow.panes.value(2), u"用户类型:普通用户"_s);
        } else {
            QCOMPARE(nResult, IDCANCEL);
            QCOMPARE(Snapshot::Of(CurrentUser), before);
            QVERIFY(mainWindow.panes.isEmpty());
            QVERIFY(db.Rows(u"loginhistory"_s).isEmpty());
        }
    }

    void pickedNameLogsIn()
    {
        CScriptedPlatform platform;
        CTestDatabase db;
        db.Insert(u"user"_s, {u"甲"_s, u"一班"_s, u"1"_s, u"a"_s, u"普通用户"_s});
        db.Insert(u"user"_s, {u"乙"_s, u"二班"_s, u"2"_s, u"b"_s, u"普通用户"_s});
        platform.DriveDialog([](QDialog* dialog) {
            Name(dialog)->setCurrentIndex(1);
            Password(dialog)->setText(u"b"_s);
            Login(dialog)->ClickButton(1);
        });
        CLoginDlg dlg;
        QCOMPARE(dlg.DoModal(), 0);
        QCOMPARE(CurrentUser.Name, u"乙"_s);
        QCOMPARE(CurrentUser.Class, u"二班"_s);
    }

    void duplicateNameOnlyFirstTried()
    {
        CScriptedPlatform platform;
        CTestDatabase db;
        db.Insert(u"user"_s, {u"同名"_s, u"一班"_s, u"1"_s, u"first"_s, u"普通用户"_s});
        db.Insert(u"user"_s, {u"同名"_s, u"二班"_s, u"2"_s, u"second"_s, u"普通用户"_s});

        platform.DriveDialog(TypeAndLogin(1, u"同名"_s, u"second"_s));
        platform.DriveDialog(TypeAndLogin(1, u"同名"_s, u"first"_s));
        CLoginDlg refused;
        QCOMPARE(refused.DoModal(), IDCANCEL);
        QCOMPARE(platform.boxes.size(), 1);
        QCOMPARE(platform.boxes[0].text, u"普通用户密码有误!请注意大小,并重输."_s);
        QCOMPARE(CurrentUser.Name, u"NONE"_s);

        CLoginDlg accepted;
        QCOMPARE(accepted.DoModal(), 0);
        QCOMPARE(CurrentUser.Class, u"一班"_s);
    }

    void wrongPassword_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("message");
        QTest::newRow("ordinary, letter case differs")
            << 1 << u"SECRET"_s << u"普通用户密码有误!请注意大小,并重输."_s;
        QTest::newRow("ordinary, empty against a stored password")
            << 1 << QString() << u"普通用户密码有误!请注意大小,并重输."_s;
        QTest::newRow("super, trailing space")
            << 0 << u"secret "_s << u"超级用户密码有误!请注意大小,并重输."_s;
    }
    void wrongPassword()
    {
        QFETCH(int, kind);
        QFETCH(QString, typed);
        QFETCH(QString, message);
        CScriptedPlatform platform;
        CFakeMainWindow mainWindow;
        CTestDatabase db;
        db.Insert(u"user"_s, {u"甲"_s, u"一班"_s, u"1"_s, u"secret"_s, u"普通用户"_s});
        db.Insert(u"supperuser"_s, {u"甲"_s, u"secret"_s});
        CurrentUser.Name = u"前一位"_s;
        CurrentUser.KindCode = UserKind::Anonymous;
        CurrentUser.KindText = u"匿名用户"_s;
        const Snapshot before = Snapshot::Of(CurrentUser);

        bool bOpen = false, bFocused = false;
        QString selected, afterBox;
        Snapshot during;
        platform.DriveDialog([&](QDialog* dialog) {
            if (kind != 1)
                Login(dialog)->ChooseItem(IDC_KIND, kind);
            Name(dialog)->setEditText(u"甲"_s);
            Password(dialog)->setText(typed);
            Name(dialog)->setFocus();
            Login(dialog)->ClickButton(1);
            bOpen = dialog->isVisible();
            bFocused = dialog->focusWidget() == Password(dialog);
            selected = Password(dialog)->selectedText();
            afterBox = Password(dialog)->text();
            during = Snapshot::Of(CurrentUser);
            Login(dialog)->ClickButton(2);
        });
        CLoginDlg dlg;
        QCOMPARE(dlg.DoModal(), IDCANCEL);

        QVERIFY(bOpen);
        QCOMPARE(platform.boxes.size(), 1);
        QCOMPARE(platform.boxes[0].text, message);
        QCOMPARE(platform.boxes[0].caption, u"错误!"_s);
        QCOMPARE(platform.boxes[0].flags, MB_OK | MB_ICONEXCLAMATION);
        QVERIFY(bFocused);
        QCOMPARE(selected, afterBox);
        QCOMPARE(afterBox, typed);
        // Neither the stored password nor the other user's name leak out.
        QCOMPARE(during, before);
        QCOMPARE(Snapshot::Of(CurrentUser), before);
        QVERIFY(mainWindow.panes.isEmpty());
        QVERIFY(db.Rows(u"loginhistory"_s).isEmpty());
    }

    void ordinaryLoginHistory()
    {
        CScriptedPlatform platform;
        CTestDatabase db;
        db.Insert(u"user"_s, {u"张三"_s, u"一班"_s, u"1001"_s, u"pw"_s, u"普通用户"_s});
        platform.DriveDialog(TypeAndLogin(1, u"张三"_s, u"pw"_s));
        CLoginDlg dlg;
        QCOMPARE(dlg.DoModal(), 0);

        const QList<QStringList> rows = History(db.Database());
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows[0].mid(0, 4), (QStringList{u"张三"_s, u"一班"_s, u"1001"_s, u"普通用户"_s}));
        QCOMPARE(rows[0][7], u"用户登录"_s);
        QCOMPARE(CurrentUser.KindCode, int(UserKind::Ordinary));
    }

    void superLoginHistory()
    {
        CScriptedPlatform platform;
        CFakeMainWindow mainWindow;
        CTestDatabase db;
        db.Insert(u"supperuser"_s, {u"admin"_s, u"Root1"_s});
        CurrentUser.Class = u"旧班级"_s;
        platform.DriveDialog(TypeAndLogin(0, u"admin"_s, u"Root1"_s));
        CLoginDlg dlg;
        QCOMPARE(dlg.DoModal(), 0);

        const QList<QStringList> rows = History(db.Database());
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows[0][0], u"admin"_s);
        QCOMPARE(rows[0][1], u"<null>"_s);
        QCOMPARE(rows[0][2], u"<null>"_s);
        QCOMPARE(rows[0][3], u"超级用户"_s);
        QCOMPARE(rows[0][7], u"用户登录"_s);
        QCOMPARE(CurrentUser.Name, u"admin"_s);
        QCOMPARE(CurrentUser.Password, u"Root1"_s);
        QCOMPARE(CurrentUser.KindText, u"超级用户"_s);
        QCOMPARE(CurrentUser.KindCode, int(UserKind::Super));
        QCOMPARE(mainWindow.panes.value(1), u"用户姓名:admin"_s);
        QCOMPARE(mainWindow.panes.value(2), u"用户类型:超级用户"_s);
    }

    // Choosing the super-user kind and cancelling must not grant its rights.
    void cancelAfterChoosingSuperKeepsRights_data()
    {
        QTest::addColumn<int>("kindBefore");
        QTest::newRow("before the first login") << 0;
        QTest::newRow("an ordinary user stays ordinary") << int(UserKind::Ordinary);
    }
    void cancelAfterChoosingSuperKeepsRights()
    {
        QFETCH(int, kindBefore);
        CScriptedPlatform platform;
        CTestDatabase db;
        db.Insert(u"supperuser"_s, {u"admin"_s, u"pw"_s});
        CurrentUser.KindCode = kindBefore;
        const Snapshot before = Snapshot::Of(CurrentUser);
        platform.DriveDialog([](QDialog* dialog) {
            Login(dialog)->ChooseItem(IDC_KIND, 0);
            Login(dialog)->ClickButton(2);
        });
        CLoginDlg dlg;
        QCOMPARE(dlg.DoModal(), IDCANCEL);
        QVERIFY(CurrentUser.KindCode != UserKind::Super);
        QCOMPARE(Snapshot::Of(CurrentUser), before);
    }

    void notConnected_data()
    {
        QTest::addColumn<int>("kind");
        QTest::newRow("ordinary") << 1;
        QTest::newRow("super") << 0;
    }
    void notConnected()
    {
        QFETCH(int, kind);
        CScriptedPlatform platform;
        CFakeMainWindow mainWindow;
        SetActiveDatabaseSource([] { return nullptr; });
        const Snapshot before = Snapshot::Of(CurrentUser);

        bool bOpen = false;
        int nBoxesBeforeOk = -1;
        platform.DriveDialog([&](QDialog* dialog) {
            nBoxesBeforeOk = int(platform.boxes.size());
            if (kind != 1)
                Login(dialog)->ChooseItem(IDC_KIND, kind);
            Name(dialog)->setEditText(u"谁"_s);
            Login(dialog)->ClickButton(1);
            bOpen = dialog->isVisible();
            Login(dialog)->ClickButton(2);
        });
        CLoginDlg dlg;
        QVERIFY(!dlg.HasRecordset());
        QCOMPARE(dlg.DoModal(), IDCANCEL);

        // Once before the dialog opens, once for the refused OK.
        QCOMPARE(nBoxesBeforeOk, 1);
        QCOMPARE(platform.boxes.size(), 2);
        for (const CScriptedPlatform::Box& box : platform.boxes) {
            QCOMPARE(box.text, u"数据库未正确连接!部分功能无法使用!"_s);
            QCOMPARE(box.caption, u"qe"_s);
        }
        QVERIFY(bOpen);
        QCOMPARE(Snapshot::Of(CurrentUser), before);
        QVERIFY(mainWindow.panes.isEmpty());
    }

    void anonymousLogin_data()
    {
        QTest::addColumn<bool>("connected");
        QTest::newRow("connected") << true;
        QTest::newRow("not connected") << false;
    }
    void anonymousLogin()
    {
        QFETCH(bool, connected);
        CScriptedPlatform platform;
        CFakeMainWindow mainWindow;
        std::unique_ptr<CTestDatabase> db;
        if (connected)
            db = std::make_unique<CTestDatabase>();
        else
            SetActiveDatabaseSource([] { return nullptr; });

        platform.DriveDialog([](QDialog* dialog) {
            Login(dialog)->ChooseItem(IDC_KIND, 2);
            Login(dialog)->ClickButton(1);
        });
        CLoginDlg dlg;
        QCOMPARE(dlg.DoModal(), IDOK);
        QCOMPARE(CurrentUser.KindCode, int(UserKind::Anonymous));
        QCOMPARE(CurrentUser.KindText, u"匿名用户"_s);
        QCOMPARE(CurrentUser.Name, u"NONE"_s);
        QCOMPARE(mainWindow.panes.value(1), u"用户姓名:NONE"_s);
        QCOMPARE(mainWindow.panes.value(2), u"用户类型:匿名用户"_s);
        if (db)
            QVERIFY(db->Rows(u"loginhistory"_s).isEmpty());
    }

    void logOff()
    {
        CScriptedPlatform platform;
        CFakeMainWindow mainWindow;
        CTestDatabase db;
        db.Insert(u"supperuser"_s, {u"admin"_s, u"pw"_s});
        CurrentUser = {u"admin"_s, u"班"_s, u"7"_s, u"pw"_s, u"超级用户"_s, UserKind::Super};
        mainWindow.panes[1] = u"用户姓名:admin"_s;
        mainWindow.panes[2] = u"用户类型:超级用户"_s;

        Snapshot during;
        QMap<int, QString> panesDuring;
        platform.DriveDialog([&](QDialog* dialog) {
            during = Snapshot::Of(CurrentUser);
            panesDuring = mainWindow.panes;
            Login(dialog)->ChooseItem(IDC_KIND, 0);
            Login(dialog)->ClickButton(2);
        });
        LogOffCurrentUser();

        QCOMPARE(platform.modalRuns, QStringList{u"CLoginDlg"_s});
        const Snapshot loggedOff{{u"NONE"_s, u"NONE"_s, u"0"_s, QString(), u"普通用户"_s}, 0};
        QCOMPARE(during, loggedOff);
        QCOMPARE(panesDuring.value(1), u"用户姓名:NONE"_s);
        QCOMPARE(panesDuring.value(2), u"用户类型:普通用户"_s);
        // Cancelled: nobody is logged in, and the program goes on.
        QCOMPARE(Snapshot::Of(CurrentUser), loggedOff);
        QVERIFY(platform.exits.isEmpty());
    }

    void historyFailureKeepsUserOut()
    {
        CScriptedPlatform platform;
        CFakeMainWindow mainWindow;
        CTestDatabase db;
        db.Insert(u"user"_s, {u"甲"_s, u"一班"_s, u"1"_s, u"a"_s, u"普通用户"_s});
        QSqlQuery query(db.Database()->Connection());
        QVERIFY(query.exec(u"DROP TABLE loginhistory"_s));

        bool bOpen = false;
        platform.DriveDialog([&](QDialog* dialog) {
            Name(dialog)->setEditText(u"甲"_s);
            Password(dialog)->setText(u"a"_s);
            Login(dialog)->ClickButton(1);
            bOpen = dialog->isVisible();
            Login(dialog)->ClickButton(2);
        });
        CLoginDlg dlg;
        dlg.DoModal();
        QVERIFY(bOpen);
        // The failure is shown; the login did not happen.
        QCOMPARE(platform.boxes.size(), 1);
        QCOMPARE(CurrentUser.Name, u"NONE"_s);
        QCOMPARE(CurrentUser.KindCode, 0);
        QVERIFY(mainWindow.panes.isEmpty());
    }
};

QE_TEST_MAIN(TestLogin)
#include "tst_login.moc"
