#include "platform/ScriptedPlatform.h"
#include "practice/PracticeState.h"
#include "practice/ResultDlg.h"
#include "tests/FakeMainWindow.h"
#include "tests/TestDatabase.h"
#include "tests/TestMain.h"
#include "users/CurrentUser.h"
#include "users/Database.h"
#include "users/UserSettingsDlg.h"

#include <QComboBox>
#include <QLineEdit>

using namespace Qt::Literals::StringLiterals;

namespace {
using Rows = QList<QStringList>;

void LogInAs(const QString& name, const QString& cls, const QString& number,
             const QString& password)
{
    CurrentUser = CCurrentUser();
    CurrentUser.Name = name;
    CurrentUser.Class = cls;
    CurrentUser.StudentNo = number;
    CurrentUser.Password = password;
    CurrentUser.KindText = u"普通用户"_s;
    CurrentUser.KindCode = UserKind::Ordinary;
}

// Fills the right half and presses OK.
CScriptedPlatform::DialogDriver Change(const QStringList& values)
{
    return [values](QDialog* dialog) {
        auto* dlg = static_cast<CDialog*>(dialog);
        const int ids[] = {1021, 1008, 1009, 1010};
        for (int i = 0; i < values.size(); ++i)
            dlg->Item<QLineEdit>(ids[i])->setText(values[i]);
        dlg->ClickButton(1);
    };
}
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
        LogInAs(u"张三"_s, u"计算机一班"_s, u"2003001"_s, u"Secret"_s);
        db.Insert(u"user"_s,
                  {u"张三"_s, u"计算机一班"_s, u"2003001"_s, u"Secret"_s, u"普通用户"_s});

