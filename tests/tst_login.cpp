#include "platform/ScriptedPlatform.h"
#include "tests/DialogDriver.h"
#include "tests/FakeMainWindow.h"
#include "tests/TestDatabase.h"
#include "tests/TestMain.h"
#include "users/CurrentUser.h"
#include "users/LoginDlg.h"
#include "users/LogOff.h"
#include "users/SlideWindow.h"

#include <QComboBox>
#include <QSqlQuery>

using namespace Qt::Literals::StringLiterals;

namespace {

enum { IDC_KIND = 1004, IDC_NAME = 1005, IDC_PASSWORD = 1025 };
enum Setup { Connected, NoDb, NoHistoryTable };

QStringList Items(QComboBox* combo)
{
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items.append(combo->itemText(i));
    return items;
}

// Rows in a deliberately unsorted order, and a name stored twice; returns
// the keys of the user rows.
QList<qint64> FillUsers(CTestDatabase& db)
{
    const QString kind = u"普通用户"_s;
    QList<qint64> keys;
    keys << db.Insert(u"user"_s, {u"Zed"_s, u"三班"_s, u"9"_s, u"zz"_s, kind});
    keys << db.Insert(u"user"_s, {u"Alice"_s, u"一班"_s, u"1001"_s, u"secret"_s, kind});
    keys << db.Insert(u"user"_s, {u"同名"_s, u"一班"_s, u"1"_s, u"first"_s, kind});
    keys << db.Insert(u"user"_s, {u"同名"_s, u"二班"_s, u"2"_s, u"second"_s, kind});
    db.Insert(u"supperuser"_s, {u"admin"_s, u"Root1"_s});
    db.Insert(u"supperuser"_s, {u"root"_s, u"pw2"_s});
    return keys;
}

void TypeLogin(CLoginDlg* dlg, int nKind, const QString& name, const QString& password)
{
    if (nKind != 1)
        dlg->ChooseItem(IDC_KIND, nKind);
    dlg->Item<QComboBox>(IDC_NAME)->setEditText(name);
    dlg->Item<QLineEdit>(IDC_PASSWORD)->setText(password);
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
        QTest::addColumn<QPoint>("expected"); // (333, 222): not moved, not shown
        QTest::newRow("x stops on the last step before end")
            << 120 << QPoint(0, 40) << 100 << QPoint(96, 40);
        QTest::newRow("y reaches end on an exact step")
            << 121 << QPoint(30, 5) << 29 << QPoint(30, 29);
        QTest::newRow("start equal to end is one step")
            << 121 << QPoint(7, 50) << 50 << QPoint(7, 50);
        QTest::newRow("start past end does not move")
            << 121 << QPoint(10, 200) << 100 << QPoint(333, 222);
        QTest::newRow("other axis does not move") << 122 << QPoint(0, 0) << 500 << QPoint(333, 222);
    }
    void slideWindow()
    {
        QFETCH(int, axis);
        QFETCH(QPoint, start);
        QFETCH(int, end);
        QFETCH(QPoint, expected);
        QWidget window;
        window.setGeometry(333, 222, 50, 40);
        SlideWindow(&window, axis, start.x(), start.y(), end);
        QCOMPARE(window.pos(), expected);
        QCOMPARE(window.size(), QSize(50, 40));
        QCOMPARE(window.isVisible(), expected != QPoint(333, 222));
    }

