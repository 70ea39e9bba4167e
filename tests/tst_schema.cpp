#include "attempts/Progress.h"
#include "platform/ScriptedPlatform.h"
#include "tests/AttemptRows.h"
#include "tests/TestDatabase.h"
#include "tests/TestMain.h"
#include "users/Database.h"
#include "users/SchemaUpgrade.h"

#include <QFile>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>

#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace {

using Rows = QList<QStringList>;

// Runs statements of our own on the fixture's connection.
void Run(CTestDatabase& fixture, const QStringList& statements)
{
    for (const QString& statement : statements)
        fixture.Database()->Execute(statement);
}

// A database as today's release makes and fills it: on SQLite the file
// that `qe --create-database` made, with a pupil, two scores and a login;
// on PostgreSQL the version-1 schema with the same rows.
std::unique_ptr<CTestDatabase> Version1Database()
{
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
    Run(*fixture, statements);
    Run(*fixture,
        {u"INSERT INTO supperuser (name, password) VALUES ('老师', 'laoshi1')"_s,
         u"INSERT INTO \"user\" (name, class, student_no, password, kind) "
         "VALUES ('李华', '三年级二班', '20240117', 'hua2024', '普通用户')"_s,
         u"INSERT INTO score (name, student_no, score_type, english_speed, seconds, accuracy) "
         "VALUES ('李华', '20240117', '英文测试', 1, 45, 88)"_s,
         u"INSERT INTO score (name, student_no, score_type, chinese_speed, seconds, accuracy) "
         "VALUES ('李华', '20240117', '中文测试', 0, 60, 75)"_s,
         u"INSERT INTO loginhistory (name, class, student_no, kind, event) "
         "VALUES ('李华', '三年级二班', '20240117', '普通用户', '用户登录')"_s});
    return fixture;
}

QStringList Column(CDaoDatabase* db, const QString& sql)
{
    QSqlQuery query(db->Connection());
    QStringList values;
    if (!query.exec(sql))
        return {u"<%1>"_s.arg(query.lastError().text())};
    while (query.next())
        values.append(query.value(0).toString());
    return values;
}

QStringList Tables(CTestDatabase& fixture)
{
    return Column(fixture.Database(),
                  fixture.IsPostgres()
                      ? u"SELECT table_name FROM information_schema.tables "
                        "WHERE table_schema = current_schema() ORDER BY table_name"_s
                      : u"SELECT name FROM sqlite_master WHERE type = 'table' "
                        "AND name <> 'sqlite_sequence' ORDER BY name"_s);
}

QStringList Versions(CTestDatabase& fixture)
{
    return Column(fixture.Database(), u"SELECT version FROM schema_version ORDER BY version"_s);
}

// Everything the described tables hold, as the program reads it.
Rows Described(CTestDatabase& fixture)
{
    Rows rows;
    for (const QString& table : {u"user"_s, u"supperuser"_s, u"score"_s, u"loginhistory"_s}) {
        for (const QStringList& row : fixture.Rows(table))
            rows.append(QStringList{table} + row);
    }
    return rows;
}

