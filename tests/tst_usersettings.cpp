#include "platform/ScriptedPlatform.h"
#include "practice/PracticeState.h"
#include "practice/ResultDlg.h"
#include "tests/DialogDriver.h"
#include "tests/FakeMainWindow.h"
#include "tests/TestDatabase.h"
#include "tests/TestMain.h"
#include "users/CurrentUser.h"
#include "users/Database.h"
#include "users/UserSettingsDlg.h"

#include <QComboBox>

using namespace Qt::Literals::StringLiterals;

namespace {
// Logs in as an ordinary user to the row with the given key: the program's
// session as that account, as after its login.
void LogInAs(const QString& name, const QString& cls, const QString& number,
             const QString& password, qint64 key, CTestDatabase* db = nullptr)
{
    CurrentUser = {name, cls, number, password, u"普通用户"_s, UserKind::Ordinary, key};
    if (db && !db->SignInAs(key, password))
        QFAIL("the account does not accept its password");
}

// What a driver saw after pressing OK: whether the dialog stayed open, and
// the focused edit with its selected text.
struct Refusal
{
    bool bOpen = false;
    int nFocus = 0;
    QString strSelected;
};

CScriptedPlatform::DialogDriver ChangeAndNote(const QStringList& values, Refusal* refusal)
{
    return [values, refusal](QDialog* dialog) {
        auto* dlg = static_cast<CDialog*>(dialog);
        const int ids[] = {1021, 1008, 1009, 1010};
        for (int i = 0; i < values.size(); ++i)
            Fill(dlg, {{ids[i], values[i]}});
        refusal->bOpen = Press(dlg, 1);
        if (auto* edit = qobject_cast<QLineEdit*>(dlg->focusWidget())) {
            refusal->nFocus = edit->property("controlId").toInt();
            refusal->strSelected = edit->selectedText();
        }
        if (refusal->bOpen)
            dlg->ClickButton(2);
    };
}

const QString NameTaken = u"您输入的用户名已经有人使用,请更改!"_s;

// Fills the right half (name, class, number, password) and presses OK.
CScriptedPlatform::DialogDriver Change(const QStringList& values)
{
    const int ids[] = {1021, 1008, 1009, 1010};
    EditTexts texts;
    for (int i = 0; i < values.size(); ++i)
        texts.append({ids[i], values[i]});
    return FillAndOk(texts);
}

const Rows Tom{{u"Tom"_s, u"c"_s, u"1"_s, u"p"_s, u"普通用户"_s}};
const QString NoSettings = u"数据库未正确连接!无法对当前用户进行设置!"_s;
} // namespace

class TestUserSettings : public QObject
{
    Q_OBJECT
private slots:
    void init() { CurrentUser = CCurrentUser(); }

    void showsCurrentValuesAndPresets()
    {
        CScriptedPlatform platform;
        CTestDatabase db;
        const qint64 key = db.Insert(
            u"user"_s, {u"张三"_s, u"计算机一班"_s, u"2003001"_s, u"Secret"_s, u"普通用户"_s});
        LogInAs(u"张三"_s, u"计算机一班"_s, u"2003001"_s, u"Secret"_s, key, &db);

        QStringList shown, presets;
        bool bOldReadOnly = true, bNewWritable = true, bPasswordClear = false,
             bNewPasswordMasked = false;
        QString strTypedNumber, strKindItem;
        Drive(platform, [&](CDialog* dlg) {
            for (int id : {1020, 1003, 1004, 1005, 1006, 1007}) {
                shown << dlg->GetDlgItemText(id);
                bOldReadOnly = bOldReadOnly && dlg->Item<QLineEdit>(id)->isReadOnly();
            }
            for (int id : {1021, 1008, 1009, 1010}) {
                presets << dlg->GetDlgItemText(id);
                bNewWritable = bNewWritable && !dlg->Item<QLineEdit>(id)->isReadOnly();
            }
            bPasswordClear = dlg->Item<QLineEdit>(1005)->echoMode() == QLineEdit::Normal;
            bNewPasswordMasked = dlg->Item<QLineEdit>(1010)->echoMode() == QLineEdit::Password;
            auto* number = dlg->Item<QLineEdit>(1009);
            number->clear();
            QTest::keyClicks(number, u"12a-3"_s);
            strTypedNumber = number->text();
            if (auto* kinds = dlg->Item<QComboBox>(1022); kinds && kinds->count() == 1)
                strKindItem = kinds->itemText(0);
        });
        OpenUserSettingsDialog();

        QCOMPARE(shown, (QStringList{u"张三"_s, u"计算机一班"_s, u"2003001"_s, u"Secret"_s,
                                     u"普通用户"_s, QString()}));
        QCOMPARE(presets, (QStringList{u"NONE"_s, u"NONE"_s, u"0"_s, QString()}));
        QVERIFY(bOldReadOnly);
        QVERIFY(bNewWritable);
        QVERIFY(bPasswordClear);
        QVERIFY(bNewPasswordMasked);
        QCOMPARE(strTypedNumber, u"123"_s);
        QCOMPARE(strKindItem, u"普通用户"_s);
        QVERIFY(platform.boxes.isEmpty());
        db.CompareAccounts(
            u"user"_s, {{u"张三"_s, u"计算机一班"_s, u"2003001"_s, u"Secret"_s, u"普通用户"_s}});
    }

