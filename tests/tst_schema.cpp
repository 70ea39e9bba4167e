#include "attempts/Metrics.h"
#include "attempts/PracticeKind.h"
#include "attempts/Progress.h"
#include "platform/ScriptedPlatform.h"
#include "tests/AttemptRows.h"
#include "tests/TestDatabase.h"
#include "tests/TestMain.h"
#include "texts/StarterLibrary.h"
#include "users/Database.h"
#include "users/DatabaseSetup.h"
#include "users/SchemaUpgrade.h"

#include <QFile>
#include <QHash>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>

#include <algorithm>
#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace {

using Rows = QList<QStringList>;

// Runs statements of our own with the owner's rights.
void Run(CTestDatabase& fixture, const QStringList& statements)
{
    for (const QString& statement : statements)
        fixture.Admin()->Execute(statement);
}

// The rows of an older database, its passwords in plain.
const QStringList OldRows = {
    u"INSERT INTO supperuser (name, password) VALUES ('老师', 'laoshi1')"_s,
    u"INSERT INTO \"user\" (name, class, student_no, password, kind) "
    "VALUES ('李华', '三年级二班', '20240117', 'hua2024', '普通用户')"_s,
    u"INSERT INTO score (name, student_no, score_type, english_speed, seconds, accuracy) "
    "VALUES ('李华', '20240117', '英文测试', 1, 45, 88)"_s,
    u"INSERT INTO score (name, student_no, score_type, chinese_speed, seconds, accuracy) "
    "VALUES ('李华', '20240117', '中文测试', 0, 60, 75)"_s,
    u"INSERT INTO loginhistory (name, class, student_no, kind, event) "
    "VALUES ('李华', '三年级二班', '20240117', '普通用户', '用户登录')"_s};

// A database as an older release made and filled it: of version 5 with the
// rows above, or of version 1: on SQLite the file that the first release's
// `qe --create-database` made, with the same rows; on PostgreSQL the
// version-1 schema.
std::unique_ptr<CTestDatabase> OlderDatabase(int version)
{
    if (version == 5) {
        auto fixture = std::make_unique<CTestDatabase>(5);
        Run(*fixture, OldRows);
        return fixture;
    }
    auto fixture = std::make_unique<CTestDatabase>(false);
    const QString data = QStringLiteral(QE_TEST_DATA_DIR);
    if (!fixture->IsPostgres()) {
        CDaoDatabase* db = fixture->Database();
        db->Close();
        QFile::remove(fixture->Target());
        if (!QFile::copy(data + u"/user-v1.mdb"_s, fixture->Target()) ||
            !QFile::setPermissions(fixture->Target(), QFile::ReadOwner | QFile::WriteOwner))
            throw CDaoException(u"cannot copy user-v1.mdb"_s);
        db->Open(fixture->Target());
        return fixture;
    }
    QFile schema(data + u"/schema-v1-postgresql.sql"_s);
    if (!schema.open(QIODevice::ReadOnly))
        throw CDaoException(u"cannot read schema-v1-postgresql.sql"_s);
    QString text = QString::fromUtf8(schema.readAll());
    text.remove(QRegularExpression(u"--[^\n]*"_s));
    QStringList statements = text.split(u';');
    statements.removeIf([](const QString& statement) { return statement.trimmed().isEmpty(); });
    Run(*fixture, statements + OldRows);
    return fixture;
}

QStringList Tables(CTestDatabase& fixture)
{
    return SelectRows(fixture.Admin(),
                      fixture.IsPostgres()
                          ? u"SELECT table_name FROM information_schema.tables "
                            "WHERE table_schema = current_schema() ORDER BY table_name"_s
                          : u"SELECT name FROM sqlite_master WHERE type = 'table' "
                            "AND name <> 'sqlite_sequence' ORDER BY name"_s);
}

QStringList Versions(CTestDatabase& fixture)
{
    return SelectRows(fixture.Admin(), u"SELECT version FROM schema_version ORDER BY version"_s);
}

