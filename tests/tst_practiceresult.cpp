#include "attempts/Progress.h"
#include "platform/Dao.h"
#include "platform/Dialog.h"
#include "tests/AttemptRows.h"
#include "tests/PracticeFixture.h"
#include "tests/TestDatabase.h"
#include "tests/TestMain.h"
#include "users/CurrentUser.h"
#include "users/Database.h"

#include <QCryptographicHash>

using namespace Qt::Literals::StringLiterals;

// A whole practice, from the typed keys to the stored score row.
class TestPracticeResult : public QObject
{
    Q_OBJECT
private slots:
    void englishPracticeStoresItsScore()
    {
        CTestDatabase database;
        CDaoDatabase::SetTarget(database.Target());
        CPracticeFixture f;
        QVERIFY(f.doc.m_pDB);
        CurrentUser = CCurrentUser();
        CurrentUser.Name = u"张小明"_s;
        CurrentUser.StudentNo = u"2024001"_s;
        CurrentUser.KindCode = UserKind::Ordinary;
        CurrentUser.RowKey = 5;
        database.SignInAsCurrentUser(f.doc.m_pDB);

        QByteArray text;
        for (int i = 0; text.size() < 200; ++i)
            text += QByteArray("typing ").append(char('a' + i % 26));
        f.WriteFile(u"english.txt"_s, text);
        f.view->OnPracticeEnglish();
        f.platform.SetDate(QDate(2024, 9, 2));
        f.platform.SetTime(QTime(10, 0, 0));
        f.Type(QByteArray(" "));
        // A slip taken back, then 90 keys, every ninth one wrong: 80 correct.
        f.Type(QByteArray("x\b"));
        QByteArray keys = text.left(90);
        for (int i = 8; i < 90; i += 9)
            keys[i] = '#';
        f.Type(keys);
        QCOMPARE(TypedCount, 90);
        QCOMPARE(CorrectCount, 80);
        f.platform.Advance(45250);
        f.frame->OnTimer(1);

        f.platform.AnswerBoxes({IDOK});
        f.platform.DriveDialog([&](QDialog* dialog) {
            auto* result = static_cast<CDialog*>(dialog);
            result->ClickButton(1);
        });
        f.Type(QByteArray("\x1b"));
        QCOMPARE(f.platform.modalRuns, QStringList{u"CResultDlg"_s});
        QCOMPARE(f.platform.unfinishedDialogs, 0);
        QCOMPARE(CurrentPracticeKind, int(PracticeKind::None));

        const QList<QStringList> rows = database.Rows(u"score"_s);
        QCOMPARE(rows.size(), 1);
        const QStringList& row = rows[0];
        QCOMPARE(row[0], u"张小明"_s);
        QCOMPARE(row[1], u"2024001"_s);
        QCOMPARE(row[3], u"英文测试"_s);
        QCOMPARE(row[4], QString());
        QCOMPARE(row[5], u"1"_s);
        QCOMPARE(row[6], QString());
        QCOMPARE(row[7], QString());
        QCOMPARE(row[8], u"45"_s);
        QCOMPARE(row[9], u"88"_s);

        // The attempt in full, beside the score row.
        QByteArray screen = text.left(1288);
        screen.append(QByteArray(1288 - screen.size(), ' '));
        QStringList attempt{
            u"张小明|5|张小明|NONE|2024001|112|english.txt|%1|2024-09-02 10:00:00.000|"
            "2024-09-02 10:00:45.250|45250|90|80|1|1"_s.arg(QString::fromLatin1(
                QCryptographicHash::hash(screen, QCryptographicHash::Sha256).toHex()))};
        for (int i = 8; i < 90; i += 9)
            attempt.append(u"%1|%2|#"_s.arg(i).arg(QLatin1Char(text[i])));
        QCOMPARE(StoredAttempts(database.Admin()), attempt);
        // 80 correct in 45.25 s: 106.08 characters, 21.2 words a minute.
        QCOMPARE(LoadAttempts(*database.Admin(), 5).value(0).Speed(), 80 * 60000.0 / 45250 / 5);
        CDaoDatabase::SetTarget(QString());
    }

    // A screen typed to its last cell ends by itself, and says so.
    void fullScreenEndsWithItsReason()
    {
        CTestDatabase database;
        CDaoDatabase::SetTarget(database.Target());
        CPracticeFixture f;
        CurrentUser = CCurrentUser();
        CurrentUser.KindCode = UserKind::Ordinary;
        CurrentUser.RowKey = 9;
        database.SignInAsCurrentUser(f.doc.m_pDB);
        QByteArray text;
        for (int i = 0; i < 1288; ++i)
            text.append(char('a' + i % 26));
        f.WriteFile(u"english.txt"_s, text);
        f.view->OnPracticeEnglish();
        f.Type(QByteArray(" "));
        f.platform.DriveDialog(
            [](QDialog* dialog) { static_cast<CDialog*>(dialog)->ClickButton(1); });
        f.Type(text.left(1000));
        f.platform.Advance(60000);
        f.Type(text.mid(1000));
        QCOMPARE(f.platform.modalRuns, QStringList{u"CResultDlg"_s});
        QVERIFY(f.platform.boxes.isEmpty());
        const QStringList attempts = StoredAttempts(database.Admin());
        QCOMPARE(attempts.size(), 1); // no mistyped cell
        QVERIFY2(attempts[0].endsWith(u"|60000|1288|1288|0|2"_s), qPrintable(attempts[0]));
        CDaoDatabase::SetTarget(QString());
    }
};

QE_TEST_MAIN(TestPracticeResult)
#include "tst_practiceresult.moc"
