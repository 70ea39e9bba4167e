#include "attempts/AttemptStore.h"
#include "attempts/ExamSitting.h"
#include "exams/ExamStore.h"
#include "platform/CheckedQuery.h"
#include "tests/TestDatabase.h"
#include "tests/TestMain.h"
#include "texts/TextStore.h"
#include "users/Accounts.h"
#include "users/PasswordHash.h"
#include "users/SchemaUpgrade.h"
#include "users/ServerAccounts.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUrl>

#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace {

// What an attack may get.
enum Expect : int {
    Refused, // an error: permission denied, or no such thing
    Nothing, // it runs, but reads or changes no row
};

// A lab's database as a pupil finds it: the lab machines' address in the
// environment, a pupil's own name and password, the schema's source.
struct CLab
{
    std::unique_ptr<CTestDatabase> fixture;
    QString strLabAddress;
    QString strPrefix;
    qint64 nPupil = 0; // 李华, password "pw"
    qint64 nOther = 0; // 王明
    qint64 nExam = 0;
    QString strOtherSitting;
};

void Exec(CDaoDatabase& db, const QString& sql, const QVariantList& values = {})
{
    QSqlQuery query(db.Connection());
    CheckedQuery::Prepare(query, sql);
    for (const QVariant& value : values)
        query.addBindValue(value);
    CheckedQuery::Exec(query);
}

// The rows every attack is tried against: two pupils with scores,
// attempts and mistakes, a login, a text, an exam that 王明 sat.
void Fill(CLab& lab)
{
    CDaoDatabase& owner = *lab.fixture->Admin();
    for (const auto& [key, name, number] : {std::tuple{lab.nPupil, u"李华"_s, u"001"_s},
                                            std::tuple{lab.nOther, u"王明"_s, u"002"_s}}) {
        CAttempt attempt;
        attempt.nUserKey = key;
        attempt.nKind = 112;
        attempt.startedAt = attempt.endedAt = QDateTime(QDate(2024, 9, 2), QTime(9, 0));
        attempt.nElapsedMs = 60000;
        attempt.nTypedUnits = 50;
        attempt.nCorrectUnits = 40;
        attempt.mistakes = {{3, u"a"_s, u"s"_s}};
        QVERIFY(AppendScoreWithAttempt(&owner,
                                       {{0, CDaoFieldValue::FromText(name)},
                                        {1, CDaoFieldValue::FromText(number)},
                                        {3, CDaoFieldValue::FromText(u"英文测试"_s)},
                                        {5, CDaoFieldValue::FromText(u"1"_s)}},
                                       &attempt));
    }
    Exec(owner, u"INSERT INTO loginhistory (name, kind, event) VALUES ('老师', '超级用户', "
                "'用户登录')"_s);
    CPracticeText text;
    text.strTitle = u"字母"_s;
    text.nKind = 112;
    text.strBody = u"abcdefghij"_s;
    CExam exam;
    exam.strTitle = u"期中"_s;
    exam.nTextId = TextStore::SaveText(owner, text);
    exam.nMinutes = 1;
    exam.bOpen = true;
    exam.classes = {u"一班"_s};
    lab.nExam = ExamStore::SaveExam(owner, exam);
    lab.strOtherSitting = u"sitting-of-wang"_s;
    Exec(owner,
         u"INSERT INTO exam_sitting (uid, exam_id, user_key, started_at, finished, kind, "
         "elapsed_ms, speed_ms, typed_units, correct_units, end_reason, focus_losses) "
         "VALUES (?, ?, ?, '2024-09-02 09:00:00.000', 1, 112, 60000, 60000, 10, 9, 3, 0)"_s,
         {lab.strOtherSitting, lab.nExam, lab.nOther});
}