// Opens the fixture's database as the program does at start.
std::unique_ptr<CDaoDatabase> OpenAsProgram(CTestDatabase& fixture)
{
    CDaoDatabase::SetTarget(fixture.Target());
    std::unique_ptr<CDaoDatabase> db(OpenUserDatabase());
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
    void version1IsUpgradedAndKeepsItsRows()
    {
        std::unique_ptr<CTestDatabase> fixture = Version1Database();
        QCOMPARE(Versions(*fixture), QStringList{u"1"_s});
        const Rows before = Described(*fixture);
        QCOMPARE(before.size(), 5);

        CScriptedPlatform platform;
        std::unique_ptr<CDaoDatabase> db = OpenAsProgram(*fixture);
        QVERIFY2(platform.boxes.isEmpty(), qPrintable(platform.boxes.value(0).text));
        QVERIFY(db);
        QCOMPARE(Versions(*fixture), AllVersions());
        QCOMPARE(Described(*fixture), before);
        // The lookups by name have their indexes.
        const QStringList indexes =
            Column(db.get(), fixture->IsPostgres()
                                 ? u"SELECT indexname FROM pg_indexes "
                                   "WHERE schemaname = current_schema()"_s
                                 : u"SELECT name FROM sqlite_master WHERE type = 'index'"_s);
        for (const QString& index :
             {u"user_by_name"_s, u"supperuser_by_name"_s, u"score_by_owner"_s})
            QVERIFY2(indexes.contains(index), qPrintable(indexes.join(u", "_s)));

        // The old score rows take attempts, and a deletion takes them along.
        CAttempt attempt;
        attempt.nUserKey = 1;
        attempt.startedAt = attempt.endedAt = QDateTime(QDate(2024, 9, 2), QTime(9, 0));
        attempt.mistakes = {{3, u"a"_s, u"s"_s}};
        StoreAttempt(*db, 1, attempt);
        QCOMPARE(LoadAttempts(*db, 1).size(), 1);
        CDaoRecordset rs(db.get());
        QVERIFY(OpenScan(rs, Sql::ScanScores));
        DeleteRows(rs, [](CDaoRecordset& row) {
            return VariantToText(row.GetFieldValue(3)) == u"英文测试"_s;
        });
        QVERIFY(LoadAttempts(*db, 1).isEmpty());
        QCOMPARE(CountRows(db.get(), u"attempt_mistake"_s), 0);

        // Opening it again finds nothing to do.
        db.reset();
        db = OpenAsProgram(*fixture);
        QVERIFY(db);
        QVERIFY(platform.boxes.isEmpty());
        QCOMPARE(Versions(*fixture), AllVersions());
    }

    void failedUpgradeLeavesItUntouched()
    {
        std::unique_ptr<CTestDatabase> fixture = Version1Database();
        // A table of someone else's in the way of the upgrade's second table.
        Run(*fixture, {u"CREATE TABLE attempt_mistake (note text)"_s,
                       u"INSERT INTO attempt_mistake (note) VALUES ('mine')"_s});
        const Rows before = Described(*fixture);
        const QStringList tables = Tables(*fixture);

        CScriptedPlatform platform;
        QVERIFY(!OpenAsProgram(*fixture));
        QCOMPARE(platform.boxes.size(), 1);
        QVERIFY2(
            platform.boxes[0].text.startsWith(
                u"数据库从版本 1 升级到版本 %1 时出错，升级已撤销"_s.arg(NewestSchemaVersion())),
            qPrintable(platform.boxes[0].text));
        QCOMPARE(platform.boxes[0].caption, u"qe"_s);
        // The first table of the upgrade was made and taken back.
        QCOMPARE(Tables(*fixture), tables);
        QVERIFY(!tables.contains(u"attempt"_s));
        QCOMPARE(Versions(*fixture), QStringList{u"1"_s});
        QCOMPARE(Described(*fixture), before);
        QCOMPARE(Column(fixture->Database(), u"SELECT note FROM attempt_mistake"_s),
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
        const Rows before = Described(fixture);
        const QStringList tables = Tables(fixture);
        const QStringList versions = Versions(fixture);

        CScriptedPlatform platform;
        QVERIFY(!OpenAsProgram(fixture));
        QCOMPARE(platform.boxes.size(), 1);
        QVERIFY2(platform.boxes[0].text.startsWith(message), qPrintable(platform.boxes[0].text));
        QVERIFY(platform.boxes[0].text.contains(u"数据库未作任何改动"_s));
        QCOMPARE(Tables(fixture), tables);
        QCOMPARE(Versions(fixture), versions);
        QCOMPARE(Described(fixture), before);
    }
};

QE_TEST_MAIN(TestSchema)
#include "tst_schema.moc"