// Everything the described tables hold, as the program reads it, with no
// password where it holds a hash.
Rows Described(CTestDatabase& fixture)
{
    Rows rows;
    for (const QString& table : {u"user"_s, u"supperuser"_s, u"score"_s, u"loginhistory"_s}) {
        for (const QStringList& row : fixture.AccountRows(table))
            rows.append(QStringList{table} + row);
    }
    return rows;
}

// The tables, the versions and the described rows, to find any change.
QStringList Everything(CTestDatabase& fixture)
{
    QStringList all = Tables(fixture) + Versions(fixture);
    for (const QStringList& row : Described(fixture))
        all.append(row.join(u'|'));
    return all;
}

// Opens the fixture's database as the program does at start.
std::unique_ptr<CDaoDatabase> OpenAsProgram(CTestDatabase& fixture)
{
    CDaoDatabase::SetTarget(fixture.Target());
    std::unique_ptr<CDaoDatabase> db(OpenUserDatabase({}));
    CDaoDatabase::SetTarget(QString());
    return db;
}

QStringList AllVersions()
{
    QStringList versions;
    for (int version = 1; version <= NewestSchemaVersion(); ++version)
        versions.append(QString::number(version));
    return versions;
}

} // namespace

class TestSchema : public QObject
{
    Q_OBJECT
private slots:
    // A new database's library holds the starter texts, graded ones of
    // every kind of school and the four practice files, each at least two
    // screenfuls, stored as the program lists them.
    void newDatabaseHoldsTheStarterLibrary()
    {
        std::unique_ptr<CTestDatabase> empty;
        QE_DAO(empty = std::make_unique<CTestDatabase>(false));
        const QString target = empty->IsPostgres() ? empty->Target() : u"starter.mdb"_s;
        QE_DAO(
            CreateDatabase(target, u"root"_s, u"Teacher-20"_s, {{StarterLibrary::Seed}, {}, {}}));
        CDaoDatabase db;
        QList<CPracticeText> stored;
        QList<CPracticeText> starter;
        QE_DAO(db.Open(target); stored = TextStore::LoadTexts(db);
               starter = StarterLibrary::Texts());
        QCOMPARE(stored.size(), starter.size());
        QHash<int, int> kinds;
        for (const CPracticeText& text : stored) {
            const auto same = std::find_if(starter.begin(), starter.end(), [&](const auto& s) {
                return s.strTitle == text.strTitle;
            });
            QVERIFY2(same != starter.end(), qPrintable(text.strTitle));
            QCOMPARE(text.nKind, same->nKind);
            QCOMPARE(text.strBody, same->strBody);
            QVERIFY2(text.Screens() >= 2, qPrintable(text.strTitle));
            ++kinds[text.nKind];
        }
        QVERIFY(kinds[PracticeKind::Chinese] >= 13 && kinds[PracticeKind::English] >= 9);
        QCOMPARE(kinds[PracticeKind::Number], 1);
        QCOMPARE(kinds[PracticeKind::Symbol], 1);
        QStringList titles;
        for (const CPracticeText& text : stored)
            titles.append(text.strTitle);
        for (const QString& grade : {u"一年级·"_s, u"三年级·"_s, u"六年级·"_s, u"初中·"_s})
            QVERIFY2(titles.filter(grade).size() >= 1, qPrintable(grade));
        QVERIFY(titles.contains(u"练习·中文"_s) && titles.contains(u"练习·符号"_s));
        // A database made for the tests (no first super user) starts empty.
        CTestDatabase fixture;
        QCOMPARE(CountRows(fixture.Admin(), u"practice_text"_s), 0);
    }