// The lab as the program makes it today, or one of version 5, its passwords
// in plain, converted by the administrator's upgrade.
std::unique_ptr<CLab> NewLab(bool bConverted)
{
    auto lab = std::make_unique<CLab>();
    lab->fixture = std::make_unique<CTestDatabase>(bConverted ? 5 : -1);
    CTestDatabase& db = *lab->fixture;
    if (!bConverted) {
        lab->strLabAddress = db.Target();
        lab->nPupil =
            db.Insert(u"user"_s, {u"李华"_s, u"一班"_s, u"001"_s, u"pw"_s, u"普通用户"_s});
        lab->nOther =
            db.Insert(u"user"_s, {u"王明"_s, u"一班"_s, u"002"_s, u"wm"_s, u"普通用户"_s});
        db.Insert(u"supperuser"_s, {u"老师"_s, u"ls"_s});
        return lab;
    }
    for (const QString& sql : {u"INSERT INTO \"user\" (name, class, student_no, password, kind) "
                               "VALUES ('李华', '一班', '001', 'pw', '普通用户')"_s,
                               u"INSERT INTO \"user\" (name, class, student_no, password, kind) "
                               "VALUES ('王明', '一班', '002', 'wm', '普通用户')"_s,
                               u"INSERT INTO supperuser (name, password) VALUES ('老师', 'ls')"_s})
        db.Admin()->Execute(sql);
    lab->nPupil = 1;
    lab->nOther = 2;
    lab->strLabAddress = UpgradeSchema(*db.Admin(), UpgradeBy::Administrator);
    return lab;
}

} // namespace

// What a pupil at a lab machine can do with psql: nothing the program does
// not do for them. Every attack runs as the lab machines' role (what the
// environment holds) and as a pupil's own account, against a new database
// and against one of version 5 converted by the administrator's upgrade.
class TestTrust : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        if (qEnvironmentVariable("QE_TEST_ENGINE") != "postgresql"_L1)
            return;
        m_labs[0] = NewLab(false);
        m_labs[1] = NewLab(true);
        for (auto& lab : m_labs) {
            QVERIFY(!lab->strLabAddress.isEmpty());
            lab->strPrefix = ServerAccounts::RolePrefix(*lab->fixture->Admin());
            Fill(*lab);
        }
    }
    void cleanupTestCase()
    {
        for (auto& lab : m_labs)
            lab.reset();
    }

    // One attack a line: "p" a pupil or "l" the lab role, "R" refused or "N"
    // nothing, the fault tried, the statement (%u pupil's key, %o other's, %p
    // prefix, %s other's sitting, %e exam); a line opening with spaces goes on.
    void attack_data()
    {
        QTest::addColumn<int>("lab"); // 0 new, 1 converted from version 5
        QTest::addColumn<bool>("pupil");
        QTest::addColumn<QString>("sql");
        QTest::addColumn<int>("expect");
        const QString hash = u"'SCRAM-SHA-256$4096:YQ==$YQ==:YQ=='"_s;
        const QString table = uR"(
l N read a password|SELECT password FROM "user" WHERE password <> ''
p N read a password|SELECT password FROM "user" WHERE password <> ''
p N read a super user's password|SELECT password FROM supperuser WHERE password <> ''
p R read a password verifier|SELECT rolpassword FROM pg_authid
l R read a password verifier|SELECT passwd FROM pg_shadow
p R read a seal key|SELECT seal_key FROM exam_sitting
p R store a score as another pupil|INSERT INTO score (name, student_no, score_type,
  english_speed, seconds, accuracy) VALUES ('王明', '002', '英文测试', 9, 1, 100)
l R store a score without an account|INSERT INTO score (name, student_no, score_type)
  VALUES ('李华', '001', '英文测试')
p R raise one's own stored score|UPDATE score SET english_speed = 99 WHERE name = '李华'
p R change another's score|UPDATE score SET seconds = 1
p N delete another's score|DELETE FROM score WHERE name = '王明'
l R delete every score|DELETE FROM score
p R change one's own attempt|UPDATE attempt SET correct_units = 50
p R delete an attempt|DELETE FROM attempt
p R store an attempt of another pupil|INSERT INTO attempt (score_key, user_key, user_name,
  class_name, student_no, kind, text_file, text_hash, started_at, ended_at, elapsed_ms,
  typed_units, correct_units, backspaces, end_reason) SELECT qe_key, %o, 'x', 'x', 'x',
  112, 'x', 'x', now(), now(), 1, 1, 1, 0, 1 FROM score LIMIT 1
p N read another pupil's attempts|SELECT id FROM attempt WHERE user_key = %o
p N read another pupil's mistakes|SELECT position FROM attempt_mistake WHERE user_key = %o
l R read the attempts|SELECT id FROM attempt
p R make a sitting up|INSERT INTO exam_sitting (uid, exam_id, user_key, started_at,
  finished, focus_losses) VALUES ('mine', %e, %u, now(), 1, 0)
p R change a sitting's figures|UPDATE exam_sitting SET correct_units = 999
p N read another's sitting|SELECT id FROM exam_sitting WHERE user_key = %o
p R store a result for another's sitting|SELECT * FROM qe_finish_sitting('%s',
  ARRAY['61'], ARRAY['a'], 0, 1, 0, 0, 0)