    // Opening, then switching kinds and cancelling: nobody is logged in.
    void openingAndKindChoice()
    {
        CScriptedPlatform platform;
        CTestDatabase db;
        FillUsers(db);
        CurrentUser.KindCode = UserKind::Super;
        const QStringList before = UserTexts();

        QStringList seen, kinds, names, superNames, anonymousNames, ordinaryNames;
        QList<int> codes;
        bool bEnabled = false, bAnonymousDisabled = false;
        QPoint pos, normal;
        Drive<CLoginDlg>(platform, [&](CLoginDlg* dlg) {
            auto* kind = dlg->Item<QComboBox>(IDC_KIND);
            auto* name = dlg->Item<QComboBox>(IDC_NAME);
            auto* password = dlg->Item<QLineEdit>(IDC_PASSWORD);
            kinds = Items(kind);
            names = Items(name);
            seen << kind->currentText() << name->currentText() << password->text();
            bEnabled = name->isEnabled() && password->isEnabled();
            codes << dlg->KindCode();
            pos = dlg->pos();
            normal = dlg->NormalPosition();

            password->setText(u"typed"_s);
            dlg->ChooseItem(IDC_KIND, 0);
            superNames = Items(name);
            seen << name->currentText() << password->text();
            codes << dlg->KindCode();
            dlg->ChooseItem(IDC_KIND, 2);
            anonymousNames = Items(name);
            bAnonymousDisabled = !name->isEnabled() && !password->isEnabled() && kind->isEnabled();
            codes << dlg->KindCode();
            dlg->ChooseItem(IDC_KIND, 1);
            ordinaryNames = Items(name);
            seen << name->currentText();
            codes << dlg->KindCode();
            dlg->ClickButton(2);
        });
        CLoginDlg dlg;
        QCOMPARE(dlg.DoModal(), IDCANCEL);

        QVERIFY(platform.boxes.isEmpty());
        QCOMPARE(kinds, (QStringList{u"超级用户"_s, u"普通用户"_s, u"匿名用户"_s}));
        QCOMPARE(names, (QStringList{u"Zed"_s, u"Alice"_s, u"同名"_s, u"同名"_s}));
        QCOMPARE(superNames, (QStringList{u"admin"_s, u"root"_s}));
        QCOMPARE(anonymousNames, superNames);
        QCOMPARE(ordinaryNames, names);
        QCOMPARE(seen, (QStringList{u"普通用户"_s, QString(), QString(), u"root"_s, u"typed"_s,
                                    u"同名"_s}));
        QVERIFY(bEnabled);
        QVERIFY(bAnonymousDisabled);
        QCOMPARE(codes, (QList<int>{UserKind::Ordinary, UserKind::Super, UserKind::Anonymous,
                                    UserKind::Ordinary}));
        QCOMPARE(UserTexts(), before);
        // Slid in from the top: rests on the last 12-pixel step above the centre.
        QCOMPARE(pos.x(), normal.x());
        QVERIFY2(pos.y() <= normal.y() && normal.y() - pos.y() < 12,
                 qPrintable(u"top %1, centred top %2"_s.arg(pos.y()).arg(normal.y())));
        QCOMPARE(pos.y() % 12, 0);
        // Cancel slid it out downwards to the bottom of the work area.
        const int bottom = dlg.WorkArea().y() + dlg.WorkArea().height();
        QVERIFY(dlg.pos().y() <= bottom && dlg.pos().y() > bottom - 12);
    }

