#include "attempts/AttemptStore.h"
#include "attempts/Metrics.h"
#include "attempts/Progress.h"
#include "platform/ScriptedPlatform.h"
#include "practice/PracticeState.h"
#include "practice/ResultDlg.h"
#include "tests/AttemptRows.h"
#include "tests/DialogDriver.h"
#include "tests/PracticeFixture.h"
#include "tests/ReadLock.h"
#include "tests/TestCluster.h"
#include "tests/TestDatabase.h"
#include "tests/TestMain.h"
#include "users/CurrentUser.h"
#include "users/Database.h"
#include "users/DatabaseSetup.h"
#include "users/Session.h"

#include <QCryptographicHash>
#include <QPushButton>

#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace {
const QString NotOrdinaryMessage = u"超级用户无需保存成绩记录,或普通用户无权保存记录!"_s;

// 李明 logged in as the kind given: an ordinary user to his own row, a super
// user to the row of that name; the program's session follows, as after the
// login.
void SetUser(int kindCode, CTestDatabase* db = nullptr)
{
    // An ordinary user with a database owns the sample attempt's user row.
    CurrentUser = {.Name = u"李明"_s,
                   .Class = u"计算机一班"_s,
                   .StudentNo = u"2003001"_s,
                   .KindText = kindCode == UserKind::Super ? u"超级用户"_s : u"普通用户"_s,
                   .KindCode = kindCode,
                   .RowKey = db && kindCode == UserKind::Ordinary ? 42 : 0};
    if (db)
        db->SignInAsCurrentUser();
}

void SetPractice(int kind, int correct, int typed, int seconds)
{
    CurrentPracticeKind = kind;
    CorrectCount = correct;
    TypedCount = typed;
    ElapsedSeconds = seconds;
}

// 李明 logged in as the kind given with user key, the fixture's document
// signed in as him.
void SignIn(CTestDatabase& database, CPracticeFixture& f, int kindCode, qint64 key)
{
    SetUser(kindCode);
    CurrentUser.RowKey = key;
    database.SignInAsCurrentUser(f.doc.m_pDB);
}

const QByteArray TextBody = QByteArray("typing practice ").repeated(10);

// A text of English on the large screen, waiting for the space bar.
void LoadText(CPracticeFixture& f)
{
    f.view->LoadScreen({.text = TextBody, .strTitle = u"打字"_s});
}

// The text with keys typed after the space bar over 40 s.
void TypeText(CPracticeFixture& f, const QByteArray& keys)
{
    LoadText(f);
    f.Type(" " + keys);
    f.platform.Advance(40000);
    f.clock.Tick(Platform().CurrentTime());
}

// What the live dialog showed, captured before it is closed, and how it
// ended.
struct Shown
{
    QString userRow; // every column's text, joined by "|"
    QString scoreRow;
    bool stillOpenAfterOk = false;
    int result = 0;
};

QString RowTexts(CListCtrl* list)
{
    QStringList texts;
    if (list->GetItemCount() != 1)
        return u"<%1 rows>"_s.arg(list->GetItemCount());
    for (int column = 0; column < list->GetColumnCount(); ++column)
        texts << list->GetItemText(0, column);
    return texts.join(u'|');
}

// The practice as the view hands it to the dialog, with a mistyped cell.
const CAttempt& SampleAttempt()
{
    static const QDateTime at(QDate(2024, 9, 2), QTime(10, 0));
    static const CAttempt attempt{.nUserKey = 42,
                                  .nKind = PracticeKind::English,
                                  .startedAt = at,
                                  .endedAt = at,
                                  .mistakes = {{8, u"g"_s, u"#"_s}}};
    return attempt;
}

// Runs the result dialog, records what it shows and presses button (1 or 2);
// a dialog still open after OK is then cancelled.
Shown RunResultDialog(CScriptedPlatform& platform, int button)
{
    Shown shown;
    Drive(platform, [button, &shown](CDialog* dlg) {
        shown.userRow = RowTexts(dlg->Item<CListCtrl>(1003));
        shown.scoreRow = RowTexts(dlg->Item<CListCtrl>(1004));
        shown.stillOpenAfterOk = Press(dlg, button);
    });
    CResultDlg dlg;
    dlg.m_pAttempt = &SampleAttempt();
    shown.result = dlg.DoModal();
    return shown;
}
} // namespace