    // An older database keeps its rows; its plain passwords leave the
    // tables in the same transaction (hashed in a file, the accounts' own
    // roles on a server), and every account logs in with its old password.
    // A lab machine does not upgrade a server's database: it says so, names
    // the administrator's command, and changes nothing.
    void olderDatabaseIsUpgradedWithItsAccounts_data()
    {
        QTest::addColumn<int>("version");
        QTest::newRow("version 1, as the first release made it") << 1;
        QTest::newRow("version 5, passwords in plain") << 5;
    }
    void olderDatabaseIsUpgradedWithItsAccounts()
    {
        QFETCH(int, version);
        std::unique_ptr<CTestDatabase> fixture = OlderDatabase(version);
        QCOMPARE(Versions(*fixture).size(), version);
        Rows before = Described(*fixture);
        const QStringList untouched = Everything(*fixture);
        QCOMPARE(before.size(), 5);

        CScriptedPlatform platform;
        if (fixture->IsPostgres()) {
            QVERIFY(!OpenAsProgram(*fixture));
            QCOMPARE(platform.boxes.size(), 1);
            QVERIFY2(platform.boxes[0].text.contains(u"qe --database"_s) &&
                         platform.boxes[0].text.contains(u"--upgrade-database"_s),
                     qPrintable(platform.boxes[0].text));
            QCOMPARE(Everything(*fixture), untouched);
            platform.boxes.clear();
            QCOMPARE(RunUpgradeDatabaseCommand({u"qe"_s, u"--database"_s, fixture->AdminTarget(),
                                                u"--upgrade-database"_s},
                                               {}),
                     0);
        }
        std::unique_ptr<CDaoDatabase> db = OpenAsProgram(*fixture);
        QVERIFY2(platform.boxes.isEmpty(), qPrintable(platform.boxes.value(0).text));
        QVERIFY(db);
        QCOMPARE(Versions(*fixture), AllVersions());
        // Its library stays its own: no starter texts are added.
        QCOMPARE(CountRows(fixture->Admin(), u"practice_text"_s), 0);
        // The rows are kept; no password can be read in them, and each
        // account takes its own.
        for (QStringList& row : before) {
            if (row[0] == u"user"_s)
                row[4].clear();
            if (row[0] == u"supperuser"_s)
                row[2].clear();
        }
        QCOMPARE(Described(*fixture), before);
        QVERIFY(fixture->Accepts(1, u"hua2024"_s));
        QVERIFY(!fixture->Accepts(1, u"HUA2024"_s));
        QVERIFY(fixture->Accepts(1, u"laoshi1"_s, true));
        // The lookups by name have their indexes.
        const QStringList indexes = SelectRows(
            fixture->Admin(), fixture->IsPostgres()
                                  ? u"SELECT indexname FROM pg_indexes "
                                    "WHERE schemaname = current_schema()"_s
                                  : u"SELECT name FROM sqlite_master WHERE type = 'index'"_s);
        for (const QString& index :
             {u"user_by_name"_s, u"supperuser_by_name"_s, u"score_by_owner"_s})
            QVERIFY2(indexes.contains(index), qPrintable(indexes.join(u", "_s)));

        // The old score rows take attempts, and a deletion takes them along.
        CDaoDatabase* owner = fixture->Admin();
        CAttempt attempt;
        attempt.nUserKey = 1;
        attempt.startedAt = attempt.endedAt = QDateTime(QDate(2024, 9, 2), QTime(9, 0));
        attempt.mistakes = {{3, u"a"_s, u"s"_s}};
        StoreAttempt(*owner, 1, attempt);
        QCOMPARE(LoadAttempts(*owner, 1).size(), 1);
        CDaoRecordset rs(owner);
        QVERIFY(OpenScan(rs, Sql::ScanScores));
        DeleteRows(rs, [](CDaoRecordset& row) {
            return VariantToText(row.GetFieldValue(3)) == u"英文测试"_s;
        });
        QVERIFY(LoadAttempts(*owner, 1).isEmpty());
        QCOMPARE(CountRows(owner, u"attempt_mistake"_s), 0);

        // Opening it again finds nothing to do.
        db.reset();
        db = OpenAsProgram(*fixture);
        QVERIFY(db);
        QVERIFY(platform.boxes.isEmpty());
        QCOMPARE(Versions(*fixture), AllVersions());
    }

