#include "platform/ScriptedPlatform.h"
#include "tests/DialogDriver.h"
#include "tests/TestDatabase.h"
#include "tests/TestMain.h"
#include "users/CurrentUser.h"
#include "users/Database.h"
#include "users/NewSuperUserDlg.h"
#include "users/SuperPasswordDlg.h"

using namespace Qt::Literals::StringLiterals;

namespace {
// What a driver saw of a dialog that it pressed OK in.
struct Outcome
{
    bool bEnded = false;
    QString strSelected; // selected text of the focused edit
    int nFocusId = 0;
};

// Fills edits, presses OK and notes the outcome; a dialog left open is cancelled.
void Confirm(CScriptedPlatform& platform, const EditTexts& texts, Outcome* outcome)
{
    Drive(platform, [texts, outcome](CDialog* dlg) {
        Fill(dlg, texts);
        outcome->bEnded = !Press(dlg, 1);
        for (int id : {1031, 1026, 1003, 1029, 1030}) {
            if (dlg->GetDlgItem(id) && dlg->focusWidget() == dlg->GetDlgItem(id)) {
                outcome->nFocusId = id;
                outcome->strSelected = dlg->Item<QLineEdit>(id)->selectedText();
            }
        }
    });
}

Rows Error(const QString& text)
{
    return {Box(text, u"错误!"_s, MB_OK | MB_ICONEXCLAMATION)};
}

const QString Mismatch = u"对不起,你两次输入的密码不一致,请重新输入!"_s;
const QString Duplicate = u"对不起,你输入的用户名已经存在!请重新输入!"_s;
const QString CannotDo = u"对不起,无法执行指定操作!"_s;
// Adds a super user; the program's session runs as it when it is the one
// logged in (CurrentUser: the first row with the name, as the login finds
// it), as after its login.
qint64 AddSuper(CTestDatabase& db, const QStringList& row)
{
    const qint64 key = db.Insert(u"supperuser"_s, row);
    const bool bLoggedIn = db.Database()->SessionUser().contains(u"_s_"_s);
    if (row.value(0) == CurrentUser.Name && !bLoggedIn && !db.SignInAs(key, row.value(1), true))
        qWarning("the super user does not accept its password");
    return key;
}

} // namespace