        QStringList shown, presets;
        bool bOldReadOnly = true, bNewWritable = true, bPasswordClear = false,
             bNewPasswordMasked = false;
        QString strTypedNumber, strKindItem;
        platform.DriveDialog([&](QDialog* dialog) {
            auto* dlg = static_cast<CDialog*>(dialog);
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
            dlg->ClickButton(2);
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
        QCOMPARE(db.Rows(u"user"_s),
                 (Rows{{u"张三"_s, u"计算机一班"_s, u"2003001"_s, u"Secret"_s, u"普通用户"_s}}));
    }

    void confirm_data()
    {
        QTest::addColumn<Rows>("before");
        QTest::addColumn<QString>("loggedIn");
        QTest::addColumn<QStringList>("typed");
        QTest::addColumn<Rows>("after");

        const QString kind = u"普通用户"_s;
        QTest::newRow("ok at once renames to the presets")
            << Rows{{u"张三"_s, u"一班"_s, u"11"_s, u"pw"_s, kind}} << u"张三"_s << QStringList()
            << Rows{{u"NONE"_s, u"NONE"_s, u"0"_s, QString(), kind}};
        QTest::newRow("new name equal to another user's is stored")
            << Rows{{u"张三"_s, u"一班"_s, u"11"_s, u"pw"_s, kind},
                    {u"李四"_s, u"二班"_s, u"22"_s, u"qq"_s, kind}}
            << u"张三"_s << QStringList{u"李四"_s, u"三班"_s, u"33"_s, u"new"_s}
            << Rows{{u"李四"_s, u"三班"_s, u"33"_s, u"new"_s, kind},
                    {u"李四"_s, u"二班"_s, u"22"_s, u"qq"_s, kind}};
        QTest::newRow("two rows with the logged-in name: only the first changes")
            << Rows{{u"other"_s, u"c"_s, u"1"_s, u"p"_s, kind},
                    {u"Tom"_s, u"c1"_s, u"2"_s, u"p1"_s, kind},
                    {u"Tom"_s, u"c2"_s, u"3"_s, u"p2"_s, kind}}
            << u"Tom"_s << QStringList{u"Tom"_s, u"c9"_s, u"9"_s, u"p9"_s}
            << Rows{{u"other"_s, u"c"_s, u"1"_s, u"p"_s, kind},
                    {u"Tom"_s, u"c9"_s, u"9"_s, u"p9"_s, kind},
                    {u"Tom"_s, u"c2"_s, u"3"_s, u"p2"_s, kind}};
        QTest::newRow("name differing in case is another user")
            << Rows{{u"tom"_s, u"c1"_s, u"2"_s, u"p1"_s, kind},
                    {u"Tom"_s, u"c2"_s, u"3"_s, u"p2"_s, kind}}
            << u"Tom"_s << QStringList{u"Thomas"_s}
            << Rows{{u"tom"_s, u"c1"_s, u"2"_s, u"p1"_s, kind},
                    {u"Thomas"_s, u"NONE"_s, u"0"_s, QString(), kind}};
    }
    void confirm()
    {
        QFETCH(Rows, before);
        QFETCH(QString, loggedIn);
        QFETCH(QStringList, typed);
        QFETCH(Rows, after);

        CScriptedPlatform platform;
        CTestDatabase db;
        CFakeMainWindow frame;
        for (const QStringList& row : before)
            db.Insert(u"user"_s, row);
        LogInAs(loggedIn, u"x"_s, u"1"_s, u"y"_s);

        platform.DriveDialog(Change(typed));
        OpenUserSettingsDialog();

        QCOMPARE(platform.unfinishedDialogs, 0);
        QVERIFY(platform.boxes.isEmpty());
        QCOMPARE(db.Rows(u"user"_s), after);
    }

    void noRowWithTheLoggedInNameStaysOpen()
    {
        CScriptedPlatform platform;
        CTestDatabase db;
        db.Insert(u"user"_s, {u"Tom"_s, u"c"_s, u"1"_s, u"p"_s, u"普通用户"_s});
        LogInAs(u"Tom "_s, u"c"_s, u"1"_s, u"p"_s);

        bool bOpenAfterFirst = false, bOpenAfterSecond = false;
        qsizetype nBoxesAfterSecond = 0;
        platform.DriveDialog([&](QDialog* dialog) {
            auto* dlg = static_cast<CDialog*>(dialog);
            dlg->ClickButton(1);
            bOpenAfterFirst = !dlg->IsEnded();
            dlg->ClickButton(1);
            bOpenAfterSecond = !dlg->IsEnded();
            nBoxesAfterSecond = platform.boxes.size();
            dlg->ClickButton(2);
        });
        OpenUserSettingsDialog();

        QVERIFY(bOpenAfterFirst);
        QVERIFY(bOpenAfterSecond);
        QCOMPARE(nBoxesAfterSecond, 2);
        for (const CScriptedPlatform::Box& box : platform.boxes) {
            QCOMPARE(box.text, u"对不起,无法执行指定操作!"_s);
            QCOMPARE(box.caption, u"错误!"_s);
            QCOMPARE(box.flags, MB_OK | MB_ICONEXCLAMATION);
        }
        QCOMPARE(db.Rows(u"user"_s), (Rows{{u"Tom"_s, u"c"_s, u"1"_s, u"p"_s, u"普通用户"_s}}));
    }

    void cancelChangesNothing()
    {
        CScriptedPlatform platform;
        CTestDatabase db;
        db.Insert(u"user"_s, {u"Tom"_s, u"c"_s, u"1"_s, u"p"_s, u"普通用户"_s});
        LogInAs(u"Tom"_s, u"c"_s, u"1"_s, u"p"_s);
        platform.DriveDialog([](QDialog* dialog) {
            auto* dlg = static_cast<CDialog*>(dialog);
            dlg->Item<QLineEdit>(1021)->setText(u"Jerry"_s);
            dlg->ClickButton(2);
        });
        OpenUserSettingsDialog();
        QCOMPARE(db.Rows(u"user"_s), (Rows{{u"Tom"_s, u"c"_s, u"1"_s, u"p"_s, u"普通用户"_s}}));
        QCOMPARE(CurrentUser.Name, u"Tom"_s);
    }

    // The program goes on as the changed user: panes, a second change and
    // the name a later score is stored under.
    void goesOnAsTheChangedUser()
    {
        CScriptedPlatform platform;
        CTestDatabase db;
        CFakeMainWindow frame;
        db.Insert(u"user"_s, {u"张三"_s, u"一班"_s, u"11"_s, u"pw"_s, u"普通用户"_s});
        db.Insert(u"score"_s, {u"张三"_s, u"11"_s});
        LogInAs(u"张三"_s, u"一班"_s, u"11"_s, u"pw"_s);

        platform.DriveDialog(Change({u"李四"_s, u"二班"_s, u"22"_s, u"abc"_s}));
        OpenUserSettingsDialog();
        QCOMPARE(CurrentUser.Name, u"李四"_s);
        QCOMPARE(CurrentUser.Class, u"二班"_s);
        QCOMPARE(CurrentUser.StudentNo, u"22"_s);
        QCOMPARE(CurrentUser.Password, u"abc"_s);
        QCOMPARE(CurrentUser.KindText, u"普通用户"_s);
        QCOMPARE(CurrentUser.KindCode, int(UserKind::Ordinary));
        QCOMPARE(frame.panes.value(1), u"用户姓名:李四"_s);
        QCOMPARE(frame.panes.value(2), u"用户类型:普通用户"_s);

        QStringList shownBySecond;
        platform.DriveDialog([&](QDialog* dialog) {
            auto* dlg = static_cast<CDialog*>(dialog);
            for (int id : {1020, 1003, 1004, 1005})
                shownBySecond << dlg->GetDlgItemText(id);
            Change({u"王五"_s, u"三班"_s, u"33"_s, u"xyz"_s})(dialog);
        });
        OpenUserSettingsDialog();
        QCOMPARE(shownBySecond, (QStringList{u"李四"_s, u"二班"_s, u"22"_s, u"abc"_s}));
        QVERIFY(platform.boxes.isEmpty());
        QCOMPARE(db.Rows(u"user"_s),
                 (Rows{{u"王五"_s, u"三班"_s, u"33"_s, u"xyz"_s, u"普通用户"_s}}));
        QCOMPARE(frame.panes.value(1), u"用户姓名:王五"_s);

        // A practice result stored now goes under the new name and number.
        CurrentPracticeKind = 112;
        CorrectCount = 30;
        TypedCount = 40;
        ElapsedSeconds = 10;
        platform.DriveDialog(
            [](QDialog* dialog) { static_cast<CDialog*>(dialog)->ClickButton(1); });
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
        SetActiveDatabaseSource([] { return static_cast<CDaoDatabase*>(nullptr); });
        LogInAs(u"Tom"_s, u"c"_s, u"1"_s, u"p"_s);
        OpenUserSettingsDialog();
        QVERIFY(platform.modalRuns.isEmpty());
        QCOMPARE(platform.boxes.size(), 1);
        QCOMPARE(platform.boxes[0].text, u"数据库未正确连接!操作无法进行!"_s);
        QCOMPARE(platform.boxes[0].caption, u"qe"_s);
        QCOMPARE(platform.boxes[0].flags, MB_OK | MB_ICONEXCLAMATION);
    }

    void okWithoutRecordsetSaysNotConnectedAndCloses()
    {
        CScriptedPlatform platform;
        SetActiveDatabaseSource([] { return static_cast<CDaoDatabase*>(nullptr); });
        LogInAs(u"Tom"_s, u"c"_s, u"1"_s, u"p"_s);
        CUserSettingsDlg dlg;
        QVERIFY(!dlg.HasRecordset());
        platform.DriveDialog(
            [](QDialog* dialog) { static_cast<CDialog*>(dialog)->ClickButton(1); });
        const int result = dlg.DoModal();
        QCOMPARE(result, int(IDOK));
        QCOMPARE(platform.boxes.size(), 1);
        QCOMPARE(platform.boxes[0].text, u"数据库未正确连接!无法对当前用户进行设置!"_s);
        QCOMPARE(platform.boxes[0].caption, u"qe"_s);
        QCOMPARE(CurrentUser.Name, u"Tom"_s);
    }

    void unopenableTableReportsAndClosesOnOk()
    {
        CScriptedPlatform platform;
        CTestDatabase db;
        db.Database()->Execute(u"DROP TABLE \"user\""_s);
        LogInAs(u"Tom"_s, u"c"_s, u"1"_s, u"p"_s);
        platform.DriveDialog(
            [](QDialog* dialog) { static_cast<CDialog*>(dialog)->ClickButton(1); });
        OpenUserSettingsDialog();
        QCOMPARE(platform.unfinishedDialogs, 0);
        QCOMPARE(platform.boxes.size(), 2);
        QVERIFY2(platform.boxes[0].text.startsWith(u"错误信息:"_s),
                 qPrintable(platform.boxes[0].text));
        QCOMPARE(platform.boxes[1].text, u"数据库未正确连接!无法对当前用户进行设置!"_s);
        QCOMPARE(CurrentUser.Name, u"Tom"_s);
    }
};

QE_TEST_MAIN(TestUserSettings)
#include "tst_usersettings.moc"
