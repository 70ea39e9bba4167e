#include "platform/Dao.h"
#include "platform/Dialog.h"
#include "tests/PracticeFixture.h"
#include "tests/TestDatabase.h"
#include "tests/TestMain.h"
#include "users/CurrentUser.h"
#include "users/Database.h"

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

        QByteArray text;
        for (int i = 0; text.size() < 200; ++i)
            text += QByteArray("typing ").append(char('a' + i % 26));
        f.WriteFile(u"english.txt"_s, text);
        f.view->OnPracticeEnglish();
        f.platform.SetTime(QTime(10, 0, 0));
        f.Type(QByteArray(" "));
        // 90 keys, every ninth one wrong: 80 correct
        QByteArray keys = text.left(90);
        for (int i = 8; i < 90; i += 9)
            keys[i] = '#';
        f.Type(keys);
        QCOMPARE(TypedCount, 90);
        QCOMPARE(CorrectCount, 80);
        f.platform.SetTime(QTime(10, 0, 45));
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
        CDaoDatabase::SetTarget(QString());
    }
};

QE_TEST_MAIN(TestPracticeResult)
#include "tst_practiceresult.moc"