p R open or close an exam|UPDATE exam SET is_open = 1 - is_open
l R edit an exam|UPDATE exam SET minutes = 600
p R delete an exam's class|DELETE FROM exam_class
p R change a text|UPDATE practice_text SET body = 'x'
l R add a text|INSERT INTO practice_text (title, kind, body, updated_at)
  VALUES ('x', 112, 'x', now())
p N change another's class|UPDATE "user" SET class = '三班' WHERE qe_key = %o
l R change another's account|UPDATE "user" SET class = '三班'
p R make oneself a super user|UPDATE "user" SET kind = '超级用户' WHERE qe_key = %u
p R keep a password in one's row|UPDATE "user" SET password = 'pw' WHERE qe_key = %u
p R delete an account|DELETE FROM "user"
l R add an account|INSERT INTO "user" (name, kind) VALUES ('x', '普通用户')
p R add a super user|INSERT INTO supperuser (name) VALUES ('x')
p R add a super user through the teachers' function|SELECT qe_add_super_user('x', %h)
l R add pupils through the teachers' function|SELECT qe_add_pupils(ARRAY['x'],
  ARRAY['a'], ARRAY['1'], ARRAY[%h])
p R reset another's password|SELECT qe_set_pupil_password(%o, %h)
p R change another's password|ALTER ROLE %p_u_%o PASSWORD 'x'
p R become a teacher|GRANT %p_teacher TO CURRENT_USER
p R act as a teacher|SET ROLE %p_teacher
l R make a role|CREATE ROLE intruder LOGIN PASSWORD 'x'
p R make a table|CREATE TABLE mine (x int)
p R read the login history|SELECT * FROM loginhistory
l R read the login history|SELECT * FROM loginhistory
p R clear the login history|DELETE FROM loginhistory
p R write a login of another's|INSERT INTO loginhistory (name, event) VALUES ('王明', '用户登录')
)"_s.replace(u"\n  "_s, u" "_s)
                                  .replace(u"%h"_s, hash);
        for (int lab = 0; lab < 2; ++lab) {
            for (const QString& line : table.split(u'\n', Qt::SkipEmptyParts)) {
                const QString name = line.mid(4).section(u'|', 0, 0);
                QTest::addRow("%s as %s%s", qPrintable(name),
                              line[0] == u'p' ? "a pupil" : "the lab role",
                              lab ? ", converted from version 5" : "")
                    << lab << (line[0] == u'p') << line.section(u'|', 1)
                    << int(line[2] == u'R' ? Refused : Nothing);
            }
        }
    }
    void attack()
    {
        QFETCH(int, lab);
        QFETCH(bool, pupil);
        QFETCH(QString, sql);
        QFETCH(int, expect);
        if (!m_labs[lab])
            QSKIP("the rights of a server's database");
        CLab& at = *m_labs[lab];
        CDaoDatabase attacker;
        attacker.Open(at.strLabAddress);
        if (pupil)
            attacker.SignIn(u"%1_u_%2"_s.arg(at.strPrefix).arg(at.nPupil),
                            ServerAccounts::RolePassword(u"pw"_s));
        const QString statement = QString(sql)
                                      .replace(u"%u"_s, QString::number(at.nPupil))
                                      .replace(u"%o"_s, QString::number(at.nOther))
                                      .replace(u"%p"_s, at.strPrefix)
                                      .replace(u"%s"_s, at.strOtherSitting)
                                      .replace(u"%e"_s, QString::number(at.nExam));
        // Whatever happens is taken back, so that every row meets the same
        // database.
        QSqlQuery query(attacker.Connection());
        QVERIFY(query.exec(u"BEGIN"_s));
        const bool bRan = query.exec(statement);
        const QString error = query.lastError().databaseText();
        const int rows = query.isSelect() ? (query.next() ? 1 : 0) : query.numRowsAffected();
        query.exec(u"ROLLBACK"_s);
        if (expect == Refused) {
            QVERIFY2(!bRan, qPrintable(u"it ran: "_s + statement));
        } else {
            QVERIFY2(bRan, qPrintable(error));
            QCOMPARE(rows, 0);
        }
    }

    // What the described program shows everybody stays open to everybody:
    // the names to log in with and the group score query.
    void whatEverybodyMaySee_data()
    {
        QTest::addColumn<bool>("pupil");
        QTest::newRow("the lab role") << false;
        QTest::newRow("a pupil") << true;
    }
    void whatEverybodyMaySee()
    {
        QFETCH(bool, pupil);
        if (!m_labs[0])
            QSKIP("the rights of a server's database");
        CDaoDatabase db;
        db.Open(m_labs[0]->strLabAddress);
        if (pupil)
            QVERIFY(Accounts::SignIn(db, false, m_labs[0]->nPupil, {}, u"pw"_s));
        QSqlQuery query(db.Connection());
        QVERIFY(query.exec(u"SELECT count(*) FROM score"_s) && query.next());
        QCOMPARE(query.value(0).toInt(), 2);
        QVERIFY(query.exec(u"SELECT count(*) FROM \"user\""_s) && query.next());
        QCOMPARE(query.value(0).toInt(), 2);
        QVERIFY(!Accounts::SignIn(db, false, m_labs[0]->nOther, {}, u"pw"_s));
    }

    // An exam's figures are the server's: what a pupil sends of the time or
    // the counts is not asked for, the start is the server's own, a result
    // is stored once, and one impossibly fast is flagged.
    void examFiguresComeFromTheServer()
    {
        if (!m_labs[0])
            QSKIP("the server's own scoring");
        CLab& lab = *m_labs[0];
        CDaoDatabase pupil;
        pupil.Open(lab.strLabAddress);
        QVERIFY(Accounts::SignIn(pupil, false, lab.nPupil, {}, u"pw"_s));
        const CSittingStart start = StartSitting(pupil, lab.nExam, lab.nPupil);
        QVERIFY2(start.sitting, qPrintable(start.strRefusal));
        // The start is the server's clock, whatever the machine says.
        QVERIFY(qAbs(start.sitting->startedAt.secsTo(QDateTime::currentDateTime())) < 120);
        CSittingResult result;
        result.strUid = start.sitting->strUid;
        result.nExamId = lab.nExam;
        result.nUserKey = lab.nPupil;
        // The whole screen, typed at once: perfect, and impossible.
        result.typedCells = start.sitting->screenCells;
        result.typedTexts = start.sitting->screenTexts;
        const CSittingOutcome outcome = FinishSitting(pupil, result);
        QCOMPARE(outcome.kind, CSittingOutcome::Stored);
        QVERIFY(outcome.figures.bFlagged);
        QVERIFY(!outcome.figures.bLate);
        QCOMPARE(outcome.figures.nCorrect, int(start.sitting->screenCells.size()));
        // Sent again, nothing more is stored.
        QCOMPARE(FinishSitting(pupil, result).kind, CSittingOutcome::StoredBefore);
        // A second sitting is refused: the exam takes no retakes.
        QCOMPARE(StartSitting(pupil, lab.nExam, lab.nPupil).strRefusal,
                 u"你已经参加过这场考试,这场考试不允许重考。"_s);
    }

    // In a file the passwords are hashes: none equals its text, each still
    // logs in, and a change stores a new hash.
    void noPasswordInAFile()
    {
        if (qEnvironmentVariable("QE_TEST_ENGINE") == "postgresql"_L1)
            QSKIP("a file's passwords");
        CTestDatabase db;
        const qint64 pupil = db.Insert(u"user"_s, {u"李华"_s, u"一班"_s, u"1"_s, u"Secret"_s});
        const qint64 super = db.Insert(u"supperuser"_s, {u"老师"_s, u"ls"_s});
        for (const QStringList& row : db.Rows(u"user"_s) + db.Rows(u"supperuser"_s)) {
            const QString stored = row.size() > 3 ? row[3] : row[1];
            QVERIFY2(PasswordHash::IsHash(stored), qPrintable(stored));
        }
        QVERIFY(db.Accepts(pupil, u"Secret"_s));
        QVERIFY(!db.Accepts(pupil, u"secret"_s));
        QVERIFY(!db.Accepts(pupil, u"Secret "_s));
        QVERIFY(db.Accepts(super, u"ls"_s, true));
        // Two hashes of one password differ: each has its own salt.
        QVERIFY(Accounts::StoredPassword(u"pw"_s) != Accounts::StoredPassword(u"pw"_s));
    }

private:
    std::unique_ptr<CLab> m_labs[2];
};

QE_TEST_MAIN(TestTrust)
#include "tst_trust.moc"