class TestSuperUsers : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        CurrentUser = {u"root"_s, u"NONE"_s, u"0"_s, u"old"_s, u"超级用户"_s, UserKind::Super};
    }

    void newSuperUser_data()
    {
        QTest::addColumn<Rows>("before");
        QTest::addColumn<QString>("name"); // null: the preset is left
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("confirmation");
        QTest::addColumn<QString>("message"); // empty: accepted
        QTest::addColumn<int>("focus");
        QTest::addColumn<QString>("selected");
        QTest::addColumn<Rows>("after");

        const Rows root{{u"root"_s, u"pw"_s}};
        QTest::newRow("empty password and confirmation refused")
            << root << u"second"_s << QString() << QString() << PasswordEmpty << 1026 << QString()
            << root;
        QTest::newRow("12-character password refused")
            << root << u"second"_s << TwelveChars << TwelveChars << PasswordTooLong << 1026
            << TwelveChars << root;
        QTest::newRow("10-character password stored")
            << root << u"second"_s << TenChars << TenChars << QString() << 0 << QString()
            << Rows{{u"root"_s, u"pw"_s}, {u"second"_s, TenChars}};
        QTest::newRow("10 Chinese characters stored")
            << root << u"second"_s << QString(10, u'密') << QString(10, u'密') << QString() << 0
            << QString() << Rows{{u"root"_s, u"pw"_s}, {u"second"_s, QString(10, u'密')}};
        QTest::newRow("untouched name stores NONE")
            << root << QString() << u"p1"_s << u"p1"_s << QString() << 0 << QString()
            << Rows{{u"root"_s, u"pw"_s}, {u"NONE"_s, u"p1"_s}};
        QTest::newRow("name differing in case is a new name")
            << root << u"Root"_s << u"x"_s << u"x"_s << QString() << 0 << QString()
            << Rows{{u"root"_s, u"pw"_s}, {u"Root"_s, u"x"_s}};
        QTest::newRow("name with a trailing space is a new name")
            << root << u"root "_s << u"x"_s << u"x"_s << QString() << 0 << QString()
            << Rows{{u"root"_s, u"pw"_s}, {u"root "_s, u"x"_s}};
        QTest::newRow("duplicate name selects the name")
            << Rows{{u"a"_s, u"1"_s}, {u"管理员"_s, u"2"_s}} << u"管理员"_s << u"x"_s << u"x"_s
            << Duplicate << 1031 << u"管理员"_s << Rows{{u"a"_s, u"1"_s}, {u"管理员"_s, u"2"_s}};
        QTest::newRow("mismatch selects the confirmation and writes nothing")
            << root << u"new"_s << u"abc"_s << u"abC"_s << Mismatch << 1003 << u"abC"_s << root;
        QTest::newRow("mismatch wins over a duplicate")
            << root << u"root"_s << u"abc"_s << u"ab"_s << Mismatch << 1003 << u"ab"_s << root;
        QTest::newRow("a direction override in the name selects the name")
            << root << u"admin\u202E"_s << u"x"_s << u"x"_s
            << u"用户姓名中有看不见的字符 U+202E(如文字方向符、零宽字符),请重新输入!"_s << 1031
            << u"admin\u202E"_s << root;
        QTest::newRow("a name of nothing visible selects the name")
            << root << u"\u200B"_s << u"x"_s << u"x"_s
            << u"用户姓名中有看不见的字符 U+200B(如文字方向符、零宽字符),请重新输入!"_s << 1031
            << u"\u200B"_s << root;
        QTest::newRow("empty table takes the first super user")
            << Rows{} << u"first"_s << u"p"_s << u"p"_s << QString() << 0 << QString()
            << Rows{{u"first"_s, u"p"_s}};
    }
    void newSuperUser()
    {
        QFETCH(Rows, before);
        QFETCH(QString, name);
        QFETCH(QString, password);
        QFETCH(QString, confirmation);
        QFETCH(QString, message);
        QFETCH(int, focus);
        QFETCH(QString, selected);
        QFETCH(Rows, after);

        CScriptedPlatform platform;
        CTestDatabase db;
        db.SignInAsOwner(); // no super user yet
        for (const QStringList& row : before)
            AddSuper(db, row);

        EditTexts texts{{1026, password}, {1003, confirmation}};
        if (!name.isNull())
            texts.append({1031, name});
        Outcome outcome;
        Confirm(platform, texts, &outcome);
        OpenNewSuperUserDialog();

        QCOMPARE(platform.modalRuns, QStringList{u"CNewSuperUserDlg"_s});
        QCOMPARE(outcome.bEnded, message.isEmpty());
        CompareBoxes(platform, message.isEmpty() ? Rows() : Error(message));
        if (!message.isEmpty()) {
            QCOMPARE(outcome.nFocusId, focus);
            QCOMPARE(outcome.strSelected, selected);
        }
        db.CompareAccounts(u"supperuser"_s, after);
        QCOMPARE(CurrentUser.Name, u"root"_s);
        QVERIFY(db.Rows(u"loginhistory"_s).isEmpty());
    }

    // Enter at once: the preset name "NONE" with an empty password would be a
    // super user anybody could log in as.
    void enterAtOnceIsRefused()
    {
        CScriptedPlatform platform;
        CTestDatabase db;
        db.SignInAsOwner(); // no super user yet
        AddSuper(db, {u"root"_s, u"pw"_s});
        bool bOpen = false;
        int nFocus = 0;
        Drive(platform, [&](CDialog* dlg) {
            QTest::keyClick(dlg->focusWidget(), Qt::Key_Return);
            bOpen = dlg->isVisible() && !dlg->IsEnded();
            nFocus = dlg->focusWidget()->property("controlId").toInt();
        });
        OpenNewSuperUserDialog();
        QVERIFY(bOpen);
        CompareBoxes(platform, Error(PasswordEmpty));
        QCOMPARE(nFocus, 1026);
        db.CompareAccounts(u"supperuser"_s, (Rows{{u"root"_s, u"pw"_s}}));
    }

    // Typing at once replaces the preset name instead of adding to it.
    void typingReplacesThePresetName()
    {
        CScriptedPlatform platform;
        CTestDatabase db;
        db.SignInAsOwner(); // no super user yet
        int nFocus = 0;
        QString strName;
        Drive(platform, [&](CDialog* dlg) {
            nFocus = TypeAtOnce(dlg, u"laoshi"_s);
            strName = dlg->GetDlgItemText(1031);
        });
        OpenNewSuperUserDialog();
        QCOMPARE(nFocus, 1031);
        QCOMPARE(strName, u"laoshi"_s);
    }

    void noneTwiceReportsTheDuplicate()
    {
        CScriptedPlatform platform;
        CTestDatabase db;
        db.SignInAsOwner(); // no super user yet
        Outcome first, second;
        Confirm(platform, {{1026, u"pw"_s}, {1003, u"pw"_s}}, &first);
        Confirm(platform, {{1026, u"pw"_s}, {1003, u"pw"_s}}, &second);
        OpenNewSuperUserDialog();
        OpenNewSuperUserDialog();

        QVERIFY(first.bEnded);
        QVERIFY(!second.bEnded);
        CompareBoxes(platform, Error(Duplicate));
        QCOMPARE(second.nFocusId, 1031);
        QCOMPARE(second.strSelected, u"NONE"_s);
        db.CompareAccounts(u"supperuser"_s, (Rows{{u"NONE"_s, u"pw"_s}}));
    }

    void retryAfterDuplicateScansFromTheStart()
    {
        CScriptedPlatform platform;
        CTestDatabase db;
        db.SignInAsOwner(); // no super user yet
        AddSuper(db, {u"a"_s, u"1"_s});
        AddSuper(db, {u"b"_s, u"2"_s});
        QList<bool> open;
        Drive(platform, [&](CDialog* dlg) {
            for (const QString& name : {u"b"_s, u"a"_s, u"c"_s}) {
                Fill(dlg, {{1031, name}, {1026, u"p"_s}, {1003, u"p"_s}});
                open << Press(dlg, 1);
            }
        });
        OpenNewSuperUserDialog();
        QCOMPARE(open, (QList<bool>{true, true, false}));
        QCOMPARE(platform.boxes.size(), 2);
        db.CompareAccounts(u"supperuser"_s,
                           (Rows{{u"a"_s, u"1"_s}, {u"b"_s, u"2"_s}, {u"c"_s, u"p"_s}}));
    }

    void cancelWritesNothing()
    {
        CScriptedPlatform platform;
        CTestDatabase db;
        db.SignInAsOwner(); // no super user yet
        AddSuper(db, {u"root"_s, u"pw"_s});
        Drive(platform, [](CDialog* dlg) {
            Fill(dlg, {{1031, u"x"_s}});
            dlg->ClickButton(2);
        });
        Drive(platform, [](CDialog* dlg) {
            Fill(dlg, {{1029, u"new"_s}, {1030, u"new"_s}});
            dlg->ClickButton(2);
        });
        OpenNewSuperUserDialog();
        OpenSuperPasswordDialog();
        QCOMPARE(platform.unfinishedDialogs, 0);
        QVERIFY(platform.boxes.isEmpty());
        db.CompareAccounts(u"supperuser"_s, (Rows{{u"root"_s, u"pw"_s}}));
    }

    void passwordChange_data()
    {
        QTest::addColumn<Rows>("before");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("confirmation");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("focus");
        QTest::addColumn<Rows>("after");

        const Rows two{{u"admin"_s, u"a"_s}, {u"root"_s, u"old"_s}};
        QTest::newRow("changes the logged-in user's row only")
            << two << u"新密码1"_s << u"新密码1"_s << QString() << 0
            << Rows{{u"admin"_s, u"a"_s}, {u"root"_s, u"新密码1"_s}};
        QTest::newRow("empty new password refused")
            << two << QString() << QString() << PasswordEmpty << 1029 << two;
        QTest::newRow("first of two rows with the name")
            << Rows{{u"root"_s, u"1"_s}, {u"root"_s, u"2"_s}} << u"n"_s << u"n"_s << QString() << 0
            << Rows{{u"root"_s, u"n"_s}, {u"root"_s, u"2"_s}};
        QTest::newRow("mismatch selects the confirmation and writes nothing")
            << two << u"abc"_s << u"abd"_s << Mismatch << 1030 << two;
        QTest::newRow("name differing in case has no row")
            << Rows{{u"Root"_s, u"old"_s}} << u"n"_s << u"n"_s << CannotDo << 0
            << Rows{{u"Root"_s, u"old"_s}};
        QTest::newRow("no row for the logged-in name says so")
            << Rows{{u"admin"_s, u"a"_s}} << u"n"_s << u"n"_s << CannotDo << 0
            << Rows{{u"admin"_s, u"a"_s}};
        QTest::newRow("empty table says so")
            << Rows{} << u"n"_s << u"n"_s << CannotDo << 0 << Rows{};

        QTest::newRow("10 characters stored") << two << TenChars << TenChars << QString() << 0
                                              << Rows{{u"admin"_s, u"a"_s}, {u"root"_s, TenChars}};
        QTest::newRow("10 Chinese characters stored")
            << two << QString(10, u'密') << QString(10, u'密') << QString() << 0
            << Rows{{u"admin"_s, u"a"_s}, {u"root"_s, QString(10, u'密')}};
        QTest::newRow("12 characters refused")
            << two << TwelveChars << TwelveChars << PasswordTooLong << 1029 << two;
        QTest::newRow("11 Chinese characters refused")
            << two << QString(11, u'密') << QString(11, u'密') << PasswordTooLong << 1029 << two;
    }
    void passwordChange()
    {
        QFETCH(Rows, before);
        QFETCH(QString, password);
        QFETCH(QString, confirmation);
        QFETCH(QString, message);
        QFETCH(int, focus);
        QFETCH(Rows, after);

        CScriptedPlatform platform;
        CTestDatabase db;
        db.SignInAsOwner(); // no super user yet
        for (const QStringList& row : before)
            AddSuper(db, row);

        Outcome outcome;
        Confirm(platform, {{1029, password}, {1030, confirmation}}, &outcome);
        OpenSuperPasswordDialog();

        QCOMPARE(outcome.bEnded, message.isEmpty());
        CompareBoxes(platform, message.isEmpty() ? Rows() : Error(message));
        if (focus) {
            QCOMPARE(outcome.nFocusId, focus);
            QCOMPARE(outcome.strSelected, focus == 1030 ? confirmation : password);
        }
        db.CompareAccounts(u"supperuser"_s, after);
        QCOMPARE(CurrentUser.Name, u"root"_s);
        QCOMPARE(CurrentUser.Password, u"old"_s);
    }

    void changedPasswordIsFoundAgain()
    {
        CScriptedPlatform platform;
        CTestDatabase db;
        db.SignInAsOwner(); // no super user yet
        AddSuper(db, {u"root"_s, u"old"_s});
        AddSuper(db, {u"other"_s, u"x"_s});
        Outcome first, second;
        Confirm(platform, {{1029, u"one"_s}, {1030, u"one"_s}}, &first);
        Confirm(platform, {{1029, u"two"_s}, {1030, u"two"_s}}, &second);
        OpenSuperPasswordDialog();
        db.CompareAccounts(u"supperuser"_s, (Rows{{u"root"_s, u"one"_s}, {u"other"_s, u"x"_s}}));
        OpenSuperPasswordDialog();

        QVERIFY(first.bEnded);
        QVERIFY(second.bEnded);
        QVERIFY(platform.boxes.isEmpty());
        db.CompareAccounts(u"supperuser"_s, (Rows{{u"root"_s, u"two"_s}, {u"other"_s, u"x"_s}}));
    }

    void slidesInFromTheLeftAndOutToTheRight_data()
    {
        QTest::addColumn<bool>("passwordDialog");
        QTest::addColumn<bool>("confirm");
        QTest::newRow("new super user, OK") << false << true;
        QTest::newRow("new super user, Cancel") << false << false;
        QTest::newRow("password, OK") << true << true;
        QTest::newRow("password, Cancel") << true << false;
    }
    void slidesInFromTheLeftAndOutToTheRight()
    {
        QFETCH(bool, passwordDialog);
        QFETCH(bool, confirm);

        CScriptedPlatform platform;
        CTestDatabase db;
        db.SignInAsOwner(); // no super user yet
        AddSuper(db, {u"root"_s, u"old"_s});
        QRect normal, work;
        QPoint atRest, gone;
        Drive(platform, [&](CDialog* dlg) {
            const CSlidePlacement& placement =
                passwordDialog ? static_cast<CSuperPasswordDlg*>(dlg)->Placement()
                               : static_cast<CNewSuperUserDlg*>(dlg)->Placement();
            normal = placement.NormalRect();
            work = placement.WorkArea();
            atRest = dlg->pos();
            Fill(dlg, {{passwordDialog ? 1029 : 1026, u"pw"_s},
                       {passwordDialog ? 1030 : 1003, u"pw"_s}});
            dlg->ClickButton(confirm ? 1 : 2);
            gone = dlg->pos();
        });
        if (passwordDialog)
            OpenSuperPasswordDialog();
        else
            OpenNewSuperUserDialog();

        QCOMPARE(platform.unfinishedDialogs, 0);
        QVERIFY(!work.isEmpty());
        QVERIFY(normal.left() > 0);
        // Steps of 12 from x 0, the last one not beyond the normal left.
        QCOMPARE(atRest, QPoint(normal.left() / 12 * 12, normal.top()));
        // Steps of 12 from the normal left, the last one not beyond the work area's right.
        const int right = work.left() + work.width();
        QCOMPARE(gone.y(), normal.top());
        QCOMPARE((gone.x() - normal.left()) % 12, 0);
        QVERIFY2(gone.x() <= right && gone.x() > right - 12,
                 qPrintable(u"%1 vs %2"_s.arg(gone.x()).arg(right)));
    }

    void unopenableTable_data()
    {
        QTest::addColumn<bool>("passwordDialog");
        QTest::newRow("new super user") << false;
        QTest::newRow("password") << true;
    }
    // The open failure is reported; OK then does nothing and Cancel closes.
    void unopenableTable()
    {
        QFETCH(bool, passwordDialog);
        CScriptedPlatform platform;
        CTestDatabase db;
        db.SignInAsOwner(); // no super user yet
        db.DropTable(u"supperuser"_s);
        bool bOpenAfterOk = false, bOpenAfterCancel = true;
        qsizetype nBoxesAfterOk = 0;
        Drive(platform, [&](CDialog* dlg) {
            bOpenAfterOk = Press(dlg, 1);
            nBoxesAfterOk = platform.boxes.size();
            bOpenAfterCancel = Press(dlg, 2);
        });
        if (passwordDialog)
            OpenSuperPasswordDialog();
        else
            OpenNewSuperUserDialog();
        QVERIFY(bOpenAfterOk);
        QVERIFY(!bOpenAfterCancel);
        QCOMPARE(nBoxesAfterOk, 1);
        CompareBoxes(platform, {Box(u"错误信息:…"_s, u"qe"_s, MB_OK | MB_ICONEXCLAMATION)});
    }

    void guardsWithoutDatabase()
    {
        CScriptedPlatform platform;
        NoDatabase();
        OpenNewSuperUserDialog();
        OpenSuperPasswordDialog();
        QVERIFY(platform.modalRuns.isEmpty());
        const QStringList box = Box(NotConnected, u"qe"_s, MB_OK | MB_ICONEXCLAMATION);
        CompareBoxes(platform, {box, box});
    }
};

QE_TEST_MAIN(TestSuperUsers)
#include "tst_superusers.moc"