    // Typing at once replaces the preset name instead of adding to it.
    void typingReplacesThePresetName()
    {
        CScriptedPlatform platform;
        CTestDatabase db;
        LogInAs(u"Tom"_s, u"c"_s, u"1"_s, u"p"_s, db.Insert(u"user"_s, Tom[0]), &db);
        int nFocus = 0;
        QString strName;
        Drive(platform, [&](CDialog* dlg) {
            nFocus = TypeAtOnce(dlg, u"laoshi"_s);
            strName = dlg->GetDlgItemText(1021);
        });
        OpenUserSettingsDialog();
        QCOMPARE(nFocus, 1021);
        QCOMPARE(strName, u"laoshi"_s);
    }

    void confirm_data()
    {
        QTest::addColumn<Rows>("before");
        QTest::addColumn<int>("own"); // the logged-in user's row
        QTest::addColumn<QStringList>("typed");
        QTest::addColumn<Rows>("after");

        const QString kind = u"普通用户"_s;
        QTest::newRow("own row changes")
            << Rows{{u"张三"_s, u"一班"_s, u"11"_s, u"pw"_s, kind},
                    {u"李四"_s, u"二班"_s, u"22"_s, u"qq"_s, kind}}
            << 0 << QStringList{u"张三丰"_s, u"三班"_s, u"33"_s, u"new"_s}
            << Rows{{u"张三丰"_s, u"三班"_s, u"33"_s, u"new"_s, kind},
                    {u"李四"_s, u"二班"_s, u"22"_s, u"qq"_s, kind}};
        QTest::newRow("keeping one's own name")
            << Rows{{u"张三"_s, u"一班"_s, u"11"_s, u"pw"_s, kind}} << 0
            << QStringList{u"张三"_s, u"一班"_s, u"12"_s, u"pw2"_s}
            << Rows{{u"张三"_s, u"一班"_s, u"12"_s, u"pw2"_s, kind}};
        QTest::newRow("two rows with the name: the logged-in one changes, keeping it")
            << Rows{{u"other"_s, u"c"_s, u"1"_s, u"p"_s, kind},
                    {u"Tom"_s, u"c1"_s, u"2"_s, u"p1"_s, kind},
                    {u"Tom"_s, u"c2"_s, u"3"_s, u"p2"_s, kind}}
            << 2 << QStringList{u"Tom"_s, u"c9"_s, u"9"_s, u"p9"_s}
            << Rows{{u"other"_s, u"c"_s, u"1"_s, u"p"_s, kind},
                    {u"Tom"_s, u"c1"_s, u"2"_s, u"p1"_s, kind},
                    {u"Tom"_s, u"c9"_s, u"9"_s, u"p9"_s, kind}};
        QTest::newRow("name differing in case is another name")
            << Rows{{u"tom"_s, u"c1"_s, u"2"_s, u"p1"_s, kind},
                    {u"Tom"_s, u"c2"_s, u"3"_s, u"p2"_s, kind}}
            << 1 << QStringList{u"TOM"_s, u"c3"_s, u"4"_s, u"p3"_s}
            << Rows{{u"tom"_s, u"c1"_s, u"2"_s, u"p1"_s, kind},
                    {u"TOM"_s, u"c3"_s, u"4"_s, u"p3"_s, kind}};
        QTest::newRow("10-digit number and 10-character password")
            << Rows{{u"Tom"_s, u"c"_s, u"1"_s, u"p"_s, kind}} << 0
            << QStringList{u"Tom"_s, u"c"_s, u"2026000001"_s, TenChars}
            << Rows{{u"Tom"_s, u"c"_s, u"2026000001"_s, TenChars, kind}};
    }
    void confirm()
    {
        QFETCH(Rows, before);
        QFETCH(int, own);
        QFETCH(QStringList, typed);
        QFETCH(Rows, after);

        CScriptedPlatform platform;
        CTestDatabase db;
        CFakeMainWindow frame;
        QList<qint64> keys;
        for (const QStringList& row : before)
            keys << db.Insert(u"user"_s, row);
        LogInAs(before[own][0], before[own][1], before[own][2], before[own][3], keys[own], &db);

        platform.DriveDialog(Change(typed));
        OpenUserSettingsDialog();

        QCOMPARE(platform.unfinishedDialogs, 0);
        QVERIFY(platform.boxes.isEmpty());
        db.CompareAccounts(u"user"_s, after);
    }