    // The program's figures and the database's agree for any counts: the
    // accuracy (the server's function, or the expression SQLite mends the
    // old scores with), a target met and a lesson's stars (the server's).
    void figuresAgreeWithTheDatabase()
    {
        CTestDatabase fixture;
        const bool bServer = fixture.IsPostgres();
        QRandomGenerator random(20261209);
        QStringList values;
        QList<int> accuracies;
        QList<int> stars;
        for (int i = 0; i < 2000; ++i) {
            const qint64 typed = i < 4 ? QList<qint64>{0, 100, 100, 1288}[i]
                                       : random.bounded(1, i % 2 ? 2000 : 2000000);
            const qint64 correct =
                i < 4 ? QList<qint64>{0, 57, 29, 1284}[i] : random.bounded(qint64(0), typed + 1);
            const int accuracy = random.bounded(40, 101);
            const double perMinute = random.bounded(0, 3000) / 10.0;
            const int targetAccuracy = random.bounded(50, 101);
            const int targetSpeed = random.bounded(5, 120);
            // One division each, so that the program and the server read the
            // same double from the same two decimals.
            const CStarLevel two{random.bounded(50, 101), random.bounded(100, 150) / 100.0};
            const CStarLevel three{random.bounded(50, 101), random.bounded(100, 200) / 100.0};
            accuracies.append(Metrics::Accuracy(correct, typed));
            stars.append(
                Metrics::LessonStars(accuracy, perMinute, targetAccuracy, targetSpeed, two, three));
            values.append(u"(%1, %2, %3, %4, %5, %6, %7, %8, %9, %10, %11)"_s.arg(i)
                              .arg(correct)
                              .arg(typed)
                              .arg(accuracy)
                              .arg(perMinute, 0, 'f', 1)
                              .arg(targetAccuracy)
                              .arg(targetSpeed)
                              .arg(two.nAccuracy)
                              .arg(two.dSpeedFactor, 0, 'f', 2)
                              .arg(three.nAccuracy)
                              .arg(three.dSpeedFactor, 0, 'f', 2));
        }
        const QString figures =
            bServer ? u"qe_accuracy(c, t) || '|' || qe_lesson_stars(a, m::double precision, ta, "
                      "ts, a2, f2::double precision, a3, f3::double precision)"_s
                    : u"CASE WHEN t = 0 THEN 0 ELSE c * 100 / t END"_s;
        const QStringList rows = SelectRows(
            fixture.Admin(), u"WITH v(i, c, t, a, m, ta, ts, a2, f2, a3, f3) AS (VALUES %2) "
                             "SELECT %1 FROM v ORDER BY i"_s.arg(figures, values.join(u", "_s)));
        QCOMPARE(rows.size(), accuracies.size());
        for (qsizetype i = 0; i < rows.size(); ++i) {
            const QString expected = bServer ? u"%1|%2"_s.arg(accuracies[i]).arg(stars[i])
                                             : QString::number(accuracies[i]);
            QVERIFY2(rows[i] == expected, qPrintable(u"row %1 (%2): the database says %3, the "
                                                     "program %4"_s.arg(i)
                                                         .arg(values[i], rows[i], expected)));
        }
        QCOMPARE(accuracies.mid(0, 4), (QList<int>{0, 57, 29, 99}));
    }

