#include "tests/LoginFixture.h"
#include "tests/TestMain.h"
#include "users/LogOff.h"
#include "users/SlideWindow.h"

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
        QCOMPARE(window.isVisible(), expected != QPoint(333, 222));
    }

    // Opening, then switching kinds and cancelling: nobody is logged in.
    void openingAndKindChoice()
    {
        Lab lab;
        CurrentUser.KindCode = UserKind::Super;
        const QStringList before = UserTexts();
        QStringList seen;
        QList<QStringList> lists;
        QList<int> codes;
        bool bAnonymousDisabled = false;
        QPoint pos, normal;
        Drive<CLoginDlg>(lab.platform, [&](CLoginDlg* dlg) {
            auto* kind = dlg->Item<QComboBox>(IDC_KIND);
            auto* name = dlg->Item<QComboBox>(IDC_NAME);
            auto* password = dlg->Item<QLineEdit>(IDC_PASSWORD);
            lists << Items(kind) << Items(name);
            pos = dlg->pos();
            normal = dlg->NormalPosition();
            seen << kind->currentText() << name->currentText() << password->text();
            // The card's 8 characters and the account's longest, 10, fit.
            QTest::keyClicks(password, u"abcdefghijkl"_s);
            seen << password->text();
            password->setText(u"typed"_s);
            for (int choice : {0, 2, 1}) {
                dlg->ChooseItem(IDC_KIND, choice);
                lists << Items(name);
                codes << dlg->KindCode();
                seen << name->currentText() << password->text();
                if (choice == 2)
                    bAnonymousDisabled = !name->isEnabled() && !password->isEnabled();
            }
            dlg->ClickButton(2);
        });
        CLoginDlg dlg;
        QCOMPARE(dlg.DoModal(), IDCANCEL);
        QVERIFY(lab.platform.boxes.isEmpty());
        QStringList names;
        for (const QStringList& user : Users)
            names << user[0];
        const QStringList supers{u"admin"_s, u"root"_s};
        QCOMPARE(lists,
                 (QList<QStringList>{
                     {u"超级用户"_s, u"普通用户"_s, u"匿名用户"_s}, names, supers, supers, names}));
        QCOMPARE(seen, (QStringList{u"普通用户"_s, QString(), QString(), u"abcdefghij"_s, u"root"_s,
                                    u"typed"_s, u"root"_s, u"typed"_s, u"长"_s, u"typed"_s}));
        QVERIFY(bAnonymousDisabled);
        QCOMPARE(codes, (QList<int>{UserKind::Super, UserKind::Anonymous, UserKind::Ordinary}));
        QCOMPARE(UserTexts(), before);
        // Slid in from the top: rests on the last 12-pixel step above the centre.
        QCOMPARE(pos.x(), normal.x());
        QVERIFY(pos.y() <= normal.y() && normal.y() - pos.y() < 12 && pos.y() % 12 == 0);
        // Cancel slid it out downwards to the bottom of the work area.
        const int bottom = dlg.WorkArea().y() + dlg.WorkArea().height();
        QVERIFY(dlg.pos().y() <= bottom && dlg.pos().y() > bottom - 12);
    }

    void login_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("pick"); // index in the name list, -1: the name typed
        QTest::addColumn<int>("row");  // the user row logged in, -1: the super user admin
        QTest::newRow("typed ordinary name") << 1 << -1 << 1;
        QTest::newRow("name picked from the list") << 1 << 0 << 0;
        QTest::newRow("name stored twice: the first row's password") << 1 << -1 << 2;
        // Every password that can be set (10 characters) fits the login box.
        QTest::newRow("10 wide letters") << 1 << -1 << 4;
        QTest::newRow("10 Chinese characters") << 1 << -1 << 5;
        QTest::newRow("super user: no class or number in the history") << 0 << -1 << -1;
    }
    void login()
    {
        QFETCH(int, kind);
        QFETCH(int, pick);
        QFETCH(int, row);
        Lab lab;
        const QStringList user =
            row < 0 ? QStringList{u"admin"_s, u"NONE"_s, u"0"_s, u"Root1"_s, u"超级用户"_s}
                    : Users[row];
        // Whoever was logged in before leaves no key behind.
        CurrentUser.RowKey = lab.keys[3];
        Drive<CLoginDlg>(lab.platform, [&](CLoginDlg* dlg) {
            TypeLogin(dlg, kind, pick < 0 ? user[0] : QString(), user[3]);
            if (pick >= 0)
                dlg->Item<QComboBox>(IDC_NAME)->setCurrentIndex(pick);
            dlg->ClickButton(1);
        });
        CLoginDlg dlg;
        QCOMPARE(dlg.DoModal(), 0);
        QVERIFY(lab.platform.boxes.isEmpty());
        const Rows history = LoginHistory(lab.db->Admin());
        const QStringList fields =
            row < 0 ? QStringList{u"admin"_s, u"<null>"_s, u"<null>"_s} : user.mid(0, 3);
        const QStringList expected =
            user + QStringList{row < 0 ? QString::number(UserKind::Super) : Ordinary} +
            QStringList{u"用户姓名:"_s + user[0], u"用户类型:"_s + user[4]} + fields +
            QStringList{user[4], u"用户登录"_s, u"1"_s};
        QCOMPARE(UserTexts() << lab.mainWindow.panes.value(1) << lab.mainWindow.panes.value(2)
                             << history.value(0).mid(0, 4) << history.value(0).value(7)
                             << QString::number(history.size()),
                 expected);
        QCOMPARE(CurrentUser.RowKey, row < 0 ? 0 : lab.keys[row]);
    }

    // Names that differ in case are different users: "tom" typed and Enter
    // pressed in the name box must not be completed to "Tom" and log in as
    // Tom; it finds nobody.
    void typedNameIsNotCompletedInAnotherCase()
    {
        Lab lab(Connected, false);
        lab.db->Insert(u"user"_s, {u"Tom"_s, u"一班"_s, u"1"_s, u"pw"_s, u"普通用户"_s});
        Outcome outcome;
        Drive<CLoginDlg>(lab.platform, [&outcome](CLoginDlg* dlg) {
            auto* name = dlg->Item<QComboBox>(IDC_NAME);
            dlg->Item<QLineEdit>(IDC_PASSWORD)->setText(u"pw"_s);
            QTest::keyClicks(name->lineEdit(), u"tom"_s);
            QTest::keyClick(name->lineEdit(), Qt::Key_Return);
            outcome.strSelected = name->currentText();
            outcome.bOpen = dlg->isVisible() && !dlg->IsEnded();
        });
        CLoginDlg dlg;
        dlg.DoModal();
        QCOMPARE(outcome.strSelected, u"tom"_s);
        QVERIFY(outcome.bOpen);
        QCOMPARE(CurrentUser.Name, u"NONE"_s);
        QVERIFY(lab.db->Rows(u"loginhistory"_s).isEmpty());
    }

    // Every refused OK keeps the dialog open and the previous user logged in.
    void refusedLogin_data()
    {
        QTest::addColumn<int>("setup");
        QTest::addColumn<int>("kind"); // -1: no kind chosen
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("password");
        QTest::addColumn<Rows>("boxes");
        const Rows ordinary = ErrorBox(u"普通用户密码有误!请注意大小,并重输."_s);
        const Rows super = ErrorBox(u"超级用户密码有误!请注意大小,并重输."_s);
        const QStringList notConnected =
            Box(u"数据库未正确连接!部分功能无法使用!"_s, u"qe"_s, MB_OK | MB_ICONEXCLAMATION);
        const auto row = [](const char* name, Setup setup, int kind, const QString& user,
                            const QString& password, const Rows& boxes) {
            QTest::newRow(name) << int(setup) << kind << user << password << boxes;
        };
        row("unknown name shows nothing", Connected, 1, u"Bob"_s, u"secret"_s, {});
        row("name letter case differs", Connected, 1, u"alice"_s, u"secret"_s, {});
        row("name trailing space differs", Connected, 1, u"Alice "_s, u"secret"_s, {});
        row("super kind does not look among ordinary users", Connected, 0, u"Alice"_s, u"secret"_s,
            {});
        row("ordinary password letter case differs", Connected, 1, u"Alice"_s, u"SECRET"_s,
            ordinary);
        row("empty password against a stored one", Connected, 1, u"Alice"_s, {}, ordinary);
        row("name stored twice: the second row is never tried", Connected, 1, u"同名"_s,
            u"second"_s, ordinary);
        row("super password trailing space", Connected, 0, u"admin"_s, u"Root1 "_s, super);
        row("no kind chosen", Connected, -1, u"Alice"_s, u"secret"_s,
            {Box(u"请选择一个用户类型!"_s, u"qe"_s, MB_OK)});
        row("no database, ordinary: told on opening and on OK", NoDb, 1, u"Alice"_s, u"secret"_s,
            {notConnected, notConnected});
        row("no database, super", NoDb, 0, u"admin"_s, u"Root1"_s, {notConnected, notConnected});
        row("login history cannot be written", NoHistoryTable, 1, u"Alice"_s, u"secret"_s,
            {Box(u"…"_s, u"qe"_s, MB_OK | MB_ICONSTOP)});
    }
    void refusedLogin()
    {
        QFETCH(int, setup);
        QFETCH(int, kind);
        QFETCH(QString, name);
        QFETCH(QString, password);
        QFETCH(Rows, boxes);
        Lab lab{Setup(setup)};
        CurrentUser = {u"前一位"_s, u"NONE"_s, u"0"_s, {}, u"匿名用户"_s, UserKind::Anonymous};
        const QStringList before = UserTexts();
        bool bOpen = false, bPasswordSelected = false;
        qsizetype nShownOnOpen = -1;
        QStringList during;
        Drive<CLoginDlg>(lab.platform, [&](CLoginDlg* dlg) {
            nShownOnOpen = lab.platform.boxes.size();
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
        CompareBoxes(lab.platform, boxes);
        // A wrong password is selected for retyping; neither the stored
        // password nor another user's name leak out.
        QCOMPARE(std::tuple(bOpen, nShownOnOpen, bPasswordSelected, during + UserTexts(),
                            lab.mainWindow.panes.isEmpty()),
                 std::tuple(true, qsizetype(setup == NoDb ? 1 : 0),
                            boxes.size() == 1 && boxes[0][1] == u"错误!"_s, before + before, true));
        if (setup == Connected)
            QVERIFY(lab.db->Rows(u"loginhistory"_s).isEmpty());
    }

    // Choosing 超级用户 and cancelling grants none of its rights. An
    // anonymous login keeps the name on show but leaves no key to the
    // previous user's rows. Neither writes history.
    void chosenKind_data()
    {
        QTest::addColumn<bool>("connected");
        QTest::addColumn<int>("before"); // the kind logged in before; -1: Alice
        QTest::addColumn<int>("kind");   // 0: 超级用户 and Cancel; 2: 匿名用户 and OK
        QTest::newRow("super: before the first login") << true << 0 << 0;
        QTest::newRow("super: an ordinary user stays ordinary")
            << true << int(UserKind::Ordinary) << 0;
        QTest::newRow("anonymous: connected") << true << 0 << 2;
        QTest::newRow("anonymous: not connected") << false << 0 << 2;
        QTest::newRow("anonymous: after an ordinary user") << true << -1 << 2;
    }
    void chosenKind()
    {
        QFETCH(bool, connected);
        QFETCH(int, before);
        QFETCH(int, kind);
        Lab lab(connected ? Connected : NoDb);
        CurrentUser.KindCode = before;
        if (before < 0) {
            const QStringList& a = Users[1];
            CurrentUser = {a[0], a[1], a[2], a[3], a[4], UserKind::Ordinary, lab.keys[1]};
        }
        const QStringList texts = UserTexts();
        Drive<CLoginDlg>(lab.platform, [kind](CLoginDlg* dlg) {
            dlg->ChooseItem(IDC_KIND, kind);
            dlg->ClickButton(kind ? 1 : 2);
        });
        CLoginDlg dlg;
        QCOMPARE(dlg.DoModal(), kind ? IDOK : IDCANCEL);
        if (connected)
            QVERIFY(lab.db->Rows(u"loginhistory"_s).isEmpty());
        if (!kind) {
            QCOMPARE(UserTexts(), texts);
            return;
        }
        QCOMPARE(std::tuple(CurrentUser.Name, CurrentUser.KindCode, CurrentUser.RowKey,
                            CurrentUser.IsOrdinaryLogin(), lab.mainWindow.panes.value(1),
                            lab.mainWindow.panes.value(2)),
                 std::tuple(texts[0], int(UserKind::Anonymous), qint64(0), false,
                            u"用户姓名:"_s + texts[0], u"用户类型:匿名用户"_s));
    }

    // Logging off clears the whole user before the login opens; a cancelled
    // login leaves nobody logged in and the program going on.
    void logOff()
    {
        Lab lab;
        CurrentUser = {u"admin"_s, u"班"_s, u"7"_s, u"Root1"_s, u"超级用户"_s, UserKind::Super};
        lab.mainWindow.panes[1] = u"用户姓名:admin"_s;
        QStringList during;
        Drive<CLoginDlg>(lab.platform, [&](CLoginDlg* dlg) {
            during = UserTexts() << lab.mainWindow.panes.value(1) << lab.mainWindow.panes.value(2);
            dlg->ChooseItem(IDC_KIND, 0);
            dlg->ClickButton(2);
        });
        LogOffCurrentUser();
        QCOMPARE(lab.platform.modalRuns, QStringList{u"CLoginDlg"_s});
        const QStringList loggedOff{u"NONE"_s, u"NONE"_s, u"0"_s, {}, u"普通用户"_s, u"0"_s};
        QCOMPARE(during, loggedOff + QStringList({u"用户姓名:NONE"_s, u"用户类型:普通用户"_s}));
        QCOMPARE(UserTexts(), loggedOff);
        QVERIFY(lab.platform.exits.isEmpty());
    }
};

QE_TEST_MAIN(TestLogin)
#include "tst_login.moc"