    // Required fields and lengths, as the dialog's labels state them: a
    // refusal names the field, selects it and writes nothing.
    void refusesMissingAndOverlongValues_data()
    {
        QTest::addColumn<QStringList>("typed"); // fewer than four: the presets stay
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("focus");
        QTest::newRow("OK at once: the preset password is empty")
            << QStringList() << PasswordEmpty << 1010;
        QTest::newRow("empty name") << QStringList{QString(), u"c"_s, u"5"_s, u"pw"_s}
                                    << u"用户姓名不能为空,请输入!"_s << 1021;
        QTest::newRow("a tab in the name") << QStringList{u"T\tom"_s, u"c"_s, u"5"_s, u"pw"_s}
                                           << u"用户姓名中有制表符,请重新输入!"_s << 1021;
        QTest::newRow("a line feed in the class")
            << QStringList{u"Tom"_s, u"三年级\n二班"_s, u"5"_s, u"pw"_s}
            << u"班级名称中有换行符,请重新输入!"_s << 1008;
        QTest::newRow("empty student number") << QStringList{u"Tom"_s, u"c"_s, QString(), u"pw"_s}
                                              << u"学号不能为空,请输入!"_s << 1009;
        QTest::newRow("11-digit student number")
            << QStringList{u"Tom"_s, u"c"_s, u"20260000001"_s, u"pw"_s}
            << u"学号最多10位,请重新输入!"_s << 1009;
        QTest::newRow("empty password")
            << QStringList{u"Tom"_s, u"c"_s, u"5"_s, QString()} << PasswordEmpty << 1010;
        QTest::newRow("12-character password")
            << QStringList{u"Tom"_s, u"c"_s, u"5"_s, TwelveChars} << PasswordTooLong << 1010;
    }
    void refusesMissingAndOverlongValues()
    {
        QFETCH(QStringList, typed);
        QFETCH(QString, message);
        QFETCH(int, focus);
        CScriptedPlatform platform;
        CTestDatabase db;
        LogInAs(u"Tom"_s, u"c"_s, u"1"_s, u"p"_s, db.Insert(u"user"_s, Tom[0]), &db);
        Refusal refusal;
        platform.DriveDialog(ChangeAndNote(typed, &refusal));
        OpenUserSettingsDialog();
        QVERIFY(refusal.bOpen);
        CompareBoxes(platform, {Box(message, u"错误!"_s, MB_OK | MB_ICONEXCLAMATION)});
        QCOMPARE(refusal.nFocus, focus);
        db.CompareAccounts(u"user"_s, Tom);
        QCOMPARE(CurrentUser.Name, u"Tom"_s);
    }