class TestResult : public CDatabaseSuite
{
    Q_OBJECT
private slots:
    // Another program's lock is waited for a fifth of a second only.
    void initTestCase() { CDaoDatabase::SetBusyTimeout(200); }

    void init()
    {
        CDatabaseSuite::init();
        SetUser(UserKind::Ordinary, m_pDatabase.get());
    }

    // The described figures in the column of the practice's kind, the
    // accuracy in integers (a floating-point quotient truncated gave 56 for
    // 57 of 100); negative counts are clamped to 0 in place.
    void scoreRowShown_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("correct");
        QTest::addColumn<int>("typed");
        QTest::addColumn<int>("seconds");
        QTest::addColumn<QString>("row");
        const auto english = [](const char* name, int correct, int typed, int seconds,
                                const char* speed, const char* accuracy) {
            QTest::newRow(name) << int(PracticeKind::English) << correct << typed << seconds
                                << u"  |英文测试||%1|||%2|%3"_s.arg(QLatin1StringView(speed))
                                       .arg(qMax(seconds, 0))
                                       .arg(QLatin1StringView(accuracy));
        };
        english("57 of 100 is 57, not 56", 57, 100, 60, "0", "57%");
        english("29 of 100 is 29, not 28", 29, 100, 10, "2", "29%");
        english("2 of 3 truncates to 66", 2, 3, 1, "2", "66%");
        english("70 of 100 stays 70", 70, 100, 60, "1", "70%");
        english("150 in 60 s is speed 2", 150, 150, 60, "2", "100%");
        english("59 in 60 s is speed 0", 59, 100, 60, "0", "59%");
        english("no clock tick gives speed 0", 5, 10, 0, "0", "50%");
        english("nothing typed gives 0%", 0, 0, 30, "0", "0%");
        english("negative counts read as 0", -4, -9, -2, "0", "0%");
        // 60 of 80 in 20 s in the other kinds' columns.
        const auto other = [](const char* name, int kind, const QString& row) {
            QTest::newRow(name) << kind << 60 << 80 << 20 << row;
        };
        other("chinese", PracticeKind::Chinese, u"  |中文测试|3||||20|75%"_s);
        other("number", PracticeKind::Number, u"  |数字测试|||3||20|75%"_s);
        other("symbol", PracticeKind::Symbol, u"  |符号测试||||3|20|75%"_s);
        other("no practice shows only the date cell", PracticeKind::None, u"  |||||||"_s);
    }
    void scoreRowShown()
    {
        QFETCH(int, kind);
        QFETCH(int, correct);
        QFETCH(int, typed);
        QFETCH(int, seconds);
        QFETCH(QString, row);
        SetPractice(kind, correct, typed, seconds);
        CScriptedPlatform platform;
        const Shown shown = RunResultDialog(platform, 2);
        QCOMPARE(shown.scoreRow, row); // of 8 columns
        QCOMPARE(shown.userRow, u"李明|计算机一班|2003001|普通用户|"_s);
        QCOMPARE((QList<int>{CorrectCount, TypedCount, ElapsedSeconds}),
                 (QList<int>{qMax(correct, 0), qMax(typed, 0), qMax(seconds, 0)}));
    }

    // Only an ordinary user's OK stores; anybody else is told so, and Cancel
    // stores nothing for anybody. A failed store (no database, the score
    // table gone, or the attempt's failing, which takes the score row back
    // too) is shown with its reason and the dialog stays open.
    void storesNothing_data()
    {
        QTest::addColumn<int>("kindCode");
        QTest::addColumn<int>("button");
        QTest::addColumn<QString>("dropped"); // a table; "-": no database at all
        QTest::addColumn<QString>("message"); // of the box; "a…b": starts with a, holds b
        const auto row = [](const char* name, int kind, int button, const QString& dropped,
                            const QString& message) {
            QTest::newRow(name) << kind << button << dropped << message;
        };
        const int ordinary = UserKind::Ordinary, super = UserKind::Super;
        row("super user", super, 1, {}, NotOrdinaryMessage);
        row("anonymous user", UserKind::Anonymous, 1, {}, NotOrdinaryMessage);
        row("no kind chosen", UserKind::NoneChosen, 1, {}, NotOrdinaryMessage);
        row("super user cancels", super, 2, {}, {});
        row("anonymous user cancels", UserKind::Anonymous, 2, {}, {});
        row("ordinary user cancels", ordinary, 2, {}, {});
        row("no database", ordinary, 1, u"-"_s, u"数据库未正确连接!无法保存结果!"_s);
        row("score table gone", ordinary, 1, u"score"_s, u"错误信息:…score"_s);
        row("attempt fails, the score row goes back", ordinary, 1, u"attempt_mistake"_s,
            u"错误信息:…attempt_mistake"_s);
    }
    void storesNothing()
    {
        QFETCH(int, kindCode);
        QFETCH(int, button);
        QFETCH(QString, dropped);
        QFETCH(QString, message);
        SetUser(kindCode, m_pDatabase.get());
        if (dropped == "-"_L1)
            NoDatabase();
        else if (!dropped.isEmpty())
            m_pDatabase->DropTable(dropped);
        SetPractice(PracticeKind::English, 80, 90, 45);
        CScriptedPlatform platform;
        const Shown shown = RunResultDialog(platform, button);
        const bool bFailed = !dropped.isEmpty();
        QCOMPARE((QList<int>{shown.result, shown.stillOpenAfterOk, int(platform.boxes.size())}),
                 (QList<int>{button == 1 && !bFailed ? IDOK : IDCANCEL, bFailed,
                             message.isEmpty() ? 0 : 1}));
        if (!message.isEmpty()) {
            const CScriptedPlatform::Box& box = platform.boxes[0];
            QVERIFY2(message.contains(u'…') ? box.text.startsWith(message.section(u'…', 0, 0)) &&
                                                  box.text.contains(message.section(u'…', 1))
                                            : box.text == message,
                     qPrintable(box.text));
            QCOMPARE(box.flags, unsigned(MB_OK | MB_ICONEXCLAMATION));
            QVERIFY(bFailed || box.caption == u"提示"_s);
        }
        QCOMPARE((QList<int>{dropped == "score"_L1 ? 0 : int(m_pDatabase->Rows(u"score"_s).size()),
                             CountRows(m_pDatabase->Admin(), u"attempt"_s),
                             m_pDatabase->Database()->InTransaction()}),
                 (QList<int>{0, 0, false}));
    }

    // Another program reads the database for longer than the busy timeout:
    // the row does not commit. That is reported, nothing is half-written,
    // the dialog stays open, and OK once the reader is done stores it once.
    void storeBlockedByAReaderIsReportedAndRetried()
    {
        if (m_pDatabase->IsPostgres())
            QSKIP("a reader holds back a commit on SQLite only");
        SetPractice(PracticeKind::English, 80, 90, 45);
        CScriptedPlatform platform;
        CReadLock reader(m_pDatabase->Target());
        bool bHeld = false, bOpenWhileBlocked = false, bOpenAfterRetry = true;
        qsizetype nRowsWhileBlocked = -1;
        Drive(platform, [&](CDialog* dlg) {
            bHeld = reader.Hold();
            bOpenWhileBlocked = Press(dlg, 1);
            reader.Release();
            nRowsWhileBlocked = m_pDatabase->Rows(u"score"_s).size();
            bOpenAfterRetry = Press(dlg, 1);
        });
        CResultDlg dlg;
        const int nResult = dlg.DoModal();
        QCOMPARE((QList<int>{nResult, bHeld, bOpenWhileBlocked, int(nRowsWhileBlocked),
                             bOpenAfterRetry}),
                 (QList<int>{IDOK, true, true, 0, false}));
        CompareBoxes(platform,
                     {Box(u"错误信息:数据库正被另一个程序使用,请稍后再试!\ndatabase is locked"_s,
                          u"qe"_s, MB_OK | MB_ICONEXCLAMATION)});
        QCOMPARE(m_pDatabase->Rows(u"score"_s).size(), 1);
    }

    // The server goes away while the pupil looks at the result: OK reports
    // why, and OK after the server is back stores the row once.
    void serverAwayAtOkThenBackStoresOnce()
    {
        if (!m_pDatabase->IsPostgres())
            QSKIP("a server of its own for the PostgreSQL run");
        CTestCluster cluster;
        QVERIFY2(cluster.IsRunning(), qPrintable(cluster.Log()));
        CDaoDatabase db;
        db.Open(cluster.Target());
        CreateSchema(&db, {});
        CSession::Instance().SetDatabaseSource([&db] { return &db; });
        SetPractice(PracticeKind::English, 80, 90, 45);
        CScriptedPlatform platform;
        bool bStopped = false, bStarted = false, bOpenWhileAway = false, bOpenAfterRetry = true;
        Drive(platform, [&](CDialog* dlg) {
            bStopped = cluster.Stop();
            bOpenWhileAway = Press(dlg, 1);
            bStarted = cluster.Start();
            bOpenAfterRetry = Press(dlg, 1);
        });
        CResultDlg dlg;
        const int nResult = dlg.DoModal();
        QVERIFY2(bStopped && bStarted, qPrintable(cluster.Log()));
        QCOMPARE((QList<int>{nResult, bOpenWhileAway, bOpenAfterRetry, int(platform.boxes.size())}),
                 (QList<int>{IDOK, true, false, 1}));
        QVERIFY2(platform.boxes[0].text.startsWith(u"错误信息:"_s) &&
                     !platform.boxes[0].text.contains(u"unknown database error"_s),
                 qPrintable(platform.boxes[0].text));
        CDaoRecordset rs(&db);
        QVERIFY(OpenScan(rs, Sql::ScanScores));
        QCOMPARE(ReadColumn(rs, 0), QStringList{u"李明"_s});
    }

    // The mistakes go in by one statement a batch: every one of them is
    // stored in its place, past the end of a batch too.
    void everyMistakeIsStored()
    {
        CAttempt attempt = SampleAttempt();
        attempt.mistakes.clear();
        QStringList expected;
        for (int i = 0; i < 70; ++i) {
            attempt.mistakes.append({i * 3, QString(QChar(u'a' + i % 26)), u"#"_s});
            expected.append(u"%1|%2|#"_s.arg(i * 3).arg(QChar(u'a' + i % 26)));
        }
        CDaoDatabase* admin = m_pDatabase->Admin();
        StoreScoreWithAttempt(*admin, {{9, CDaoFieldValue::FromInt16(0)}}, &attempt);
        QCOMPARE(SelectRows(admin, u"SELECT position, expected, typed FROM attempt_mistake "
                                   "ORDER BY position"_s),
                 expected);
    }

    // A whole practice, from the typed keys to the stored score row and its
    // attempt with the mistyped cells.
    void englishPracticeStoresItsScoreAndAFullScreenEndsByItself()
    {
        CPracticeFixture f;
        QVERIFY(f.doc.m_pDB);
        SignIn(*m_pDatabase, f, UserKind::Ordinary, 5);

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
        f.clock.Tick(Platform().CurrentTime());

        f.platform.AnswerBoxes({IDOK});
        f.platform.DriveDialog([](QDialog* dialog) { Press(static_cast<CDialog*>(dialog), 1); });
        f.Type(QByteArray("\x1b"));
        QCOMPARE(f.platform.modalRuns, QStringList{u"CResultDlg"_s});
        QCOMPARE(f.platform.unfinishedDialogs, 0);
        QCOMPARE(CurrentPracticeKind, int(PracticeKind::None));

        QList<QStringList> rows = m_pDatabase->Rows(u"score"_s);
        QCOMPARE(rows.size(), 1);
        rows[0][2].clear(); // the date the table fills in
        QCOMPARE(rows[0].join(u'|'), u"李明|2003001||英文测试||1|||45|88"_s);
        // The attempt in full, beside the score row.
        QByteArray screen = text.left(1288);
        screen.append(QByteArray(1288 - screen.size(), ' '));
        QStringList attempt{
            u"李明|5|李明|计算机一班|2003001|112|english.txt|%1|2024-09-02 10:00:00.000|"
            "2024-09-02 10:00:45.250|45250|90|80|1|1"_s.arg(QString::fromLatin1(
                QCryptographicHash::hash(screen, QCryptographicHash::Sha256).toHex()))};
        for (int i = 8; i < 90; i += 9)
            attempt.append(u"%1|%2|#"_s.arg(i).arg(QLatin1Char(text[i])));
        QStringList stored = StoredAttempts(m_pDatabase->Admin());
        if (m_pDatabase->IsPostgres()) {
            // A server times the practice by its own clock: it ended as it
            // was stored, the time typed before.
            QStringList fields = stored.value(0).split(u'|');
            const QDateTime started = ParseStoredDateTime(fields.value(8));
            const QDateTime ended = ParseStoredDateTime(fields.value(9));
            QCOMPARE(started.msecsTo(ended), 45250);
            QVERIFY(qAbs(ended.secsTo(QDateTime::currentDateTime())) < 120);
            fields[8] = u"2024-09-02 10:00:00.000"_s;
            fields[9] = u"2024-09-02 10:00:45.250"_s;
            stored[0] = fields.join(u'|');
        }
        QCOMPARE(stored, attempt);
        // 80 correct in 45.25 s: 106.08 characters, 21.2 words a minute.
        QCOMPARE(LoadAttempts(*m_pDatabase->Admin(), 5).value(0).Speed(), 80 * 60000.0 / 45250 / 5);

        // A screen typed to its last cell ends by itself, and says so: by
        // another pupil, whose practice overlaps none of his own.
        f.platform.boxes.clear();
        SignIn(*m_pDatabase, f, UserKind::Ordinary, 9);
        QByteArray full;
        for (int i = 0; i < 1288; ++i)
            full.append(char('a' + i % 26));
        f.WriteFile(u"english.txt"_s, full);
        f.view->OnPracticeEnglish();
        f.Type(QByteArray(" "));
        f.platform.DriveDialog([](QDialog* dialog) { Press(static_cast<CDialog*>(dialog), 1); });
        f.Type(full.left(1000));
        f.platform.Advance(120000);
        f.clock.Tick(Platform().CurrentTime());
        f.Type(full.mid(1000));
        QCOMPARE(f.platform.modalRuns, QStringList(2, u"CResultDlg"_s));
        QVERIFY(f.platform.boxes.isEmpty());
        stored = StoredAttempts(m_pDatabase->Admin());
        QCOMPARE(stored.size(), attempt.size() + 1); // no mistyped cell
        QVERIFY2(stored.last().endsWith(u"|120000|1288|1288|0|2"_s), qPrintable(stored.last()));
    }

    // A text's result is stored on its own screen with no dialog, for a
    // pupil only, and set beside the pupil's last and best.
    void textResultStoredOnItsOwnScreen_data()
    {
        QTest::addColumn<int>("kindCode");
        QTest::addColumn<int>("rows");
        QTest::addColumn<QString>("secondLine");
        QTest::newRow("a pupil")
            << int(UserKind::Ordinary) << 2
            << u"上一次:速度 40.0 WPM,正确率 100%    最好:速度 40.0 WPM,正确率 100%"_s;
        QTest::newRow("a super user") << int(UserKind::Super) << 1 << u"只保存登录的学生的成绩"_s;
    }
    void textResultStoredOnItsOwnScreen()
    {
        QFETCH(int, kindCode);
        QFETCH(int, rows);
        QFETCH(QString, secondLine);
        CPracticeFixture f;
        SignIn(*m_pDatabase, f, kindCode, kindCode == UserKind::Ordinary ? 5 : 0);
        // An earlier minute of English: 200 characters, all right.
        StoreWithScore(*m_pDatabase->Admin(),
                       TimedAttempt(5, PracticeKind::English,
                                    QDateTime(QDate(2024, 9, 1), QTime(9, 0)), 60000, 200, 200),
                       u"李明"_s, u"2003001"_s, 100);
        TypeText(f, TextBody.left(19) + "#");
        f.platform.AnswerBoxes({IDOK});
        f.Type(QByteArray("\x1b"));
        QVERIFY(f.platform.modalRuns.isEmpty());
        QCOMPARE(m_pDatabase->Rows(u"score"_s).size(), rows);
        QCOMPARE(f.view->Band().strSecondLine, secondLine);
    }

    // A text's result the database did not take waits for 保存成绩, which
    // stores it once the database is back, and only once.
    void textResultSavedAgainOnceTheDatabaseIsBack()
    {
        CPracticeFixture f;
        SignIn(*m_pDatabase, f, UserKind::Ordinary, 5);
        TypeText(f, TextBody.left(20));
        NoDatabase();
        f.platform.AnswerBoxes({IDOK});
        f.Type(QByteArray("\x1b"));
        QCOMPARE(f.view->Band().strSecondLine, u"数据库未正确连接!无法保存结果!"_s);
        QPushButton* save = f.view->ResultButton(u"保存成绩"_s);
        QVERIFY(save && !save->isHidden());
        CSession::Instance().SetDatabaseSource([db = f.doc.m_pDB] { return db; });
        save->click();
        SettleWorker();
        QVERIFY(save->isHidden());
        QCOMPARE(m_pDatabase->Rows(u"score"_s).size(), 1);
        QCOMPARE(StoredAttempts(m_pDatabase->Admin()).size(), 1);
        QCOMPARE(f.view->Band().strSecondLine, u"这是你第一次做英文练习"_s);
    }

    // 100 cells with 43 wrong read 57 % on the result, in the score row the
    // program or the server stored, and in the pupil's attempts.
    // Then Esc on the start card goes back without a box; Space and Esc with
    // nothing typed store nothing; a result under 30 s says it will not count.
    void fortyThreeWrongIs57AndNothingTypedIsNeverStored()
    {
        CPracticeFixture f;
        SignIn(*m_pDatabase, f, UserKind::Ordinary, 5);
        TypeText(f, QByteArray(43, '#') + TextBody.mid(43, 57));
        f.platform.AnswerBoxes({IDOK});
        f.Type(QByteArray("\x1b"));
        QVERIFY(f.view->ShowsResult());
        QVERIFY2(f.view->Band().figures.contains(u"正确率 57%"_s),
                 qPrintable(f.view->Band().figures.join(u", "_s)));
        QCOMPARE(SelectRows(m_pDatabase->Admin(), u"SELECT accuracy FROM score"_s),
                 QStringList{u"57"_s});
        const QList<CAttemptSummary> attempts = LoadAttempts(*m_pDatabase->Admin(), 5);
        QCOMPARE(attempts.size(), 1);
        QCOMPARE(Metrics::AccuracyText(attempts[0].nCorrectUnits, attempts[0].nTypedUnits),
                 u"57%"_s);
        // Read for one kind only, as the large screen reads the last and the best.
        QCOMPARE(LoadAttempts(*m_pDatabase->Admin(), 5, attempts[0].nKind).size(), 1);
        QVERIFY(LoadAttempts(*m_pDatabase->Admin(), 5, attempts[0].nKind + 1).isEmpty());

        f.platform.boxes.clear();
        LoadText(f);
        f.clock.Tick(Platform().CurrentTime());
        QVERIFY(f.PaneText(0).contains(u"按空格键开始计时"_s));
        f.Type(QByteArray("\x1b"));
        QVERIFY(f.platform.boxes.isEmpty() && !f.view->IsLarge());
        f.clock.Tick(Platform().CurrentTime());
        QCOMPARE(f.PaneText(0), u" "_s); // no ready prompt left blinking

        LoadText(f);
        f.Type(QByteArray(" "));
        f.platform.AnswerBoxes({IDOK});
        f.Type(QByteArray("\x1b"));
        QVERIFY(f.view->ShowsResult());
        QVERIFY2(f.view->Band().figures.contains(u"正确率 —"_s),
                 qPrintable(f.view->Band().figures.join(u", "_s)));
        QCOMPARE(f.view->Band().strSecondLine, u"没有打字,成绩不保存"_s);
        QCOMPARE(CountRows(m_pDatabase->Admin(), u"score"_s), 1); // the 57 % one

        LoadText(f);
        f.Type(QByteArray(" ") + TextBody.left(5));
        f.platform.Advance(2000);
        f.platform.AnswerBoxes({IDOK});
        f.Type(QByteArray("\x1b"));
        QVERIFY2(f.view->Band().strSecondLine.startsWith(u"不足30秒,不计入"_s),
                 qPrintable(f.view->Band().strSecondLine));
    }
};

QE_TEST_MAIN(TestResult)
#include "tst_result.moc"