    // The tallies of the commits behind 回改, 键准, 选重 and 打词率 read
    // alike from the program's detail and from the stored rows: random
    // commits of one to sixteen characters (one beyond the Basic
    // Multilingual Plane among them), keys known or not, some deleted.
    void commitTalliesAgreeWithTheDatabase()
    {
        CTestDatabase fixture;
        CDaoDatabase& owner = *fixture.Admin();
        QRandomGenerator random(20261211);
        const QString characters = u"的一是了我不人在他有这个上们来到时大地为，。😀ab1"_s;
        QHash<QDateTime, CCommitTally> expected;
        const QDateTime at(QDate(2024, 9, 2), QTime(9, 0));
        for (int a = 0; a < 40; ++a) {
            CAttempt attempt = TimedAttempt(7, PracticeKind::Chinese, at.addSecs(60 * a), 600000);
            attempt.detail.commits.resize(random.bounded(1, 80));
            for (CCommitUnit& unit : attempt.detail.commits) {
                const int length = random.bounded(1, 17);
                for (int c = 0; c < length; ++c) {
                    const qsizetype at = random.bounded(characters.size());
                    // The emoji takes two places of the string: both or none.
                    unit.strCommitted +=
                        characters[at].isSurrogate()
                            ? characters.mid(characters[at].isLowSurrogate() ? at - 1 : at, 2)
                            : QString(characters[at]);
                }
                unit.strCommitted = unit.strCommitted.left(KeyDetail::MostCommitText);
                if (unit.strCommitted.back().isHighSurrogate())
                    unit.strCommitted.chop(1);
                unit.strExpected = unit.strCommitted;
                unit.nKeyCount = random.bounded(8) == 0 ? -1 : random.bounded(0, 40);
                unit.nPicked = random.bounded(3);
                const int chars = KeyDetail::Characters(unit.strCommitted);
                unit.nDeleted = random.bounded(3) == 0 ? random.bounded(chars + 1) : 0;
            }
            attempt.nTypedUnits = attempt.nCorrectUnits = 100;
            expected.insert(attempt.startedAt, CommitFigures::Tally(attempt.detail.commits));
            StoreWithScore(owner, attempt, u"李华"_s, u"7"_s);
        }
        int deleted = 0;
        const auto compare = [&] {
            const QList<CAttemptSummary> attempts = LoadAttempts(owner, 7);
            QCOMPARE(attempts.size(), 40);
            for (const CAttemptSummary& attempt : attempts) {
                const CCommitTally wanted = expected.value(attempt.startedAt);
                const auto text = [](const CCommitTally& t) {
                    return QList<int>{t.nCommits, t.nDeleted, t.nPicks, t.nWordChars,
                                      t.nDeletedKeys};
                };
                QCOMPARE(text(attempt.commits), text(wanted));
                deleted += wanted.nDeletedKeys;
            }
        };
        compare(); // as the program keeps them
        if (fixture.IsPostgres()) {
            // The server's own function, which a pupil's detail goes through.
            owner.Execute(u"UPDATE attempt SET commit_count = NULL, commit_deleted = NULL, "
                          "commit_deleted_keys = NULL, commit_picks = NULL, "
                          "commit_word_chars = NULL"_s);
            owner.Execute(u"SELECT qe_tally_commits(id) FROM attempt"_s);
            compare(); // as the server counts them
        }
        QVERIFY(deleted > 0); // the keys of deleted characters were counted somewhere
    }

    // The scores stored with the old floating-point quotient (57 of 100
    // kept as 56) take their attempts' figure at the upgrade.
    // Scores kept with the old floating-point accuracy read their
    // attempts' own figure, and lessons typed by codes count 字.
    void upgradeMendsStoredFigures()
    {
        CTestDatabase fixture(13);
        CDaoDatabase& owner = *fixture.Admin();
        for (const auto& [course, lesson] :
             {std::pair{"fingering", 3}, {"wubi", 2}, {"pinyin", 8}, {"pinyin", 2}})
            Run(fixture, {u"INSERT INTO lesson_attempt (user_key, user_name, class_name, "
                          "student_no, kind, course, lesson, started_at, ended_at, elapsed_ms, "
                          "keystrokes, correct_keys, errors, backspaces, stars, passed, checked) "
                          "VALUES (1, 'a', 'b', 'c', 116, '%1', %2, '2024-09-02 09:00:00', "
                          "'2024-09-02 09:01:00', 60000, 10, 10, 0, 0, 1, 1, 1)"_s
                              .arg(QLatin1StringView(course))
                              .arg(lesson)});
        const QDateTime at(QDate(2024, 9, 2), QTime(9, 0));
        StoreWithScore(owner, TimedAttempt(0, PracticeKind::English, at, 60000, 100, 57), u"李华"_s,
                       u"20240117"_s, 56);
        StoreWithScore(owner, TimedAttempt(0, PracticeKind::English, at.addSecs(90), 60000, 0, 0),
                       u"李华"_s, u"20240117"_s, 0);
        if (fixture.IsPostgres())
            QCOMPARE(
                RunUpgradeDatabaseCommand(
                    {u"qe"_s, u"--database"_s, fixture.AdminTarget(), u"--upgrade-database"_s}, {}),
                0);
        else
            QVERIFY(OpenAsProgram(fixture));
        QCOMPARE(SelectRows(&owner, u"SELECT accuracy FROM score ORDER BY qe_key"_s),
                 (QStringList{u"57"_s, u"0"_s}));
        QCOMPARE(SelectRows(&owner, u"SELECT unit FROM lesson_attempt ORDER BY id"_s),
                 (QStringList{u"键"_s, u"字"_s, u"字"_s, u"键"_s}));
    }

