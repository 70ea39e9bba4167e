#include "practice/PracticeState.h"
#include "practice/ResultDlg.h"
#include "tests/DialogDriver.h"
#include "tests/FakeMainWindow.h"
#include "tests/TestDatabase.h"
#include "tests/TestMain.h"
#include "users/NewSuperUserDlg.h"
#include "users/SuperPasswordDlg.h"
#include "users/UserSettingsDlg.h"

#include <QComboBox>

using namespace Qt::Literals::StringLiterals;

namespace {

const QList<int> NewSuperIds{1026, 1003, 1031};       // password, confirmation, name
const QList<int> PasswordIds{1029, 1030};             // new password, confirmation
const QList<int> SettingsIds{1021, 1008, 1009, 1010}; // new name, class, number, password
const QString Mismatch = u"对不起,你两次输入的密码不一致,请重新输入!"_s;
const QString Duplicate = u"对不起,你输入的用户名已经存在!请重新输入!"_s;
const QString CannotDo = u"对不起,无法执行指定操作!"_s;
const QString NameTaken = u"您输入的用户名已经有人使用,请更改!"_s;
const QString NoSettings = u"数据库未正确连接!无法对当前用户进行设置!"_s;
const QString Kind = u"普通用户"_s;

// Super users {name, password}; the session runs as the first one named as CurrentUser.
struct Supers
{
    explicit Supers(const Rows& rows)
    {
        db.SignInAsOwner(); // no super user yet
        bool bLoggedIn = false;
        for (const QStringList& row : rows) {
            const qint64 key = db.Insert(u"supperuser"_s, row);
            if (row[0] == CurrentUser.Name && !std::exchange(bLoggedIn, true))
                QVERIFY(db.SignInAs(key, row[1], true));
        }
    }
    CScriptedPlatform platform;
    CTestDatabase db;
};

// Pupils {name, class, number, password, kind}; the one at own logged in by its key.
struct Pupils
{
    explicit Pupils(const Rows& rows, int own = 0)
    {
        for (const QStringList& row : rows)
            keys << db.Insert(u"user"_s, row);
        const QStringList& me = rows[own];
        CurrentUser = {me[0], me[1], me[2], me[3], Kind, UserKind::Ordinary, keys[own]};
        QVERIFY(db.SignInAs(keys[own], me[3]));
    }
    CScriptedPlatform platform;
    CTestDatabase db;
    CFakeMainWindow frame;
    QList<qint64> keys;
};

const Rows Tom{{u"Tom"_s, u"c"_s, u"1"_s, u"p"_s, Kind}};
// Two pupils, the second logged in where both are.
const QStringList Victim{u"李四"_s, u"二班"_s, u"22"_s, u"victim"_s, Kind},
    Me{u"张三"_s, u"一班"_s, u"11"_s, u"pw"_s, Kind};

} // namespace