    // A pupil renames themself to another pupil's name, then changes the
    // settings again: the rename is refused and the second change reaches
    // the pupil's own row only, never the other's password or scores.
    void takeoverByRenameIsRefused()
    {
        CScriptedPlatform platform;
        CTestDatabase db;
        CFakeMainWindow frame;
        const QString kind = u"普通用户"_s;
        const QStringList victim{u"李四"_s, u"二班"_s, u"22"_s, u"victim"_s, kind};
        db.Insert(u"user"_s, victim);
        const qint64 key = db.Insert(u"user"_s, {u"张三"_s, u"一班"_s, u"11"_s, u"pw"_s, kind});
        LogInAs(u"张三"_s, u"一班"_s, u"11"_s, u"pw"_s, key, &db);

        Refusal rename;
        platform.DriveDialog(ChangeAndNote({u"李四"_s, u"二班"_s, u"22"_s, u"mine"_s}, &rename));
        OpenUserSettingsDialog();
        QVERIFY(rename.bOpen);
        CompareBoxes(platform, {Box(NameTaken, u"错误!"_s, MB_OK | MB_ICONEXCLAMATION)});
        QCOMPARE(rename.nFocus, 1021);
        QCOMPARE(rename.strSelected, u"李四"_s);
        QCOMPARE(CurrentUser.Name, u"张三"_s);

        platform.boxes.clear();
        platform.DriveDialog(Change({u"张三"_s, u"一班"_s, u"11"_s, u"attack"_s}));
        OpenUserSettingsDialog();
        QVERIFY(platform.boxes.isEmpty());
        db.CompareAccounts(u"user"_s, {victim, {u"张三"_s, u"一班"_s, u"11"_s, u"attack"_s, kind}});
    }

    // The row was deleted since the login (by another machine): nothing to
    // edit, and a namesake's row is not taken instead.
    void ownRowGoneStaysOpen()
    {
        CScriptedPlatform platform;
        CTestDatabase db;
        const qint64 key = db.Insert(u"user"_s, {u"Tom"_s, u"old"_s});
        db.Insert(u"user"_s, Tom[0]);
        LogInAs(u"Tom"_s, u"c"_s, u"1"_s, QString(), key, &db);
        {
            CDaoRecordset rs(db.Admin());
            QVERIFY(OpenScan(rs, Sql::ScanUsers));
            rs.Delete();
        }
        QList<bool> open;
        Drive(platform, [&](CDialog* dlg) {
            Fill(dlg, {{1021, u"Tom"_s}, {1009, u"2"_s}, {1010, u"q"_s}});
            open << Press(dlg, 1) << Press(dlg, 1);
        });
        OpenUserSettingsDialog();
        db.CompareAccounts(u"user"_s, Tom);
        // On a server the deleted account's role went with it: its session
        // can do nothing more, and the dialog says it cannot work.
        if (db.IsPostgres()) {
            QVERIFY(!platform.boxes.isEmpty());
            QCOMPARE(platform.boxes.last().text, NoSettings);
            return;
        }
        QCOMPARE(open, (QList<bool>{true, true}));
        const QStringList box =
            Box(u"对不起,无法执行指定操作!"_s, u"错误!"_s, MB_OK | MB_ICONEXCLAMATION);
        CompareBoxes(platform, {box, box});
    }

    void cancelChangesNothing()
    {
        CScriptedPlatform platform;
        CTestDatabase db;
        LogInAs(u"Tom"_s, u"c"_s, u"1"_s, u"p"_s, db.Insert(u"user"_s, Tom[0]), &db);
        Drive(platform, [](CDialog* dlg) {
            Fill(dlg, {{1021, u"Jerry"_s}});
            dlg->ClickButton(2);
        });
        OpenUserSettingsDialog();
        db.CompareAccounts(u"user"_s, Tom);
        QCOMPARE(CurrentUser.Name, u"Tom"_s);
    }

