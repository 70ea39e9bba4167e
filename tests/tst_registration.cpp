#include "tests/LoginFixture.h"
#include "tests/TestMain.h"
#include "users/AccountRules.h"
#include "users/NewUserDlg.h"

#include <QAbstractItemView>
#include <QAction>
#include <QCompleter>
#include <QDateEdit>
#include <QSqlError>
#include <QSqlQuery>

namespace {

// On a lab's server a teacher allows registration, and only into classes a
// teacher made (here by the course's thresholds of each class).
void OpenRegistration(CTestDatabase* db, const QStringList& classes)
{
    if (!db || !db->IsPostgres())
        return;
    db->Admin()->Execute(u"UPDATE lab_config SET registration_open = 1"_s);
    for (const QString& className : classes)
        db->Admin()->Execute(u"INSERT INTO course_class VALUES ('%1', 0, 100, 0)"_s.arg(className));
}

// The fields a row of the rules applies to.
enum RuleField { NameField = 1, ClassField = 2, NumberField = 4 };

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
        OpenRegistration(lab.db.get(), {});
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
        // On a lab's server the one rule of names holds: no space before or after.
        row("trailing space differs", u"Alice "_s, {}, u"新班"_s,
            u"用户姓名的前后不能有空格,请重新输入!"_s);
        row("empty name", u""_s, {}, u"新班"_s, u"用户姓名不能为空,请输入!"_s);
        row("name only of a super user", u"admin"_s, {});
        row("second stored name refused", u"同名"_s, NameTaken);
        row("a taken name is refused as taken", u"Alice"_s, NameTaken, u"一\t班"_s);
        row("a line feed in the class", u"新生"_s, u"班级名称中有换行符,请重新输入!"_s,
            u"三年级\n二班"_s);
        row("a right-to-left override in the name", u"新\u202E生"_s,
            u"用户姓名中有看不见的字符 U+202E(如文字方向符、零宽字符),请重新输入!"_s);
    }
    void registration()
    {
        QFETCH(QString, name);
        QFETCH(QString, className);
        QFETCH(QString, message);
        QFETCH(QString, onServer);
        Lab lab;
        OpenRegistration(lab.db.get(), {u"新班"_s});
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
            QCOMPARE(std::tuple(history.size(), UserTexts(), lab.mainWindow.panes.size()),
                     std::tuple(0, before, 0));
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

    // The rules on a name, a class and a student number, each stated once:
    // what the program refuses (AccountRules), and on a lab's server what its
    // own check refuses for what reaches it by hand (QE001). A row of both
    // name and class holds for each, %1 being 用户姓名 or 班级名称.
    void accountRules_data()
    {
        QTest::addColumn<int>("fields");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("refusal");  // empty: accepted
        QTest::addColumn<QString>("onServer"); // "=": the same refusal; "-": not asked
        QTest::addColumn<QString>("known");    // "program: why" or "server: why", a known fault
        const auto row = [](const char* name, int fields, const QString& text,
                            const QString& refusal, const QString& onServer = u"="_s,
                            const QString& known = {}) {
            QTest::newRow(name) << fields << text << refusal
                                << (onServer == u"="_s ? refusal : onServer) << known;
        };
        const QString control = u"%1中有控制字符(如换行符、制表符),请重新输入!"_s;
        const QString controlAt = u"%1中有控制字符 U+%2,请重新输入!"_s;
        const QString invisible = u"%1中有看不见的字符 U+%2(如文字方向符、零宽字符),请重新输入!"_s;
        const QString unshown = u"%1中有无法显示的字符 U+%2,请重新输入!"_s;
        const QString blank = u"%1中没有看得见的字符,请重新输入!"_s;
        const QString tooLong = u"%1太长,请重新输入!"_s;
        // The program names the code point, the server does not.
        const auto named = [&row](const char* name, const QString& text, const QString& message,
                                  const char* code, const QString& onServer = {},
                                  const QString& known = {}) {
            row(name, NameField | ClassField, text,
                QString(message).replace(u"%2"_s, QString::fromLatin1(code)),
                onServer.isEmpty() ? QString(message).remove(u" U+%2"_s) : onServer, known);
        };
        const int both = NameField | ClassField;
        row("Chinese and Latin letters and a space", both, u"李华 Li"_s, {});
        row("a letter beyond the BMP", both, u"\U00020000华"_s, {});
        row("99 Chinese and a letter: 199 bytes in GBK", both, QString(99, u'名') + u'a', {});
        row("100 Chinese: 200 bytes in GBK", both, QString(100, u'名'), tooLong);
        row("200 letters", both, QString(200, u'a'), tooLong);
        row("60 letters beyond GBK, one byte each to the program", both,
            QString(u"\U00020000"_s).repeated(60), {});
        row("a tab", both, u"李\t华"_s, u"%1中有制表符,请重新输入!"_s, control);
        row("a line feed", both, u"李\n华"_s, u"%1中有换行符,请重新输入!"_s, control);
        named("a bell", u"李\u0007"_s, controlAt, "0007", control);
        named("a C1 control", u"李\u0085华"_s, controlAt, "0085", control);
        named("a direction override", u"李\u202E华"_s, invisible, "202E");
        named("a zero-width space", u"李\u200B华"_s, invisible, "200B");
        named("a line separator", u"李\u2028华"_s, invisible, "2028");
        named("a soft hyphen", u"李\u00AD华"_s, invisible, "00AD");
        named("a private-use character", u"李\uE000"_s, unshown, "E000");
        named("a private-use character beyond the BMP", u"李\U000F0000"_s, unshown, "F0000");
        const QString other =
            u"%1中有不能用的字符 U+%2(只能用汉字、字母、数字、括号、间隔号“·”和中间的空格),请重新输入!"_s;
        const auto outside = [&](const char* name, const QString& text, const char* code) {
            row(name, both, text, QString(other).replace(u"%2"_s, QString::fromLatin1(code)));
        };
        named("an unassigned code point", u"李\u0378"_s, unshown, "0378",
              QString(other).replace(u"%2"_s, u"0378"_s));
        named("a tag space", u"李\U000E0020"_s, invisible, "E0020",
              QString(other).replace(u"%2"_s, u"E0020"_s));
        outside("a no-break space", u"李\u00A0华"_s, "00A0");
        outside("a variation selector", u"李\uFE0F"_s, "FE0F");
        outside("a grapheme joiner", u"李\u034F华"_s, "034F");
        outside("a formula", u"=1+2"_s, "003D");
        outside("a formula of a function", u"@SUM"_s, "0040");
        outside("a Hangul filler beside a letter", u"李\u3164"_s, "3164");
        row("a space after", both, u"李华 "_s, u"%1的前后不能有空格,请重新输入!"_s);
        row("an ideographic space before", both, u"\u3000李华"_s,
            u"%1的前后不能有空格,请重新输入!"_s);
        row("a Cyrillic letter among Latin ones", both, u"Li P\u0430vel"_s,
            u"%1的“P\u0430vel”中混用了看起来一样的不同字母(如拉丁字母和西里尔字母),请重新输入!"_s);
        row("a middle dot, brackets and Cyrillic beside Latin", both,
            u"阿依古丽·买买提 初一(2)班 Иван Li"_s, {});
        // No UTF-8 holds a lone surrogate: it never reaches a server as itself.
        named("a lone surrogate", u"李"_s + QChar(0xD800), unshown, "D800", u"-"_s);
        row("only a Hangul filler", both, u"\u3164"_s, blank);
        row("only spaces", both, u"  "_s, blank);
        row("only an ideographic space", both, u"\u3000"_s, blank);
        row("only a blank Braille pattern", both, u"\u2800"_s, blank);
        row("only a combining mark", both, u"\u0301"_s, blank, u"="_s);
        row("an empty name", NameField, {}, u"用户姓名不能为空,请输入!"_s);
        row("an empty class", ClassField, {}, u"班级不能为空,请输入!"_s,
            u"班级名称不能为空,请输入!"_s);
        row("a number of ten digits", NumberField, u"2026000001"_s, {});
        row("a number of eleven digits", NumberField, u"20260000001"_s,
            u"学号最多10位,请重新输入!"_s);
        row("a number with a letter", NumberField, u"12a"_s, u"学号只能由数字组成,请重新输入!"_s);
        row("a number of full-width digits", NumberField, u"１２"_s,
            u"学号只能由数字组成,请重新输入!"_s);
        row("an empty number", NumberField, {}, u"学号不能为空,请输入!"_s);
    }
    void accountRules()
    {
        QFETCH(int, fields);
        QFETCH(QString, text);
        QFETCH(QString, refusal);
        QFETCH(QString, onServer);
        QFETCH(QString, known);
        // A known fault of one side is expected to fail there, and only there.
        const auto expectFault = [&known](const QString& side) {
            if (known.startsWith(side + u':'))
                QEXPECT_FAIL("", qPrintable(known.section(u':', 1).trimmed()), Continue);
        };
        CTestDatabase db;
        for (const RuleField field : {NameField, ClassField, NumberField}) {
            if (!(fields & field))
                continue;
            const QString what = field == NameField ? u"用户姓名"_s : u"班级名称"_s;
            const QString program = field == NameField    ? AccountRules::CheckPupilName(text)
                                    : field == ClassField ? AccountRules::CheckPupilClass(text)
                                                          : AccountRules::CheckStudentNo(text);
            expectFault(u"program"_s);
            QCOMPARE(program, QString(refusal).replace(u"%1"_s, what));
            if (!db.IsPostgres() || onServer == u"-"_s)
                continue;
            QSqlQuery query(db.Admin()->Connection());
            query.prepare(field == NumberField ? u"SELECT qe_check_student_no(?)"_s
                                               : u"SELECT qe_check_account_text(?, ?, true)"_s);
            query.addBindValue(text);
            if (field != NumberField)
                query.addBindValue(what);
            const bool bRan = query.exec();
            const QString expected = QString(onServer).replace(u"%1"_s, what);
            expectFault(u"server"_s);
            QCOMPARE(bRan ? QString() : query.lastError().nativeErrorCode(),
                     expected.isEmpty() ? QString() : u"QE001"_s);
            if (!bRan)
                QVERIFY2(query.lastError().databaseText().contains(expected),
                         qPrintable(query.lastError().databaseText()));
        }
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
        OpenRegistration(lab.db.get(), {u"二班"_s});
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