class TestAccounts : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        CurrentUser = {u"root"_s, u"NONE"_s, u"0"_s, u"old"_s, u"超级用户"_s, UserKind::Super};
    }

    // Both super-user dialogs: a refusal selects the field it names, writes nothing.
    void superUserDialogs_data()
    {
        QTest::addColumn<bool>("change"); // the password dialog, else 新建超级用户
        QTest::addColumn<Rows>("before");
        QTest::addColumn<QStringList>("typed"); // password, confirmation(, new name)
        QTest::addColumn<QString>("message");   // empty: accepted
        QTest::addColumn<int>("focus");         // index in typed of the selected field
        QTest::addColumn<Rows>("after");
        const Rows root{{u"root"_s, u"pw"_s}}, two{{u"admin"_s, u"a"_s}, {u"root"_s, u"old"_s}};
        const auto row = [](const char* name, bool change, const Rows& before,
                            const QStringList& typed, const QString& message, int focus,
                            const Rows& after) {
            QTest::newRow(name) << change << before << typed << message << focus << after;
        };
        const auto added = [&root](const QString& name, const QString& password) {
            return Rows{root[0], {name, password}};
        };
        const auto changed = [](const QString& password) {
            return Rows{{u"admin"_s, u"a"_s}, {u"root"_s, password}};
        };
        const QString cn10(10, u'密');
        row("new: empty password refused", false, root, {{}, {}, u"s"_s}, PasswordEmpty, 0, root);
        row("new: 12 characters refused", false, root, {TwelveChars, TwelveChars, u"s"_s},
            PasswordTooLong, 0, root);
        row("new: 10 characters stored", false, root, {TenChars, TenChars, u"s"_s}, {}, 0,
            added(u"s"_s, TenChars));
        row("new: untouched name stores NONE", false, root, {u"p1"_s, u"p1"_s}, {}, 0,
            added(u"NONE"_s, u"p1"_s));
        row("new: name differing in case is a new name", false, root, {u"x"_s, u"x"_s, u"Root"_s},
            {}, 0, added(u"Root"_s, u"x"_s));
        row("new: name with a trailing space is a new name", false, root,
            {u"x"_s, u"x"_s, u"root "_s}, {}, 0, added(u"root "_s, u"x"_s));
        row("new: duplicate name", false, two, {u"x"_s, u"x"_s, u"admin"_s}, Duplicate, 2, two);
        row("new: mismatch", false, root, {u"abc"_s, u"abC"_s, u"new"_s}, Mismatch, 1, root);
        row("new: mismatch wins over a duplicate", false, root, {u"abc"_s, u"ab"_s, u"root"_s},
            Mismatch, 1, root);
        row("new: a direction override in the name", false, root,
            {u"x"_s, u"x"_s, u"admin\u202E"_s},
            u"用户姓名中有看不见的字符 U+202E(如文字方向符、零宽字符),请重新输入!"_s, 2, root);
        row("new: empty table takes the first super user", false, {}, {u"p"_s, u"p"_s, u"f"_s}, {},
            0, {{u"f"_s, u"p"_s}});
        row("change: the logged-in user's row only", true, two, {u"新密码1"_s, u"新密码1"_s}, {}, 0,
            changed(u"新密码1"_s));
        row("change: 10 Chinese characters stored", true, two, {cn10, cn10}, {}, 0, changed(cn10));
        row("change: empty password refused", true, two, {{}, {}}, PasswordEmpty, 0, two);
        row("change: 12 characters refused", true, two, {TwelveChars, TwelveChars}, PasswordTooLong,
            0, two);
        row("change: mismatch", true, two, {u"abc"_s, u"abd"_s}, Mismatch, 1, two);
        row("change: first of two rows with the name", true,
            {{u"root"_s, u"1"_s}, {u"root"_s, u"2"_s}}, {u"n"_s, u"n"_s}, {}, 0,
            {{u"root"_s, u"n"_s}, {u"root"_s, u"2"_s}});
        row("change: name differing in case has no row", true, {{u"Root"_s, u"o"_s}},
            {u"n"_s, u"n"_s}, CannotDo, -1, {{u"Root"_s, u"o"_s}});
        row("change: empty table", true, {}, {u"n"_s, u"n"_s}, CannotDo, -1, {});
    }
    void superUserDialogs()
    {
        QFETCH(bool, change);
        QFETCH(Rows, before);
        QFETCH(QStringList, typed);
        QFETCH(QString, message);
        QFETCH(int, focus);
        QFETCH(Rows, after);
        Supers s(before);
        const QList<int> ids = change ? PasswordIds : NewSuperIds;
        Outcome outcome;
        Confirm(s.platform, Edits(ids, typed), &outcome);
        change ? OpenSuperPasswordDialog() : OpenNewSuperUserDialog();
        const bool bNamed = !message.isEmpty() && focus >= 0;
        if (!bNamed)
            outcome = {outcome.bOpen, 0, {}};
        QCOMPARE(
            std::tuple(outcome.bOpen, outcome.nFocus, outcome.strSelected),
            std::tuple(!message.isEmpty(), bNamed ? ids[focus] : 0, bNamed ? typed[focus] : u""_s));
        CompareBoxes(s.platform, message.isEmpty() ? Rows() : ErrorBox(message));
        s.db.CompareAccounts(u"supperuser"_s, after);
        QCOMPARE(CurrentUser.Password, u"old"_s);
        QVERIFY(s.db.Rows(u"loginhistory"_s).isEmpty());
    }

    // Typing at once replaces the preset name; Enter at once (the preset
    // "NONE", no password) would make a super user anybody could log in as.
    void newSuperUserAtOnce()
    {
        Supers s({{u"root"_s, u"pw"_s}});
        QCOMPARE(TypedAtOnce(s.platform, OpenNewSuperUserDialog, u"laoshi"_s),
                 std::make_pair(1031, u"laoshi"_s));
        std::pair<bool, int> enter;
        Drive(s.platform, [&enter](CDialog* dlg) {
            QTest::keyClick(dlg->focusWidget(), Qt::Key_Return);
            enter = {dlg->isVisible() && !dlg->IsEnded(),
                     dlg->focusWidget()->property("controlId").toInt()};
        });
        OpenNewSuperUserDialog();
        QCOMPARE(enter, std::make_pair(true, 1026));
        CompareBoxes(s.platform, ErrorBox(PasswordEmpty));
        s.db.CompareAccounts(u"supperuser"_s, {{u"root"_s, u"pw"_s}});
    }

    // An unopenable table is reported; OK then does nothing (the settings say
    // they cannot work and close) and Cancel closes.
    void unreachableTables()
    {
        Supers s({});
        s.db.DropTable(u"supperuser"_s);
        QList<qsizetype> boxes;
        for (int i = 0; i < 2; ++i)
            Drive(s.platform, [&](CDialog* dlg) {
                boxes << s.platform.boxes.size() << Press(dlg, 1) << s.platform.boxes.size()
                      << Press(dlg, 2);
            });
        OpenNewSuperUserDialog();
        OpenSuperPasswordDialog();
        QCOMPARE(boxes, (QList<qsizetype>{1, 1, 1, 0, 2, 1, 2, 0}));
        s.db.DropTable(u"\"user\""_s);
        CurrentUser = {u"Tom"_s, u"c"_s, u"1"_s, u"p"_s, Kind, UserKind::Ordinary, 1};
        CUserSettingsDlg dlg;
        QVERIFY(!dlg.HasRecordset());
        s.platform.DriveDialog(FillAndOk({}));
        QCOMPARE(dlg.DoModal(), int(IDOK));
        const QStringList error = Box(u"错误信息:…"_s, u"qe"_s, MB_OK | MB_ICONEXCLAMATION);
        CompareBoxes(s.platform,
                     {error, error, error, Box(NoSettings, u"qe"_s, MB_OK | MB_ICONEXCLAMATION)});
        QCOMPARE(CurrentUser.Name, u"Tom"_s);
    }

    // The old values shown read-only (the password in clear), the presets,
    // digits only in the number, one kind to choose; typing at once replaces
    // the preset name.
    void settingsShowTheUserAndPresets()
    {
        Pupils p({{u"张三"_s, u"一班"_s, u"2003001"_s, u"Secret"_s, Kind}});
        if (p.db.IsPostgres())
            QSKIP("a lab's server keeps the name, class and number (serverSettings)");
        QStringList shown; // text, read-only, echo mode
        Drive(p.platform, [&](CDialog* dlg) {
            for (int id : {1020, 1003, 1004, 1005, 1006, 1007, 1021, 1008, 1009, 1010}) {
                auto* edit = dlg->Item<QLineEdit>(id);
                shown << u"%1 %2 %3"_s.arg(edit->text())
                             .arg(edit->isReadOnly())
                             .arg(edit->echoMode());
            }
            QTest::keyClicks(dlg->Item<QLineEdit>(1009), u"2a-3"_s);
            auto* kinds = dlg->Item<QComboBox>(1022);
            shown << dlg->GetDlgItemText(1009) << kinds->itemText(0)
                  << QString::number(kinds->count());
        });
        OpenUserSettingsDialog();
        QCOMPARE(shown,
                 (QStringList{u"张三 1 0"_s, u"一班 1 0"_s, u"2003001 1 0"_s, u"Secret 1 0"_s,
                              u"普通用户 1 0"_s, u" 1 0"_s, u"NONE 0 0"_s, u"NONE 0 0"_s,
                              u"0 0 0"_s, u" 0 2"_s, u"023"_s, Kind, u"1"_s}));
        QVERIFY(p.platform.boxes.isEmpty());
        QCOMPARE(TypedAtOnce(p.platform, OpenUserSettingsDialog, u"laoshi"_s),
                 std::make_pair(1021, u"laoshi"_s));
    }

    // On a lab's server the name, class and number are the teacher's: the
    // settings show them read-only, take nothing typed over them, and
    // change the password alone, with the password's rules.
    void serverSettings_data()
    {
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("message"); // empty: changed
        QTest::newRow("a new password") << u"neu"_s << QString();
        QTest::newRow("no password") << QString() << PasswordEmpty;
        QTest::newRow("a password of twelve") << TwelveChars << PasswordTooLong;
    }
    void serverSettings()
    {
        QFETCH(QString, password);
        QFETCH(QString, message);
        Pupils p({Victim, Me}, 1);
        if (!p.db.IsPostgres())
            QSKIP("the described settings of a file (settingsChange)");
        QStringList shown;
        Outcome outcome;
        p.platform.DriveDialog([&](QDialog* dialog) {
            auto* dlg = static_cast<CDialog*>(dialog);
            for (const int id : {1021, 1008, 1009}) {
                auto* edit = dlg->Item<QLineEdit>(id);
                shown << u"%1 %2"_s.arg(edit->text()).arg(edit->isReadOnly());
            }
            QTest::keyClicks(dlg->Item<QLineEdit>(1021), u"Li Si"_s);
            dlg->Item<QLineEdit>(1010)->setText(password);
            dlg->ClickButton(1);
            outcome.bOpen = dialog->isVisible();
            if (outcome.bOpen)
                dlg->OnCancel();
        });
        OpenUserSettingsDialog();
        QCOMPARE(shown, (QStringList{u"张三 1"_s, u"一班 1"_s, u"11 1"_s}));
        QCOMPARE(outcome.bOpen, !message.isEmpty());
        CompareBoxes(p.platform, message.isEmpty() ? Rows() : ErrorBox(message));
        QStringList changed = Me;
        changed[3] = message.isEmpty() ? password : Me[3];
        p.db.CompareAccounts(u"user"_s, {Victim, changed});
        QCOMPARE(CurrentUser.Name, Me[0]);
    }

    // The settings change the logged-in pupil's own row; a refusal names the
    // field, selects it and writes nothing.
    void settingsChange_data()
    {
        QTest::addColumn<Rows>("before");
        QTest::addColumn<int>("own");           // the logged-in pupil's row
        QTest::addColumn<QStringList>("typed"); // fewer than four: the presets stay
        QTest::addColumn<QString>("message");   // empty: accepted
        QTest::addColumn<int>("focus");
        QTest::addColumn<Rows>("after");
        const auto row = [](const char* name, const Rows& before, int own, const QStringList& typed,
                            const QString& message, int focus, const Rows& after) {
            QTest::newRow(name) << before << own << typed << message << focus << after;
        };
        const auto refused = [&row](const char* name, int field, const QString& text,
                                    const QString& message) {
            QStringList typed{u"Tom"_s, u"c"_s, u"5"_s, u"pw"_s};
            typed[field] = text;
            row(name, Tom, 0, typed, message, SettingsIds[field], Tom);
        };
        const auto pupil = [](const QString& name, const QString& number) {
            return QStringList{name, u"c"_s, number, u"p"_s + number, Kind};
        };
        row("own row changes", {pupil(u"张三"_s, u"1"_s), pupil(u"o"_s, u"2"_s)}, 0,
            pupil(u"张三丰"_s, u"3"_s), {}, 0, {pupil(u"张三丰"_s, u"3"_s), pupil(u"o"_s, u"2"_s)});
        row("two rows with the name: the logged-in one changes, keeping it",
            {pupil(u"Tom"_s, u"2"_s), pupil(u"Tom"_s, u"3"_s)}, 1, pupil(u"Tom"_s, u"9"_s), {}, 0,
            {pupil(u"Tom"_s, u"2"_s), pupil(u"Tom"_s, u"9"_s)});
        row("name differing in case is another name",
            {pupil(u"tom"_s, u"2"_s), pupil(u"Tom"_s, u"3"_s)}, 1, pupil(u"TOM"_s, u"4"_s), {}, 0,
            {pupil(u"tom"_s, u"2"_s), pupil(u"TOM"_s, u"4"_s)});
        row("10-digit number and 10-character password", Tom, 0,
            {u"Tom"_s, u"c"_s, u"2026000001"_s, TenChars}, {}, 0,
            {{u"Tom"_s, u"c"_s, u"2026000001"_s, TenChars, Kind}});
        row("OK at once: the preset password is empty", Tom, 0, {}, PasswordEmpty, 1010, Tom);
        refused("empty name", 0, {}, u"用户姓名不能为空,请输入!"_s);
        refused("a line feed in the class", 1, u"三\n二班"_s, u"班级名称中有换行符,请重新输入!"_s);
        refused("empty student number", 2, {}, u"学号不能为空,请输入!"_s);
        refused("empty password", 3, {}, PasswordEmpty);
        refused("12-character password", 3, TwelveChars, PasswordTooLong);
    }
    void settingsChange()
    {
        QFETCH(Rows, before);
        QFETCH(int, own);
        QFETCH(QStringList, typed);
        QFETCH(QString, message);
        QFETCH(int, focus);
        QFETCH(Rows, after);
        Pupils p(before, own);
        if (p.db.IsPostgres())
            QSKIP("a lab's server keeps the name, class and number (serverSettings)");
        Outcome outcome;
        Confirm(p.platform, Edits(SettingsIds, typed.mid(0, 4)), &outcome);
        OpenUserSettingsDialog();
        QCOMPARE(outcome.bOpen, !message.isEmpty());
        CompareBoxes(p.platform, message.isEmpty() ? Rows() : ErrorBox(message));
        if (focus)
            QCOMPARE(outcome.nFocus, focus);
        p.db.CompareAccounts(u"user"_s, after);
        QCOMPARE(CurrentUser.Name, message.isEmpty() ? typed[0] : before[own][0]);
    }

    // A pupil renames themself to another pupil's name, then changes the
    // settings again: the rename is refused and the second change reaches
    // the pupil's own row only, never the other's password or scores.
    void takeoverByRenameIsRefused()
    {
        Pupils p({Victim, Me}, 1);
        if (p.db.IsPostgres())
            QSKIP("a lab's server keeps the name, class and number (serverSettings)");
        p.db.Insert(u"score"_s, {u"张三"_s, u"11"_s});
        Outcome rename;
        Confirm(p.platform, Edits(SettingsIds, {u"李四"_s, u"二班"_s, u"22"_s, u"mine"_s}),
                &rename);
        OpenUserSettingsDialog();
        QCOMPARE(std::tuple(rename.bOpen, rename.nFocus, rename.strSelected, CurrentUser.Name),
                 std::tuple(true, 1021, u"李四"_s, u"张三"_s));
        CompareBoxes(p.platform, ErrorBox(NameTaken));
        p.platform.DriveDialog(
            FillAndOk(Edits(SettingsIds, {u"王五"_s, u"三班"_s, u"33"_s, u"attack"_s})));
        OpenUserSettingsDialog();
        p.db.CompareAccounts(u"user"_s,
                             {Victim, {u"王五"_s, u"三班"_s, u"33"_s, u"attack"_s, Kind}});
        // The program goes on as the changed user: panes, and the name and
        // number a practice result stored now goes under.
        QCOMPARE(UserTexts() << p.frame.panes.value(1) << p.frame.panes.value(2),
                 (QStringList{u"王五"_s, u"三班"_s, u"33"_s, u"attack"_s, Kind,
                              QString::number(UserKind::Ordinary), u"用户姓名:王五"_s,
                              u"用户类型:普通用户"_s}));
        std::tie(CurrentPracticeKind, CorrectCount, TypedCount, ElapsedSeconds) =
            std::tuple(112, 30, 40, 10);
        p.platform.DriveDialog(FillAndOk({}));
        CResultDlg result;
        result.DoModal();
        Rows scores = p.db.Rows(u"score"_s);
        for (QStringList& score : scores)
            score = score.mid(0, 2);
        QCOMPARE(scores, (Rows{{u"张三"_s, u"11"_s}, {u"王五"_s, u"33"_s}}));
        QCOMPARE(p.platform.boxes.size(), 1);
    }

    // The row was deleted since the login (by another machine): nothing to
    // edit, and a namesake's row is not taken instead.
    void settingsOwnRowGoneStaysOpen()
    {
        Pupils p({{u"Tom"_s, u"old"_s, u"0"_s, u"x"_s, Kind}, Tom[0]});
        {
            CDaoRecordset rs(p.db.Admin());
            QVERIFY(OpenScan(rs, Sql::ScanUsers));
            rs.Delete();
        }
        Drive(p.platform, [](CDialog* dlg) {
            Fill(dlg, Edits(SettingsIds, {u"Tom"_s, u"c"_s, u"2"_s, u"q"_s}));
            Press(dlg, 1);
            Press(dlg, 1);
        });
        OpenUserSettingsDialog();
        p.db.CompareAccounts(u"user"_s, Tom);
        // On a server the deleted account's role went with it: its session
        // can do nothing more, and the dialog says it cannot work.
        if (p.db.IsPostgres())
            QCOMPARE(p.platform.boxes.value(p.platform.boxes.size() - 1).text, NoSettings);
        else
            CompareBoxes(p.platform, ErrorBox(CannotDo) + ErrorBox(CannotDo));
    }
};

QE_TEST_MAIN(TestAccounts)
#include "tst_accounts.moc"
