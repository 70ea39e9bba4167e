#include "tests/LoginFixture.h"
#include "tests/TestMain.h"
#include "users/NewUserDlg.h"

#include <QAbstractItemView>
#include <QAction>
#include <QCompleter>
#include <QDateEdit>

namespace {

// On a lab's server a teacher allows registration, and only into classes a
// teacher made (here by the course's thresholds of each class).
void OpenRegistration(CTestDatabase& db, const QStringList& classes)
{
    if (!db.IsPostgres())
        return;
    db.Admin()->Execute(u"UPDATE lab_config SET registration_open = 1"_s);
    for (const QString& className : classes)
        db.Admin()->Execute(u"INSERT INTO course_class VALUES ('%1', 0, 100, 0)"_s.arg(className));
}

} // namespace

class TestRegistration : public QObject
{
    Q_OBJECT
private slots:
    void init() { CurrentUser = CCurrentUser(); }
    // The presets, one kind, the date shown; typing at once replaces the
    // preset name, and a field reached with Tab has its preset replaced too;
    // the number takes digits only, both number and password at most 10.
    void registrationOpens()
    {
        Lab lab(Connected, false);
        QStringList texts;
        int nFocus = 0;
        Drive(lab.platform, [&](CDialog* dlg) {
            QApplication::setActiveWindow(dlg);
            for (int nID : NewUserIds)
                texts << dlg->GetDlgItemText(nID);
            texts << Items(dlg->Item<QComboBox>(IDC_NEWKIND));
            if (!dlg->Item<QDateEdit>(IDC_DATE))
                texts << u"no date"_s;
            nFocus = TypeAtOnce(dlg, u"laoshi"_s);
            QTest::keyClick(dlg->focusWidget(), Qt::Key_Tab);
            QTest::keyClick(dlg->focusWidget(), Qt::Key_Tab);
            TypeAtOnce(dlg, u"42"_s);
            for (int nID : NewUserIds.mid(0, 3))
                texts << dlg->GetDlgItemText(nID);
            // Digits only in the number, at most 10 characters in both.
            for (int nID : NewUserIds.mid(2)) {
                dlg->Item<QLineEdit>(nID)->clear();
                QTest::keyClicks(dlg->GetDlgItem(nID), u"12a3-456789#123"_s);
                texts << dlg->GetDlgItemText(nID);
            }
        });
        OpenNewUserDialog();
        QCOMPARE(nFocus, NewUserIds[0]);
        QCOMPARE(texts,
                 (QStringList{u"NONE"_s, u"NONE"_s, u"0"_s, QString(), u"普通用户"_s, u"laoshi"_s,
                              u"NONE"_s, u"42"_s, u"1234567891"_s, u"12a3-45678"_s}));
    }