    void login_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("pick"); // index in the name list, -1: typed
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QStringList>("user");
        QTest::addColumn<QStringList>("history"); // fields 0 to 3 and 7
        QTest::addColumn<int>("row");             // the user row whose key is taken; -1: none
        const QString ordinary = QString::number(UserKind::Ordinary);
        QTest::newRow("typed ordinary name")
            << 1 << -1 << u"Alice"_s << u"secret"_s
            << QStringList{u"Alice"_s, u"一班"_s, u"1001"_s, u"secret"_s, u"普通用户"_s, ordinary}
            << QStringList{u"Alice"_s, u"一班"_s, u"1001"_s, u"普通用户"_s, u"用户登录"_s} << 1;
        QTest::newRow("name picked from the list")
            << 1 << 0 << QString() << u"zz"_s
            << QStringList{u"Zed"_s, u"三班"_s, u"9"_s, u"zz"_s, u"普通用户"_s, ordinary}
            << QStringList{u"Zed"_s, u"三班"_s, u"9"_s, u"普通用户"_s, u"用户登录"_s} << 0;
        QTest::newRow("name stored twice: the first row's password")
            << 1 << -1 << u"同名"_s << u"first"_s
            << QStringList{u"同名"_s, u"一班"_s, u"1"_s, u"first"_s, u"普通用户"_s, ordinary}
            << QStringList{u"同名"_s, u"一班"_s, u"1"_s, u"普通用户"_s, u"用户登录"_s} << 2;
        QTest::newRow("super user: no class or number in the history")
            << 0 << -1 << u"admin"_s << u"Root1"_s
            << QStringList{u"admin"_s, u"NONE"_s,     u"0"_s,
                           u"Root1"_s, u"超级用户"_s, QString::number(UserKind::Super)}
            << QStringList{u"admin"_s, u"<null>"_s, u"<null>"_s, u"超级用户"_s, u"用户登录"_s}
            << -1;
    }
    void login()
    {
        QFETCH(int, kind);
        QFETCH(int, pick);
        QFETCH(QString, name);
        QFETCH(QString, password);
        QFETCH(QStringList, user);
        QFETCH(QStringList, history);
        QFETCH(int, row);
        CScriptedPlatform platform;
        CFakeMainWindow mainWindow;
        CTestDatabase db;
        const QList<qint64> keys = FillUsers(db);
        // Whoever was logged in before leaves no key behind.
        CurrentUser.RowKey = keys[3];
        Drive<CLoginDlg>(platform, [&](CLoginDlg* dlg) {
            TypeLogin(dlg, kind, name, password);
            if (pick >= 0)
                dlg->Item<QComboBox>(IDC_NAME)->setCurrentIndex(pick);
            dlg->ClickButton(1);
        });
        CLoginDlg dlg;
        QCOMPARE(dlg.DoModal(), 0);
        QVERIFY(platform.boxes.isEmpty());
        QCOMPARE(UserTexts(), user);
        QCOMPARE(CurrentUser.RowKey, row < 0 ? 0 : keys[row]);
        QCOMPARE(mainWindow.panes.value(1), u"用户姓名:"_s + user[0]);
        QCOMPARE(mainWindow.panes.value(2), u"用户类型:"_s + user[4]);
        const Rows rows = LoginHistory(db.Admin());
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows[0].mid(0, 4) << rows[0][7], history);
    }

    // Names that differ in case are different users: "tom" typed and Enter
    // pressed in the name box must not be completed to "Tom" and log in as
    // Tom; it finds nobody.
    void typedNameIsNotCompletedInAnotherCase()
    {
        CScriptedPlatform platform;
        CTestDatabase db;
        db.Insert(u"user"_s, {u"Tom"_s, u"一班"_s, u"1"_s, u"pw"_s, u"普通用户"_s});
        QString strTyped;
        bool bOpen = false;
        Drive<CLoginDlg>(platform, [&](CLoginDlg* dlg) {
            auto* name = dlg->Item<QComboBox>(IDC_NAME);
            dlg->Item<QLineEdit>(IDC_PASSWORD)->setText(u"pw"_s);
            QTest::keyClicks(name->lineEdit(), u"tom"_s);
            QTest::keyClick(name->lineEdit(), Qt::Key_Return);
            strTyped = name->currentText();
            bOpen = dlg->isVisible() && !dlg->IsEnded();
        });
        CLoginDlg dlg;
        dlg.DoModal();
        QCOMPARE(strTyped, u"tom"_s);
        QVERIFY(bOpen);
        QCOMPARE(CurrentUser.Name, u"NONE"_s);
        QVERIFY(db.Rows(u"loginhistory"_s).isEmpty());
    }

    // Every password that can be set (up to 10 characters) can be typed into
    // the login box.
    void longestPasswordFitsTheLoginBox_data()
    {
        QTest::addColumn<QString>("password");
        QTest::newRow("10 letters") << TenChars;
        QTest::newRow("10 wide letters") << u"WWWWWWWWWW"_s;
        QTest::newRow("10 Chinese characters") << QString(10, u'密');
    }
    void longestPasswordFitsTheLoginBox()
    {
        QFETCH(QString, password);
        CScriptedPlatform platform;
        CTestDatabase db;
        db.Insert(u"user"_s, {u"Tom"_s, u"一班"_s, u"1"_s, password, u"普通用户"_s});
        QString strTyped;
        Drive<CLoginDlg>(platform, [&](CLoginDlg* dlg) {
            dlg->Item<QComboBox>(IDC_NAME)->setEditText(u"Tom"_s);
            auto* edit = dlg->Item<QLineEdit>(IDC_PASSWORD);
            // Typed key by key, as the box's own limits apply to typing.
            for (const QChar ch : password)
                QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(ch),
                                    Qt::NoModifier);
            strTyped = edit->text();
            dlg->ClickButton(1);
        });
        CLoginDlg dlg;
        QCOMPARE(dlg.DoModal(), 0);
        QCOMPARE(strTyped, password);
        QCOMPARE(CurrentUser.Name, u"Tom"_s);
    }

    // An anonymous login after an ordinary user's keeps the name on show but
    // leaves no key to the user's rows.
    void anonymousAfterAnOrdinaryUserHasNoRow()
    {
        CScriptedPlatform platform;
        CTestDatabase db;
        const QList<qint64> keys = FillUsers(db);
        CurrentUser = {u"Alice"_s,    u"一班"_s,          u"1001"_s, u"secret"_s,
                       u"普通用户"_s, UserKind::Ordinary, keys[1]};
        Drive<CLoginDlg>(platform, [](CLoginDlg* dlg) {
            dlg->ChooseItem(IDC_KIND, 2);
            dlg->ClickButton(1);
        });
        CLoginDlg dlg;
        QCOMPARE(dlg.DoModal(), IDOK);
        QCOMPARE(CurrentUser.Name, u"Alice"_s);
        QCOMPARE(CurrentUser.RowKey, 0);
        QVERIFY(!CurrentUser.IsOrdinaryLogin());
    }

    // Every refused OK keeps the dialog open and the previous user logged in.
    void refusedLogin_data()
    {
        QTest::addColumn<int>("setup");
        QTest::addColumn<int>("kind"); // -1: no kind chosen
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("password");
        QTest::addColumn<Rows>("boxes");
        const unsigned exclaim = MB_OK | MB_ICONEXCLAMATION;
        const Rows ordinary{Box(u"普通用户密码有误!请注意大小,并重输."_s, u"错误!"_s, exclaim)};
        const Rows super{Box(u"超级用户密码有误!请注意大小,并重输."_s, u"错误!"_s, exclaim)};
        const QStringList notConnected =
            Box(u"数据库未正确连接!部分功能无法使用!"_s, u"qe"_s, MB_OK | MB_ICONEXCLAMATION);
        QTest::newRow("unknown name shows nothing")
            << int(Connected) << 1 << u"Bob"_s << u"secret"_s << Rows{};
        QTest::newRow("name letter case differs")
            << int(Connected) << 1 << u"alice"_s << u"secret"_s << Rows{};
        QTest::newRow("name trailing space differs")
            << int(Connected) << 1 << u"Alice "_s << u"secret"_s << Rows{};
        QTest::newRow("super kind does not look among ordinary users")
            << int(Connected) << 0 << u"Alice"_s << u"secret"_s << Rows{};
        QTest::newRow("ordinary password letter case differs")
            << int(Connected) << 1 << u"Alice"_s << u"SECRET"_s << ordinary;
        QTest::newRow("empty password against a stored one")
            << int(Connected) << 1 << u"Alice"_s << QString() << ordinary;
        QTest::newRow("name stored twice: the second row is never tried")
            << int(Connected) << 1 << u"同名"_s << u"second"_s << ordinary;
        QTest::newRow("super password trailing space")
            << int(Connected) << 0 << u"admin"_s << u"Root1 "_s << super;
        QTest::newRow("no kind chosen") << int(Connected) << -1 << u"Alice"_s << u"secret"_s
                                        << Rows{Box(u"请选择一个用户类型!"_s, u"qe"_s, MB_OK)};
        QTest::newRow("no database, ordinary: told on opening and on OK")
            << int(NoDb) << 1 << u"Alice"_s << u"secret"_s << Rows{notConnected, notConnected};
        QTest::newRow("no database, super")
            << int(NoDb) << 0 << u"admin"_s << u"Root1"_s << Rows{notConnected, notConnected};
        QTest::newRow("login history cannot be written")
            << int(NoHistoryTable) << 1 << u"Alice"_s << u"secret"_s
            << Rows{Box(u"…"_s, u"qe"_s, MB_OK | MB_ICONSTOP)};
    }
    void refusedLogin()
    {
        QFETCH(int, setup);
        QFETCH(int, kind);
        QFETCH(QString, name);
        QFETCH(QString, password);
        QFETCH(Rows, boxes);
        CScriptedPlatform platform;
        CFakeMainWindow mainWindow;
        std::unique_ptr<CTestDatabase> db;
        if (setup == NoDb) {
            NoDatabase();
        } else {
            db = std::make_unique<CTestDatabase>();
            FillUsers(*db);
        }
        if (setup == NoHistoryTable)
            db->DropTable(u"loginhistory"_s);
        CurrentUser = {u"前一位"_s, u"NONE"_s,     u"0"_s,
                       QString(),   u"匿名用户"_s, UserKind::Anonymous};
        const QStringList before = UserTexts();

        bool bOpen = false, bPasswordSelected = false;
        qsizetype nShownOnOpen = -1;
        QStringList during;
        Drive<CLoginDlg>(platform, [&](CLoginDlg* dlg) {
            nShownOnOpen = platform.boxes.size();
            if (kind < 0) {
                dlg->Item<QComboBox>(IDC_KIND)->setCurrentIndex(-1);
                dlg->OnCommand(IDC_KIND);
            }
            TypeLogin(dlg, kind < 0 ? 1 : kind, name, password);
            dlg->Item<QComboBox>(IDC_NAME)->setFocus();
            bOpen = Press(dlg, 1);
            auto* edit = dlg->Item<QLineEdit>(IDC_PASSWORD);
            bPasswordSelected = dlg->focusWidget() == edit && edit->selectedText() == password &&
                                edit->text() == password;
            during = UserTexts();
            dlg->ClickButton(2);
        });
        CLoginDlg dlg;
        QCOMPARE(dlg.HasRecordset(), setup != NoDb);
        QCOMPARE(dlg.DoModal(), IDCANCEL);

        QVERIFY(bOpen);
        QCOMPARE(nShownOnOpen, setup == NoDb ? 1 : 0);
        CompareBoxes(platform, boxes);
        // A wrong password is selected for retyping.
        if (boxes.size() == 1 && boxes[0][1] == u"错误!"_s)
            QVERIFY(bPasswordSelected);
        // Neither the stored password nor another user's name leak out.
        QCOMPARE(during, before);
        QCOMPARE(UserTexts(), before);
        QVERIFY(mainWindow.panes.isEmpty());
        if (setup == Connected)
            QVERIFY(db->Rows(u"loginhistory"_s).isEmpty());
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
        FillUsers(db);
        CurrentUser.KindCode = kindBefore;
        const QStringList before = UserTexts();
        Drive<CLoginDlg>(platform, [](CLoginDlg* dlg) {
            dlg->ChooseItem(IDC_KIND, 0);
            dlg->ClickButton(2);
        });
        CLoginDlg dlg;
        QCOMPARE(dlg.DoModal(), IDCANCEL);
        QCOMPARE(UserTexts(), before);
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
            NoDatabase();
        Drive<CLoginDlg>(platform, [](CLoginDlg* dlg) {
            dlg->ChooseItem(IDC_KIND, 2);
            dlg->ClickButton(1);
        });
        CLoginDlg dlg;
        QCOMPARE(dlg.DoModal(), IDOK);
        QCOMPARE(UserTexts(), (QStringList{u"NONE"_s, u"NONE"_s, u"0"_s, QString(), u"匿名用户"_s,
                                           QString::number(UserKind::Anonymous)}));
        QCOMPARE(mainWindow.panes.value(1), u"用户姓名:NONE"_s);
        QCOMPARE(mainWindow.panes.value(2), u"用户类型:匿名用户"_s);
        if (db)
            QVERIFY(db->Rows(u"loginhistory"_s).isEmpty());
    }

    // Logging off clears the whole user before the login opens; a cancelled
    // login leaves nobody logged in and the program going on.
    void logOff()
    {
        CScriptedPlatform platform;
        CFakeMainWindow mainWindow;
        CTestDatabase db;
        FillUsers(db);
        CurrentUser = {u"admin"_s, u"班"_s, u"7"_s, u"Root1"_s, u"超级用户"_s, UserKind::Super};
        mainWindow.panes[1] = u"用户姓名:admin"_s;
        mainWindow.panes[2] = u"用户类型:超级用户"_s;

        QStringList during;
        QMap<int, QString> panesDuring;
        Drive<CLoginDlg>(platform, [&](CLoginDlg* dlg) {
            during = UserTexts();
            panesDuring = mainWindow.panes;
            dlg->ChooseItem(IDC_KIND, 0);
            dlg->ClickButton(2);
        });
        LogOffCurrentUser();

        QCOMPARE(platform.modalRuns, QStringList{u"CLoginDlg"_s});
        const QStringList loggedOff{u"NONE"_s, u"NONE"_s, u"0"_s, QString(), u"普通用户"_s, u"0"_s};
        QCOMPARE(during, loggedOff);
        QCOMPARE(panesDuring.value(1), u"用户姓名:NONE"_s);
        QCOMPARE(panesDuring.value(2), u"用户类型:普通用户"_s);
        QCOMPARE(UserTexts(), loggedOff);
        QVERIFY(platform.exits.isEmpty());
    }
};

QE_TEST_MAIN(TestLogin)
#include "tst_login.moc"