    void failedUpgradeLeavesItUntouched()
    {
        std::unique_ptr<CTestDatabase> fixture = OlderDatabase(1);
        // A table of someone else's in the way of the upgrade's second table.
        Run(*fixture, {u"CREATE TABLE attempt_mistake (note text)"_s,
                       u"INSERT INTO attempt_mistake (note) VALUES ('mine')"_s});
        const QStringList before = Everything(*fixture);
        CScriptedPlatform platform;
        QString message;
        if (fixture->IsPostgres()) {
            // The administrator's upgrade.
            try {
                UpgradeSchema(*fixture->Admin(), {}, UpgradeBy::Administrator);
            } catch (const CDaoException& e) {
                message = e.GetErrorMessage();
            }
        } else {
            QVERIFY(!OpenAsProgram(*fixture));
            QCOMPARE(platform.boxes.size(), 1);
            QCOMPARE(platform.boxes[0].caption, u"qe"_s);
            message = platform.boxes[0].text;
        }
        QVERIFY2(message.startsWith(u"数据库从版本 1 升级到版本 %1 时出错，升级已撤销"_s.arg(
                     NewestSchemaVersion())),
                 qPrintable(message));
        // The first table of the upgrade was made and taken back.
        QVERIFY(!before.contains(u"attempt"_s));
        QCOMPARE(Everything(*fixture), before);
        QCOMPARE(SelectRows(fixture->Admin(), u"SELECT note FROM attempt_mistake"_s),
                 QStringList{u"mine"_s});
    }

    void unknownVersionIsRefusedUntouched_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("message");
        QTest::newRow("newer than the program")
            << u"INSERT INTO schema_version (version) VALUES (99)"_s
            << u"数据库的版本是 99，而本程序只认识到版本 %1"_s.arg(NewestSchemaVersion());
        QTest::newRow("no version row")
            << u"DELETE FROM schema_version"_s << u"数据库中没有可读的版本记录"_s;
        QTest::newRow("no version table")
            << u"DROP TABLE schema_version"_s << u"数据库中没有可读的版本记录"_s;
    }
    void unknownVersionIsRefusedUntouched()
    {
        QFETCH(QString, change);
        QFETCH(QString, message);
        CTestDatabase fixture;
        fixture.Insert(u"user"_s, {u"amy"_s});
        Run(fixture, {change});
        const QStringList before = Everything(fixture);
        CScriptedPlatform platform;
        QVERIFY(!OpenAsProgram(fixture));
        QCOMPARE(platform.boxes.size(), 1);
        QVERIFY2(platform.boxes[0].text.startsWith(message), qPrintable(platform.boxes[0].text));
        QVERIFY(platform.boxes[0].text.contains(u"数据库未作任何改动"_s));
        QCOMPARE(Everything(fixture), before);
    }
};

QE_TEST_MAIN(TestSchema)
#include "tst_schema.moc"