    // The class box offers the classes that exist: those containing what was
    // typed, or all of them from its arrow; a class may still be typed anew.
    void classBoxOffersTheClasses_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("offered");
        QTest::addColumn<QString>("stored"); // the second offered is picked
        const QString g41 = u"四年级一班"_s, g42 = u"四年级二班"_s, g51 = u"五年级一班"_s;
        QTest::newRow("a part within") << u"一班"_s << QStringList{g41, g51} << g51;
        QTest::newRow("the arrow offers all") << QString() << QStringList{g42, g41, g51} << g41;
        QTest::newRow("a new class is still typed") << u"六年级"_s << QStringList() << u"六年级"_s;
    }
    // On a lab's server, that class no teacher made is refused.
    void classBoxOffersTheClasses()
    {
        QFETCH(QString, typed);
        QFETCH(QStringList, offered);
        QFETCH(QString, stored);
        Lab lab(Connected, false);
        OpenRegistration(*lab.db, {});
        int n = 0;
        for (const QString& c :
             {u"四年级一班"_s, u"四年级一班"_s, u"四年级二班"_s, u"五年级一班"_s, {}})
            lab.db->Insert(u"user"_s, {QString::number(++n), c, u"1"_s, u"p"_s, u"普通用户"_s});
        const bool bRefused = lab.db->IsPostgres() && offered.isEmpty();
        QStringList shown;
        Drive(lab.platform, [&](CDialog* dlg) {
            QApplication::setActiveWindow(dlg);
            Fill(dlg, {{NewUserIds[0], u"新同学"_s}});
            auto* edit = dlg->Item<QLineEdit>(NewUserIds[1]);
            edit->setFocus();
            edit->clear();
            if (typed.isEmpty())
                edit->actions().value(0)->trigger();
            for (const QChar ch : typed)
                QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(ch),
                                    Qt::NoModifier);
            QCompleter* completer = edit->completer();
            QAbstractItemModel* model = completer->completionModel();
            for (int row = 0; completer->popup()->isVisible() && row < model->rowCount(); ++row)
                shown.append(model->index(row, 0).data().toString());
            if (shown.size() > 1) {
                completer->popup()->setCurrentIndex(model->index(1, 0));
                QTest::keyClick(completer->popup(), Qt::Key_Return);
            }
            dlg->ClickButton(1);
        });
        OpenNewUserDialog();
        QCOMPARE(shown, offered);
        QCOMPARE(lab.db->Rows(u"user"_s).size(), bRefused ? 5 : 6);
        if (bRefused)
            CompareBoxes(lab.platform, ErrorBox(u"没有“六年级”这个班级,请选择老师建立的班级。"_s));
        else
            QCOMPARE(lab.db->Rows(u"user"_s).last().value(1), stored);
    }

    // Alice and the others are stored, admin only as a super user. A name or
    // class that would list or print as something else is refused with the
    // reason; the described refusal of a taken name comes first. A refusal
    // stores nothing and grants nothing, not even the kind.
    void registration_data()
    {
        QTest::addColumn<QString>("name"); // null: the presets are left
        QTest::addColumn<QString>("className");
        QTest::addColumn<QString>("message");  // empty: stored and logged in
        QTest::addColumn<QString>("onServer"); // the message on a lab's server
        const auto row = [](const char* name, const QString& user, const QString& message,
                            const QString& className = u"新班"_s,
                            const QString& onServer = u"="_s) {
            QTest::newRow(name) << user << className << message
                                << (onServer == u"="_s ? message : onServer);
        };
        row("OK at once stores the presets", {}, {}, {},
            u"没有“NONE”这个班级,请选择老师建立的班级。"_s);
        row("new name stored with its history row", u"新生"_s, {});
        row("letter case differs", u"alice"_s, {});
        row("trailing space differs", u"Alice "_s, {});
        row("empty name", u""_s, {}, u"新班"_s, u"用户姓名不能为空,请输入!"_s);
        row("name only of a super user", u"admin"_s, {});
        row("same name refused", u"Alice"_s, NameTaken);
        row("second stored name refused", u"同名"_s, NameTaken);
        row("a taken name is refused as taken", u"Alice"_s, NameTaken, u"一\t班"_s);
        row("a line feed in the class", u"新生"_s, u"班级名称中有换行符,请重新输入!"_s,
            u"三年级\n二班"_s);
        row("a right-to-left override in the name", u"新\u202E生"_s,
            u"用户姓名中有看不见的字符 U+202E(如文字方向符、零宽字符),请重新输入!"_s);
        row("a name of nothing visible", u"\u3164"_s, u"用户姓名中没有看得见的字符,请重新输入!"_s);
    }
    void registration()
    {
        QFETCH(QString, name);
        QFETCH(QString, className);
        QFETCH(QString, message);
        QFETCH(QString, onServer);
        Lab lab;
        OpenRegistration(*lab.db, {u"新班"_s});
        if (lab.db->IsPostgres())
            message = onServer;
        CurrentUser.KindCode = UserKind::Anonymous;
        const QStringList before = UserTexts();
        const QStringList typed{name, className, u"20230001"_s, u"pw"_s};
        Outcome outcome;
        Confirm(lab.platform, name.isNull() ? EditTexts() : Edits(NewUserIds, typed), &outcome);
        OpenNewUserDialog();
        QCOMPARE(outcome.bOpen, !message.isEmpty());
        const Rows history = LoginHistory(lab.db->Admin());
        if (!message.isEmpty()) {
            CompareBoxes(lab.platform, ErrorBox(message));
            lab.db->CompareAccounts(u"user"_s, Users);
            QVERIFY(history.isEmpty());
            QCOMPARE(UserTexts(), before);
            QVERIFY(lab.mainWindow.panes.isEmpty());
            return;
        }
        QStringList user = name.isNull() ? QStringList{u"NONE"_s, u"NONE"_s, u"0"_s, {}} : typed;
        user << u"普通用户"_s;
        QVERIFY(lab.platform.boxes.isEmpty());
        // Stored with the password kept only as the login checks it.
        lab.db->CompareAccounts(u"user"_s, Users + Rows{user});
        QCOMPARE(UserTexts() << history.value(0).mid(0, 4) << history.value(0).value(7)
                             << QString::number(history.size()),
                 user + QStringList{Ordinary} + user.mid(0, 3)
                     << user[4] << u"创建用户"_s << u"1"_s);
        // The new user's own row is the one later settings edit.
        QVERIFY(lab.db->Accepts(CurrentUser.RowKey, user[3]));
        QVERIFY(!lab.db->Accepts(CurrentUser.RowKey, user[3] + u"x"_s));
        QCOMPARE(lab.mainWindow.panes.value(1) + lab.mainWindow.panes.value(2),
                 u"用户姓名:"_s + user[0] + u"用户类型:普通用户"_s);
    }

    void registrationFromLogin_data()
    {
        QTest::addColumn<bool>("connected");
        QTest::newRow("connected: stored and logged in") << true;
        QTest::newRow("not connected: refused, dialog stays open") << false;
    }
    void registrationFromLogin()
    {
        QFETCH(bool, connected);
        Lab lab(connected ? Connected : NoDb, false);
        if (lab.db)
            OpenRegistration(*lab.db, {u"二班"_s});
        const QStringList typed{u"乙"_s, u"二班"_s, u"2"_s, u"b"_s};
        PressNewUser(lab.platform);
        bool bOpen = false;
        Drive(lab.platform, [&](CDialog* dlg) {
            Fill(dlg, Edits(NewUserIds, typed));
            if ((bOpen = Press(dlg, 1)))
                dlg->EndDialog(-1);
        });
        CLoginDlg login;
        QCOMPARE(login.DoModal(), 0);
        QCOMPARE(lab.platform.modalRuns, (QStringList{u"CLoginDlg"_s, u"CNewUserDlg"_s}));
        QCOMPARE(bOpen, !connected);
        if (connected) {
            QCOMPARE(UserTexts(), (typed + QStringList{u"普通用户"_s, Ordinary}));
            return;
        }
        QCOMPARE(std::tuple(lab.platform.boxes.size(), lab.platform.boxes.value(1).text,
                            CurrentUser.KindCode),
                 std::tuple(qsizetype(2), u"数据库未正确连接!无法添加新用户!"_s, 0));
    }
};

QE_TEST_MAIN(TestRegistration)
#include "tst_registration.moc"