    // The program goes on as the changed user: panes, a second change and
    // the name a later score is stored under.
    void goesOnAsTheChangedUser()
    {
        CScriptedPlatform platform;
        CTestDatabase db;
        CFakeMainWindow frame;
        const qint64 key =
            db.Insert(u"user"_s, {u"张三"_s, u"一班"_s, u"11"_s, u"pw"_s, u"普通用户"_s});
        db.Insert(u"score"_s, {u"张三"_s, u"11"_s});
        LogInAs(u"张三"_s, u"一班"_s, u"11"_s, u"pw"_s, key, &db);

        platform.DriveDialog(Change({u"李四"_s, u"二班"_s, u"22"_s, u"abc"_s}));
        OpenUserSettingsDialog();
        QCOMPARE(UserTexts(), (QStringList{u"李四"_s, u"二班"_s, u"22"_s, u"abc"_s, u"普通用户"_s,
                                           QString::number(UserKind::Ordinary)}));
        QCOMPARE(frame.panes.value(1), u"用户姓名:李四"_s);
        QCOMPARE(frame.panes.value(2), u"用户类型:普通用户"_s);

        QStringList shownBySecond;
        Drive(platform, [&](CDialog* dlg) {
            for (int id : {1020, 1003, 1004, 1005})
                shownBySecond << dlg->GetDlgItemText(id);
            Change({u"王五"_s, u"三班"_s, u"33"_s, u"xyz"_s})(dlg);
        });
        OpenUserSettingsDialog();
        QCOMPARE(shownBySecond, (QStringList{u"李四"_s, u"二班"_s, u"22"_s, u"abc"_s}));
        QVERIFY(platform.boxes.isEmpty());
        db.CompareAccounts(u"user"_s, {{u"王五"_s, u"三班"_s, u"33"_s, u"xyz"_s, u"普通用户"_s}});
        QCOMPARE(frame.panes.value(1), u"用户姓名:王五"_s);

        // A practice result stored now goes under the new name and number.
        CurrentPracticeKind = 112;
        CorrectCount = 30;
        TypedCount = 40;
        ElapsedSeconds = 10;
        platform.DriveDialog(FillAndOk({}));
        CResultDlg result;
        result.DoModal();
        QCOMPARE(platform.unfinishedDialogs, 0);
        QVERIFY(platform.boxes.isEmpty());
        const Rows scores = db.Rows(u"score"_s);
        QCOMPARE(scores.size(), 2);
        QCOMPARE(scores[0].mid(0, 2), (QStringList{u"张三"_s, u"11"_s}));
        QCOMPARE(scores[1].mid(0, 2), (QStringList{u"王五"_s, u"33"_s}));
    }

    void guardWithoutDatabase()
    {
        CScriptedPlatform platform;
        NoDatabase();
        LogInAs(u"Tom"_s, u"c"_s, u"1"_s, u"p"_s, 1);
        OpenUserSettingsDialog();
        QVERIFY(platform.modalRuns.isEmpty());
        CompareBoxes(platform, {Box(NotConnected, u"qe"_s, MB_OK | MB_ICONEXCLAMATION)});
    }

    // Without a recordset OK only says so and closes; the user stays.
    void okWithoutRecordset_data()
    {
        QTest::addColumn<bool>("connected");
        QTest::newRow("no database") << false;
        QTest::newRow("user table cannot be opened: reported first") << true;
    }
    void okWithoutRecordset()
    {
        QFETCH(bool, connected);
        CScriptedPlatform platform;
        std::unique_ptr<CTestDatabase> db;
        if (connected) {
            db = std::make_unique<CTestDatabase>();
            db->DropTable(u"\"user\""_s);
        } else {
            NoDatabase();
        }
        LogInAs(u"Tom"_s, u"c"_s, u"1"_s, u"p"_s, 1);
        CUserSettingsDlg dlg;
        QVERIFY(!dlg.HasRecordset());
        platform.DriveDialog(FillAndOk({}));
        QCOMPARE(dlg.DoModal(), int(IDOK));
        QStringList texts;
        for (const CScriptedPlatform::Box& box : platform.boxes)
            texts << box.text;
        QCOMPARE(texts.size(), connected ? 2 : 1);
        QVERIFY2(!connected || texts[0].startsWith(u"错误信息:"_s), qPrintable(texts.join(u'|')));
        QCOMPARE(texts.last(), NoSettings);
        QCOMPARE(platform.boxes.last().caption, u"qe"_s);
        QCOMPARE(CurrentUser.Name, u"Tom"_s);
    }
};

QE_TEST_MAIN(TestUserSettings)
#include "tst_usersettings.moc"
