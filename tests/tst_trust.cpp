#include "classroom/PupilStore.h"
#include "course/CourseStore.h"
#include "exams/ExamStore.h"
#include "tests/TestDatabase.h"
#include "tests/TestMain.h"
#include "texts/TextStore.h"
#include "users/Accounts.h"
#include "users/Database.h"
#include "users/DatabaseSetup.h"
#include "users/SchemaUpgrade.h"
#include "users/ServerAccounts.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>

#include <algorithm>
#include <map>
#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace {

// The program's steps that the lab's server judges by: its lessons.
CDatabaseSteps LessonSteps()
{
    CDatabaseSteps steps;
    CourseStore::AddServerLessonSteps(steps);
    return steps;
}

// What a statement came to: the SQLSTATE of its error ("" when it ran),
// the error's text, and its first value or the rows it changed.
struct CRun
{
    QString strState;
    QString strError;
    QVariant value;
    int nRows = 0;
};

CRun Run(CDaoDatabase& db, const QString& sql)
{
    QSqlQuery query(db.Connection());
    CRun run;
    if (!query.exec(sql)) {
        run.strState = query.lastError().nativeErrorCode();
        run.strError = query.lastError().databaseText();
        return run;
    }
    run.nRows = query.isSelect() ? 0 : query.numRowsAffected();
    while (query.next()) {
        if (run.nRows++ == 0)
            run.value = query.value(0);
    }
    return run;
}

// Runs what must run; the test fails with the server's words otherwise.
QVariant Must(CDaoDatabase& db, const QString& sql)
{
    const CRun run = Run(db, sql);
    if (!run.strState.isEmpty())
        QTest::qFail(qPrintable(run.strError + u" in: "_s + sql), __FILE__, __LINE__);
    return run.value;
}

// A connection to address, or none and the reason in *pRefusal.
std::unique_ptr<CDaoDatabase> OpenAt(const QString& address, QString* pRefusal = nullptr)
{
    auto db = std::make_unique<CDaoDatabase>();
    try {
        db->Open(address);
    } catch (const CDaoException& e) {
        if (pRefusal)
            *pRefusal = e.GetErrorMessage();
        return nullptr;
    }
    return db;
}

// A lab's database made as the README has its administrator make it: an
// owner who may make roles, the database made by the program's own command
// (or one of version 5 with its passwords in plain, upgraded by the
// owner's command), the accounts, and the rows every attack meets. The
// attacks run as psql would run them: the lab machines' line, or a pupil's
// own account and password.
class CLab
{
public:
    explicit CLab(bool bFromVersion5);
    ~CLab();

    CDaoDatabase& Owner() { return *m_pOwner; }
    // A session as who: "lab", "pupil" (李华, 一班), "other" (王明, 一班),
    // "third" (张三, 二班), "teacher" (老师), or "ghost-pupil" and
    // "ghost-teacher", roles of the pupils' and the teachers' groups that
    // are no account.
    CDaoDatabase& As(const QString& who);
    // A new connection as who (with password instead of the account's when
    // given), or the SQLSTATE of its refusal.
    std::pair<std::unique_ptr<CDaoDatabase>, QString> Connect(const QString& who,
                                                              const QString& password = {}) const;
    // The role of who, or of "outsider", a role outside the lab that rights() makes.
    QString Role(const QString& who) const;
    // The sessions of who's role on the server now.
    int Sessions(const QString& who);
    // The session As(who) gave ends with the server's.
    void Forget(const QString& who) { m_sessions.erase(who); }
    // The first machine's line.
    const QString& LabAddress() const { return m_strLabAddress; }
    QString Expand(QString sql) const;
    // A new exam on the text for class, open.
    qint64 AddExam(const QString& className, int minutes, bool bOpen = true, qint64 text = 0);

    QString strPrefix;
    qint64 nPupil = 0, nOther = 0, nThird = 0, nTeacher = 0;
    qint64 nText = 0, nFreeText = 0, nExam = 0, nOtherExam = 0, nClosedExam = 0, nCompetition = 0;
    // Texts of an exam not yet opened, and of one closed after a sitting.
    qint64 nPreparedText = 0, nSatText = 0;
    QString strOtherSitting = u"sitting-of-wang"_s;
    qint64 nOtherAttempt = 0, nOtherLesson = 0;

private:
    QString m_strServer, m_strName, m_strLabAddress;
    std::unique_ptr<CDaoDatabase> m_pOwner;
    std::map<QString, std::unique_ptr<CDaoDatabase>> m_sessions;
};

const QString Verifier = u"'SCRAM-SHA-256$4096:YQ==$YQ==:YQ=='"_s;

// The cells from..from + n of the exam's screen ("abc..."), as GBK in hex or as text.
QString Cells(int from, int n, bool bText)
{
    QStringList cells;
    for (int i = from; i < from + n; ++i) {
        const QChar ch(u'a' + i % 26);
        cells << u"'%1'"_s.arg(bText ? QString(ch) : QString::number(ch.unicode(), 16));
    }
    return u"ARRAY[%1]::text[]"_s.arg(cells.join(u','));
}

CLab::CLab(bool bFromVersion5)
{
    m_strServer = qEnvironmentVariable("QE_TEST_POSTGRES");
    m_strName = u"qe_trust_%1"_s.arg(QRandomGenerator::global()->generate64() % 1000000000000ULL);
    {
        CDaoDatabase server;
        server.Open(m_strServer);
        server.Execute(
            u"CREATE ROLE %1_owner LOGIN CREATEROLE PASSWORD 'ownerpw'"_s.arg(m_strName));
        server.Execute(u"CREATE DATABASE %1 OWNER %1_owner"_s.arg(m_strName));
    }
    QUrl owner(m_strServer);
    owner.setUserName(m_strName + u"_owner"_s);
    owner.setPassword(u"ownerpw"_s);
    owner.setPath(u'/' + m_strName);
    m_pOwner = std::make_unique<CDaoDatabase>();
    if (!bFromVersion5)
        m_strLabAddress = CreateDatabase(owner.toString(), u"老师"_s, u"ls"_s, LessonSteps());
    m_pOwner->Open(owner.toString());
    nTeacher = 1;
    if (!bFromVersion5) {
        QSqlQuery add(m_pOwner->Connection());
        add.prepare(u"SELECT * FROM qe_add_pupils(ARRAY['李华', '王明', '张三'], "
                    "ARRAY['一班', '一班', '二班'], ARRAY['001', '002', '003'], "
                    "ARRAY[?, ?, ?])"_s);
        for (const QString& pw : {u"pw"_s, u"wm"_s, u"zs"_s})
            add.addBindValue(ServerAccounts::Verifier(*m_pOwner, pw));
        QVERIFY2(add.exec(), qPrintable(add.lastError().text()));
        for (qint64* key : {&nPupil, &nOther, &nThird}) {
            QVERIFY(add.next());
            *key = add.value(0).toLongLong();
        }
    } else {
        CreateSchema(m_pOwner.get(), LessonSteps(), 5);
        m_pOwner->Execute(u"INSERT INTO \"user\" (name, class, student_no, password, kind) VALUES "
                          "('李华', '一班', '001', 'pw', '普通用户'), "
                          "('王明', '一班', '002', 'wm', '普通用户'), "
                          "('张三', '二班', '003', 'zs', '普通用户')"_s);
        m_pOwner->Execute(u"INSERT INTO supperuser (name, password) VALUES ('老师', 'ls')"_s);
        std::tie(nPupil, nOther, nThird) = std::tuple(1, 2, 3);
        m_strLabAddress = UpgradeSchema(*m_pOwner, LessonSteps(), UpgradeBy::Administrator);
        RefreshLab(*m_pOwner, LessonSteps()); // what qe --upgrade-database does after it
    }
    strPrefix = ServerAccounts::RolePrefix(*m_pOwner);
    for (const QString& group : {u"pupil"_s, u"teacher"_s})
        m_pOwner->Execute(u"CREATE ROLE %1_ghost_%2 LOGIN PASSWORD 'ghost' IN ROLE %1_%2"_s.arg(
            strPrefix, group));

    // The rows every attack meets: library texts, a practice of each pupil
    // of 一班 on one of them with every key wrong (ten "a" typed "b", a
    // second long), a lesson of 王明's with a key missed, a login, exams and
    // assignments for each class and a closed exam, thresholds of each
    // class, a sitting 王明 finished, a kept result of 李华's refused.
    CPracticeText text{0, u"字母"_s, 112, u"abcdefghijklmnopqrstuvwxyz"_s.repeated(50), {}};
    nText = TextStore::SaveText(*m_pOwner, text);
    text.strTitle = u"又一篇"_s;
    nFreeText = TextStore::SaveText(*m_pOwner, text);
    nOtherLesson =
        Must(As(u"other"_s), u"SELECT attempt_id FROM qe_store_lesson('fingering', 1, 60000, 1, 0, "
                             "-1, -1, ARRAY['a'], ARRAY['s'], ARRAY[1])"_s)
            .toLongLong();
    Must(As(u"other"_s), Expand(u"SELECT qe_store_lesson_keys(%L, ARRAY['a'], "
                                "ARRAY[2, 2, 1, 300])"_s));
    for (const QString& who : {u"pupil"_s, u"other"_s})
        Must(As(who), Expand(u"SELECT score_key FROM qe_store_practice(112, %c10, %a10, "
                             "array_fill('62'::text, ARRAY[10]), array_fill('x'::text, ARRAY[10]), "
                             "1, 1000, 0, 1, 'x', '', %F, 1, 0, 0, -1, -1)"_s));
    nOtherAttempt =
        Must(*m_pOwner, u"SELECT max(id) FROM attempt WHERE user_key = %1"_s.arg(nOther))
            .toLongLong();
    Must(As(u"other"_s), Expand(u"SELECT qe_store_detail(%w, %d)"_s));
    m_pOwner->Execute(u"INSERT INTO loginhistory (name, kind, event) "
                      "VALUES ('老师', '超级用户', '用户登录')"_s);
    m_pOwner->Execute(
        u"INSERT INTO course_class VALUES ('一班', 0, 100, 0), ('二班', 0, 100, 0)"_s);
    for (const QString& className : {u"一班"_s, u"二班"_s})
        m_pOwner->Execute(
            u"WITH a AS (INSERT INTO assignment (title, task, course, lesson_from, lesson_to, "
            "screen, kind, min_speed, min_accuracy, passes, starts_on, due_on, created_at) "
            "VALUES ('%1', 0, 'fingering', 1, 2, 0, 0, 0, 0, 1, now(), now(), now()) "
            "RETURNING id) INSERT INTO assignment_class SELECT id, '%1' FROM a"_s.arg(className));
    Must(As(u"pupil"_s), u"SELECT qe_refuse_kept_result('kept-and-refused', '不能核对')"_s);
    Must(As(u"pupil"_s), u"SELECT qe_report_progress(0, 0, NULL, '', 0, 0, 0, 0, 0, 0, 0)"_s);
    nExam = AddExam(u"一班"_s, 1);
    nOtherExam = AddExam(u"二班"_s, 1);
    nClosedExam = AddExam(u"一班"_s, 1, false);
    // A competition of 一班, open but not started.
    nCompetition = AddExam(u"一班"_s, 1);
    m_pOwner->Execute(
        u"INSERT INTO competition VALUES (%1, 0, 10, 20, 30, NULL)"_s.arg(nCompetition));
    // 一班's own daily goal.
    m_pOwner->Execute(u"INSERT INTO daily_goal VALUES ('一班', 20, 90)"_s);
    for (auto [title, key] :
         {std::pair{u"备考"_s, &nPreparedText}, std::pair{u"考过"_s, &nSatText}}) {
        text.strTitle = title;
        *key = TextStore::SaveText(*m_pOwner, text);
    }
    AddExam(u"一班"_s, 1, false, nPreparedText);
    const qint64 sat = AddExam(u"二班"_s, 1, true, nSatText);
    Must(As(u"third"_s),
         u"SELECT started_at FROM qe_start_sitting(%1, 'sitting-of-zhang')"_s.arg(sat));
    m_pOwner->Execute(u"UPDATE exam SET is_open = 0 WHERE id = %1"_s.arg(sat));
    Must(As(u"other"_s), Expand(u"SELECT started_at FROM qe_start_sitting(%e, '%s')"_s));
    Must(As(u"other"_s), Expand(u"SELECT outcome FROM qe_finish_sitting('%s', %C10, %A10, 0, "
                                "1, 0, 0, 0, -1, -1)"_s));
}

CLab::~CLab()
{
    m_sessions.clear();
    m_pOwner.reset();
    DropServerDatabase(m_strServer, m_strName);
}

qint64 CLab::AddExam(const QString& className, int minutes, bool bOpen, qint64 text)
{
    CExam exam;
    std::tie(exam.strTitle, exam.nTextId, exam.nMinutes, exam.bOpen, exam.classes) =
        std::tuple(u"测验"_s, text ? text : nText, minutes, bOpen, QStringList{className});
    return ExamStore::SaveExam(*m_pOwner, exam);
}

int CLab::Sessions(const QString& who)
{
    return Must(*m_pOwner, u"SELECT count(*) FROM pg_stat_activity WHERE usename = '%1'"_s.arg(
                               who == "lab"_L1 ? QUrl(m_strLabAddress).userName() : Role(who)))
        .toInt();
}

QString CLab::Role(const QString& who) const
{
    if (who == "lab"_L1 || who == "outsider"_L1 || who.startsWith("ghost"_L1))
        return strPrefix + u'_' + QString(who).replace(u'-', u'_');
    if (who == "teacher"_L1)
        return u"%1_s_%2"_s.arg(strPrefix).arg(nTeacher);
    const qint64 key = who == "pupil"_L1 ? nPupil : who == "other"_L1 ? nOther : nThird;
    return u"%1_u_%2"_s.arg(strPrefix).arg(key);
}

std::pair<std::unique_ptr<CDaoDatabase>, QString> CLab::Connect(const QString& who,
                                                                const QString& password) const
{
    const qsizetype account =
        QStringList{u"pupil"_s, u"other"_s, u"third"_s, u"teacher"_s}.indexOf(who);
    const QString own = QStringList{u"pw"_s, u"wm"_s, u"zs"_s, u"ls"_s}.value(account);
    QUrl address(m_strLabAddress);
    if (who != "lab"_L1) {
        address.setUserName(Role(who));
        address.setPassword(account < 0 ? u"ghost"_s : ServerAccounts::RolePassword(own));
    }
    if (!password.isEmpty())
        address.setPassword(password);
    QString refusal;
    auto db = OpenAt(address.toString(), &refusal);
    // libpq gives a refused connection no SQLSTATE; its text names it.
    if (refusal.contains("too many connections for role"_L1))
        refusal = u"53300"_s;
    return {std::move(db), refusal};
}

CDaoDatabase& CLab::As(const QString& who)
{
    auto& session = m_sessions[who];
    if (!session)
        session = Connect(who).first;
    return *session;
}

QString CLab::Expand(QString sql) const
{
    const auto n = [](qint64 value) { return QString::number(value); };
    // %d, the detail of a practice: a key, a pair of letters and a commit.
    const std::pair<QString, QString> values[]{
        {u"%C10"_s, Cells(0, 10, false)},
        {u"%A10"_s, Cells(0, 10, true)},
        {u"%u"_s, n(nPupil)},
        {u"%o"_s, n(nOther)},
        {u"%p"_s, strPrefix},
        {u"%s"_s, strOtherSitting},
        {u"%e"_s, n(nExam)},
        {u"%x"_s, n(nOtherExam)},
        {u"%z"_s, n(nClosedExam)},
        {u"%k"_s, n(nCompetition)},
        {u"%T"_s, n(nText)},
        {u"%F"_s, n(nFreeText)},
        {u"%P"_s, n(nPreparedText)},
        {u"%Q"_s, n(nSatText)},
        {u"%h"_s, Verifier},
        {u"%w"_s, n(nOtherAttempt)},
        {u"%L"_s, n(nOtherLesson)},
        {u"%d"_s, u"ARRAY['a', 'th'], ARRAY[10, 10, 0, 180, 2, 2, 0, 150], ARRAY['你'], "
                  "ARRAY['你'], ARRAY['ni␣'], ARRAY[3, 400, 0, 0]"_s}};
    for (const auto& [key, value] : values)
        sql.replace(key, value);
    // %c<n> and %a<n>: n cells of "a", in hex and as text.
    return sql.replace(QRegularExpression(u"%c(\\d+)"_s), u"array_fill('61'::text, ARRAY[\\1])"_s)
        .replace(QRegularExpression(u"%a(\\d+)"_s), u"array_fill('a'::text, ARRAY[\\1])"_s);
}

// Shifts the server's record of a sitting back by seconds, as if that much
// time had passed: a server's clock cannot be set.
void Pass(CLab& lab, const QString& uid, int seconds)
{
    lab.Owner().Execute(
        u"UPDATE exam_sitting SET started_at = started_at - interval '%1 s', "
        "seen_at = seen_at - interval '%1 s', recent_reports = ARRAY(SELECT "
        "r - interval '%1 s' FROM unnest(recent_reports) r) WHERE uid = '%2'"_s.arg(seconds)
            .arg(uid));
}

// The cells from..from + n of the exam's screen, reported by 李华: the
// cells the server holds.
int Report(CLab& lab, const QString& uid, int from, int n)
{
    return Must(lab.As(u"pupil"_s),
                u"SELECT qe_sitting_report('%1', %2, %3, %4)"_s.arg(uid).arg(from).arg(
                    Cells(from, n, false), Cells(from, n, true)))
        .toInt();
}

// The result of a sitting with the first n cells of the screen (cell
// changed, when not -1, typed wrong), and what the server made of it.
QStringList Finish(CLab& lab, const QString& uid, int n, int changed = -1,
                   const QString& keys = u"-1, -1"_s)
{
    QString cells = Cells(0, n, false);
    if (changed >= 0)
        cells = u"(SELECT array_agg(CASE WHEN i = %1 THEN '7a' ELSE c END ORDER BY i) FROM "
                "unnest(%2) WITH ORDINALITY AS u(c, i))"_s.arg(changed + 1)
                    .arg(cells);
    QSqlQuery query(lab.As(u"pupil"_s).Connection());
    if (!query.exec(u"SELECT outcome, reason, typed_units, correct_units, flagged, late FROM "
                    "qe_finish_sitting('%1', %2, %3, 0, 1, 0, 0, 0, %4)"_s.arg(
                        uid, cells, Cells(0, n, true), keys)) ||
        !query.next())
        return {query.lastError().nativeErrorCode()};
    QStringList values;
    for (int i = 0; i < 6; ++i)
        values << query.value(i).toString();
    return values;
}

// A sitting of a new exam for 一班 started by 李华, its first reports × 10
// cells then reported ten at a time, seconds apart: its uid.
QString Start(CLab& lab, int minutes, int reports = 0, int seconds = 1)
{
    const qint64 exam = lab.AddExam(u"一班"_s, minutes);
    const QString uid = u"s%1"_s.arg(exam);
    Must(lab.As(u"pupil"_s),
         u"SELECT started_at FROM qe_start_sitting(%1, '%2')"_s.arg(exam).arg(uid));
    for (int i = 0; i < reports; ++i) {
        Pass(lab, uid, seconds);
        Report(lab, uid, i * 10, 10);
    }
    return uid;
}

} // namespace

// What a pupil at a lab machine can do with psql, the lab line and their
// own password: the server refuses each wrong with that wrong's own
// SQLSTATE (42501 for a right not held, one of ours for an argument the
// rules refuse), on a database made by qe --create-database and on one of
// version 5 upgraded by qe --upgrade-database.
class TestTrust : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        if (qEnvironmentVariable("QE_TEST_ENGINE") != "postgresql"_L1)
            return;
        // The course's records are the program's here: its lessons reach
        // the server with the schema (the volatile keeps them linked in).
        [[maybe_unused]] volatile auto lessons = &CourseStore::WriteServerLessons;
        m_labs[0] = std::make_unique<CLab>(false);
        m_labs[1] = std::make_unique<CLab>(true);
        for (auto& lab : m_labs)
            QVERIFY(Must(lab->Owner(), u"SELECT count(*) FROM course_lesson"_s).toInt() > 30);
    }
    void cleanupTestCase() { m_labs[0].reset(), m_labs[1].reset(); }
    void init()
    {
        if (!m_labs[0] && QByteArray(QTest::currentTestFunction()) != "noPasswordInAFile")
            QSKIP("the rights of a server's database");
    }

    // One attack a line: who ("lab", "pupil", "other", "third", "teacher",
    // "ghost-pupil", "ghost-teacher"; "+" after it: while registration is
    // open) and the SQLSTATE it must fail with ("-": it runs and finds or
    // changes no row, "1": it finds or changes a row, as the role's right
    // allows, "+": it runs), or several as "who=expected,who=expected";
    // what is tried, and the statement (placeholders in CLab::Expand); a
    // line opening with spaces goes on. Writing, locking or reading a table,
    // or calling a function, without the right is refused by the privileges
    // that rights() pins, so no line here tries one.
    void attack_data()
    {
        QTest::addColumn<int>("lab"); // 0 new, 1 upgraded from version 5
        QTest::addColumn<QString>("who");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QString>("sql");
        const QString p112 = u"SELECT * FROM qe_store_practice(112, "_s;
        // A practice of ten cells stored now, a second long.
        const QString s112 = u"qe_store_practice(112, %c10, %a10, %c10, %a10, 1, 1000, 0, 1, 'x', "
                             "'', 0, 0, 0, 0, -1, -1)"_s;
        // The timeouts a session runs with: of a lock, a statement, and idle in a transaction.
        const QString timeouts = u"SELECT 1 WHERE concat_ws(' ', current_setting('lock_timeout'), "
                                 "current_setting('statement_timeout'), "
                                 "current_setting('idle_in_transaction_session_timeout')) = "_s;
        const QString table = uR"(
lab=1,pupil=1 run with the timeouts lab_config sets|%timeouts '5s 30s 1min'
teacher 1 run with the teachers' timeouts|%timeouts '10s 10min 10min'
lab QE004 register while registration is closed|SELECT qe_register('新人', '一班', '009', %h)
lab+ + register while a teacher allows it|SELECT qe_register('新人', '一班', '009', %h)
lab+ QE002 register a name taken|SELECT qe_register('王明', '一班', '009', %h)
lab+ QE004 register into a class no teacher made|SELECT qe_register('新人', '九班', '009', %h)
lab+ QE001 register a name with a space after it|SELECT qe_register('新人 ', '一班', '009', %h)
lab+ QE001 register a class a spreadsheet takes for a formula|SELECT qe_register('新人', '=1+1',
  '009', %h)
lab+ QE001 register a name of a Cyrillic letter among Latin ones|SELECT qe_register('Pаvel',
  '一班', '009', %h)
lab+ QE001 register a name with a line feed|SELECT qe_register(E'李\n华', '一班', '009', %h)
lab+ QE006 register a name beyond its size|SELECT qe_register(repeat('名', 2000), '一班', '009', %h)
lab+ QE001 register a class with a tab|SELECT qe_register('新人', E'一\t班', '009', %h)
lab+ QE001 register without a number|SELECT qe_register('新人', '一班', '', %h)
lab+ QE001 register a password in plain|SELECT qe_register('新人', '一班', '009', 'pw')
ghost-teacher 42501 open registration without an account|SELECT qe_set_registration(true)
ghost-teacher 42501 add a super user without an account|SELECT qe_add_super_user('x', %h)
teacher QE002 add a super user of a name taken|SELECT qe_add_super_user('老师', %h)
teacher QE001 add a super user with a line feed|SELECT qe_add_super_user(E'老\n师', %h)
teacher QE006 add a super user beyond its size|SELECT qe_add_super_user(repeat('名', 2000), %h)
ghost-teacher 42501 add pupils without an account|SELECT qe_add_pupils(ARRAY['x'], ARRAY['一班'],
  ARRAY['1'], ARRAY[%h])
teacher QE001 import a pupil without a class|SELECT qe_add_pupils(ARRAY['新人'], ARRAY[''],
  ARRAY['9'], ARRAY[%h])
teacher QE001 import a number with a letter|SELECT qe_add_pupils(ARRAY['新人'], ARRAY['一班'],
  ARRAY['9a'], ARRAY[%h])
teacher QE002 import a name taken|SELECT qe_add_pupils(ARRAY['王明'], ARRAY['一班'], ARRAY['9'],
  ARRAY[%h])
teacher QE002 import a name twice|SELECT qe_add_pupils(ARRAY['新人', '新人'], ARRAY['一班', '一班'],
  ARRAY['8', '9'], ARRAY[%h, %h])
teacher QE001 import lists of differing lengths|SELECT qe_add_pupils(ARRAY['新人'], ARRAY['一班'],
  ARRAY['8', '9'], ARRAY[%h])
teacher QE006 import a list beyond its size|SELECT qe_add_pupils(%a100001, %a100001, %a100001,
  array_fill(%h::text, ARRAY[100001]))
ghost-teacher 42501 reset a password without an account|SELECT qe_set_pupil_password(%o, %h)
teacher QE003 reset the password of nobody|SELECT qe_set_pupil_password(999999, %h)
teacher QE001 reset a password to a password in plain|SELECT qe_set_pupil_password(%o, 'pw')
pupil 42501 change another's password|ALTER ROLE %p_u_%o PASSWORD 'x'
pupil 42501 lift one's connection limit|ALTER ROLE CURRENT_USER CONNECTION LIMIT -1
pupil 42501 become a teacher|GRANT %p_teacher TO CURRENT_USER
pupil 42501 act as a teacher|SET ROLE %p_teacher
lab 42501 make a role|CREATE ROLE intruder LOGIN PASSWORD 'x'
pupil 42501 read a password verifier|SELECT rolpassword FROM pg_authid
lab 42501 read a password verifier|SELECT passwd FROM pg_shadow
pupil - read a password|SELECT password FROM "user" WHERE password <> ''
pupil QE006 clear one's scores in a batch beyond its size|SELECT qe_clear_my_scores(1, 100000)
ghost-pupil 42501 clear scores as no account|SELECT qe_clear_my_scores(1, 10)
pupil 42883 add key presses through the old function|SELECT qe_sitting_key_presses('x', 2147483647, -5)
pupil=-,other=1,teacher=1 read 王明's attempts|SELECT id FROM attempt WHERE user_key = %o
pupil=-,other=1,teacher=1 read 王明's mistakes|SELECT position FROM attempt_mistake WHERE user_key = %o
pupil=-,other=1,teacher=1 read 王明's lessons|SELECT id FROM lesson_attempt WHERE user_key = %o
pupil=-,other=1,teacher=1 read whose 王明's scores are|SELECT score_key FROM score_owner
  WHERE user_key = %o
pupil=-,other=1,teacher=1 read 王明's key figures|SELECT key_name FROM attempt_key WHERE user_key = %o
pupil=-,other=1,teacher=1 read 王明's commits|SELECT keys_typed FROM attempt_commit
  WHERE user_key = %o
pupil=-,other=1,teacher=1 read 王明's keys missed|SELECT times FROM lesson_miss WHERE user_key = %o
pupil=-,other=1,teacher=1 read 王明's keys through the view of all keys|SELECT key_name
  FROM key_figures WHERE user_key = %o
pupil=-,other=1,teacher=1 read the text of 王明's exam attempt|SELECT attempt_id FROM attempt_text
  WHERE exam_id = %e
pupil=-,other=1 read 王明's sitting|SELECT id FROM exam_sitting WHERE user_key = %o
pupil=-,third=1 read 二班's exam|SELECT id FROM exam WHERE id = %x
pupil=-,third=1 read 二班's exam classes|SELECT exam_id FROM exam_class WHERE class_name = '二班'
pupil=-,third=1 read 二班's thresholds|SELECT accuracy FROM course_class WHERE class_name = '二班'
pupil=-,third=1 read 二班's assignment|SELECT id FROM assignment WHERE title = '二班'
pupil=-,third=1 read 二班's assignment classes|SELECT assignment_id FROM assignment_class
  WHERE class_name = '二班'
lab=1,pupil=1 read the names to log in with|SELECT 1 FROM "user" HAVING count(*) >= 3
lab=1,pupil=1 read the scores of everybody|SELECT 1 FROM score HAVING count(*) >= 2
pupil 42501 keep the keys of another's attempt|SELECT qe_store_detail(%w, %d)
pupil + keep the keys of one's practice as it is stored|SELECT qe_store_detail(attempt_id, %d)
  FROM %s112
pupil QE201 keep the keys of one's practice twice|SELECT qe_store_detail(attempt_id, %d),
  qe_store_detail(attempt_id, %d) FROM %s112
pupil QE201 keep more key presses than a person makes|SELECT qe_store_detail(attempt_id,
  ARRAY['a'], ARRAY[100000, 100000, 0, 100], '{}', '{}', '{}', '{}') FROM %s112
pupil QE006 keep a key twice|SELECT qe_store_detail(attempt_id, ARRAY['a', 'a'],
  ARRAY[1, 1, 0, 100, 1, 1, 0, 100], '{}', '{}', '{}', '{}') FROM %s112
pupil QE006 keep commits beyond their size|SELECT qe_store_detail(attempt_id, '{}', '{}', %a1289,
  %a1289, %a1289, array_fill(0, ARRAY[5156])) FROM %s112
pupil QE006 keep more characters deleted than committed|SELECT qe_store_detail(attempt_id, '{}',
  '{}', ARRAY['你'], ARRAY['你'], ARRAY['ni␣'], ARRAY[3, 400, 0, 2]) FROM %s112
ghost-pupil 42501 keep keys as no account|SELECT qe_store_detail(%w, %d)
pupil 42501 keep the keys of another's lesson|SELECT qe_store_lesson_keys(%L, ARRAY['q'],
  ARRAY[1, 1, 0, 200])
pupil - read another's lesson keys|SELECT key_name FROM lesson_key WHERE user_key = %o
lab 42501 read the keys through the view of all keys|SELECT key_name FROM key_figures
pupil QE201 store a practice faster than a person types|%p112 %c100, %a100, %c100, %a100, 60, 1000,
  0, 2, 'x', '', 0, 0, 0, 0, -1, -1)
pupil QE201 store a practice whose seconds make it too fast|%p112 %c30, %a30, %c30, %a30, 0, 2000, 0,
  1, 'x', '', 0, 0, 0, 0, -1, -1)
pupil QE201 store a practice longer than its screen|%p112 %c10, %a10, %c11, %a11, 1, 1000, 0, 1, 'x',
  '', 0, 0, 0, 0, -1, -1)
pupil QE201 store a practice of no kind|SELECT * FROM qe_store_practice(115, %c10, %a10, %c10, %a10,
  1, 1000, 0, 1, 'x', '', 0, 0, 0, 0, -1, -1)
pupil QE201 store a practice of a time before it began|%p112 %c10, %a10, %c10, %a10, 1, -1, 0, 1,
  'x', '', 0, 0, 0, 0, -1, -1)
pupil QE201 store a practice over the last one stored|%p112 %c10, %a10, %c10, %a10, 600, 600000, 0,
  1, 'x', '', 0, 0, 0, 0, -1, -1)
pupil QE006 store a practice of a cell of three bytes|%p112 ARRAY['616263'], ARRAY['a'],
  ARRAY['61'], ARRAY['a'], 1, 1000, 0, 1, 'x', '', 0, 0, 0, 0, -1, -1)
pupil QE006 store a practice of more cells than a screen|%p112 %c1289, %a1289, %c10, %a10, 1,
  1000, 0, 1, 'x', '', 0, 0, 0, 0, -1, -1)
ghost-pupil 42501 store a practice as no account|SELECT * FROM %s112
third QE201 store sixty passed lessons at once|SELECT count(*) FROM generate_series(1, 60) n,
  LATERAL qe_store_lesson('fingering', n % 10 + 1, 60000, 0, 0, -1, -1, '{}', '{}', '{}')
third QE201 store a lesson with fewer key presses than its keys|SELECT * FROM qe_store_lesson(
  'fingering', 1, 60000, 0, 0, 5, 0, '{}', '{}', '{}')
third QE201 store a lesson faster than a person types|SELECT * FROM qe_store_lesson('fingering', 1,
  1000, 0, 0, -1, -1, '{}', '{}', '{}')
third QE201 store a 五笔 lesson faster than a person types characters|SELECT * FROM qe_store_lesson(
  'wubi', 1, 10000, 0, 0, -1, -1, '{}', '{}', '{}')
third QE201 store a lesson there is not|SELECT * FROM qe_store_lesson('fingering', 999, 60000, 0, 0,
  -1, -1, '{}', '{}', '{}')
third QE201 store a lesson missing a key more often than its errors|SELECT * FROM qe_store_lesson(
  'fingering', 1, 60000, 0, 0, -1, -1, ARRAY['a'], ARRAY['s'], ARRAY[5])
third QE006 store a lesson with misses beyond their size|SELECT * FROM qe_store_lesson('fingering',
  1, 60000, 600, 0, -1, -1, %a600, array_fill('s'::text, ARRAY[600]), array_fill(1, ARRAY[600]))
ghost-pupil 42501 store a lesson as no account|SELECT * FROM qe_store_lesson('fingering', 1, 60000,
  0, 0, -1, -1, '{}', '{}', '{}')
lab 1 read a library text|SELECT id FROM practice_text WHERE id = %F
teacher 1 change a text|UPDATE practice_text SET title = title WHERE id = %T
teacher 1 change an exam|UPDATE exam SET minutes = minutes WHERE id = %x
teacher 1 change an exam's classes|UPDATE exam_class SET class_name = class_name
teacher 1 change a sitting|UPDATE exam_sitting SET focus_losses = focus_losses
teacher 1 set thresholds|UPDATE course_class SET accuracy = accuracy
teacher 1 change an assignment|UPDATE assignment SET title = title
teacher 1 change an assignment's classes|UPDATE assignment_class SET class_name = class_name
teacher 1 read the refusals kept|SELECT id FROM exam_refusal
teacher 1 read the live view|SELECT user_key FROM live_progress
teacher 1 end an exam for everybody|INSERT INTO exam_stop VALUES (%e, now())
teacher 1 read the login history|SELECT * FROM loginhistory
teacher 1 clear the login history|DELETE FROM loginhistory
teacher 1 change a pupil's class|UPDATE "user" SET class = class WHERE qe_key = %u
teacher 1 delete a pupil|DELETE FROM "user" WHERE qe_key = %o
teacher 1 rename a pupil's scores|UPDATE score SET name = name WHERE name = '王明'
teacher 1 clear the scores|DELETE FROM score
lab 1 read the super users' names|SELECT name FROM supperuser
teacher QE001 import a name with a line feed|SELECT qe_add_pupils(ARRAY[E'新\n人'], ARRAY['一班'],
  ARRAY['9'], ARRAY[%h])
pupil 42501 read an exam's screen before it starts|SELECT screen_cells FROM exam
pupil 42501 confirm a result in doubt|SELECT qe_confirm_result(%w)
pupil 42501 count a result in doubt|UPDATE attempt SET checked = 1 WHERE id = %w
pupil 42501 unmark a score in doubt|DELETE FROM score_doubt
pupil 42501 raise the class's plausible speed|INSERT INTO class_speed VALUES ('一班', 400, 1200)
lab 42501 read the classes' plausible speeds|SELECT * FROM class_speed
teacher 23514 set a plausible speed no person types|INSERT INTO class_speed VALUES ('一班', 10,
  5000)
teacher 1 confirm a result in doubt|SELECT qe_confirm_result(%w)
pupil 42501 lower the grades|INSERT INTO grade_rule VALUES ('一班', 111, 1, 0, 1, 0, 1, 0)
pupil 42501 change the school's grades|UPDATE grade_rule SET pass_speed = 1
lab 42501 read the grades|SELECT * FROM grade_rule
teacher 1 set the school's grades|INSERT INTO grade_rule VALUES ('', 111, 50, 95, 35, 90, 20, 85)
teacher 23514 set a 及格 above its 良好|INSERT INTO grade_rule VALUES ('一班', 111, 50, 95, 30, 90,
  40, 85)
pupil QE106 read a competition's screen before its start|SELECT * FROM qe_start_sitting(%k,
  'early')
pupil 1 read the class's competition|SELECT exam_id FROM competition WHERE exam_id = %k
third - read another class's competition|SELECT exam_id FROM competition WHERE exam_id = %k
lab 42501 read the competitions|SELECT * FROM competition
pupil 42501 start a competition|UPDATE competition SET starts_at = now() WHERE exam_id = %k
pupil 42501 score a competition another way|UPDATE competition SET scoring = 1
pupil 42501 join another class to a competition|INSERT INTO exam_class VALUES (%k, '二班')
pupil 42501 end a competition for everybody|INSERT INTO exam_stop VALUES (%k, now())
teacher 1 start a competition|UPDATE competition SET starts_at = now() WHERE exam_id = %k
pupil 1 read the class's daily goal|SELECT minutes FROM daily_goal WHERE class_name = '一班'
third - read another class's daily goal|SELECT minutes FROM daily_goal WHERE class_name = '一班'
lab 42501 read the daily goals|SELECT * FROM daily_goal
pupil 42501 lower the class's daily goal|UPDATE daily_goal SET minutes = 1
pupil 42501 set the school's daily goal|INSERT INTO daily_goal VALUES ('', 1, 0)
teacher 1 set the school's daily goal|INSERT INTO daily_goal VALUES ('', 15, 90)
teacher 23514 ask for no minutes a day|UPDATE daily_goal SET minutes = 0
pupil 42501 put another school on the 奖状|INSERT INTO school VALUES (1, '别的学校')
teacher 1 name the school|INSERT INTO school VALUES (1, '实验小学')
teacher 23514 give more than everybody a prize|UPDATE competition SET first_share = 50,
  second_share = 50, third_share = 10
pupil QE201 store 32 right cells in a second|SELECT * FROM qe_store_practice(112, %c32, %a32,
  %c32, %a32, 1, 1000, 0, 1, 'x', '', 0, 0, 0, 0, -1, -1)
ghost-pupil 42501 begin a practice as no account|SELECT qe_begin_attempt()
pupil - read the text of an open exam|SELECT body FROM practice_text WHERE id = %T
lab - read the text of an open exam as the lab|SELECT body FROM practice_text WHERE id = %T
pupil=-,lab=- read the text of an exam not yet opened|SELECT body FROM practice_text WHERE id = %P
pupil=1,lab=1 read the text of an exam closed after it was sat|SELECT body FROM practice_text
  WHERE id = %Q
pupil QE102 start another class's exam|SELECT * FROM qe_start_sitting(%x, 'mine')
pupil QE101 start a closed exam|SELECT * FROM qe_start_sitting(%z, 'mine')
pupil QE006 start a sitting of a uid beyond its size|SELECT qe_start_sitting(%e, repeat('u', 65))
ghost-pupil 42501 start a sitting as no account|SELECT * FROM qe_start_sitting(%e, 'mine')
pupil QE006 finish a sitting of a uid of 64 kB|SELECT * FROM qe_finish_sitting(repeat('u', 65536),
  '{}', '{}', 0, 1, 0, 0, 0, -1, -1)
ghost-pupil 42501 finish a sitting as no account|SELECT * FROM qe_finish_sitting('mine', '{}', '{}',
  0, 1, 0, 0, 0, -1, -1)
pupil QE006 report more cells than a screen|SELECT qe_sitting_report('mine', 0, %c2000, %a2000)
pupil QE006 report a cell that is no GBK|SELECT qe_sitting_report('mine', 0, ARRAY['zz'],
  ARRAY['z'])
ghost-pupil 42501 report cells as no account|SELECT qe_sitting_report('mine', 0, '{}', '{}')
pupil QE006 keep the refusal of a uid beyond its size|SELECT qe_refuse_kept_result(repeat('u', 65),
  'x')
ghost-pupil 42501 keep a refusal as no account|SELECT qe_refuse_kept_result('mine', 'x')
pupil QE006 report a label beyond its size|SELECT qe_report_progress(1, 112, NULL,
  repeat('x', 2000), 0, 0, 0, 0, 0, 0, 0)
ghost-pupil 42501 report progress as no account|SELECT qe_report_progress(0, 0, NULL, '', 0, 0, 0,
  0, 0, 0, 0))"_s.replace(u"\n  "_s, u" "_s)
                                  .replace(u"%p112 "_s, p112)
                                  .replace(u"%s112"_s, s112)
                                  .replace(u"%timeouts "_s, timeouts);
        for (int lab = 0; lab < 2; ++lab) {
            for (const QString& line : table.split(u'\n', Qt::SkipEmptyParts)) {
                // "who=expected,who=expected what": one row for each.
                const QStringList head = line.section(u'|', 0, 0).split(u' ');
                const bool bEach = head[0].contains(u'=');
                const QString what = head.mid(bEach ? 1 : 2).join(u' ');
                for (const QString& each :
                     bEach ? head[0].split(u',') : QStringList{head[0] + u'=' + head[1]})
                    QTest::addRow("%s as %s%s", qPrintable(what),
                                  qPrintable(each.section(u'=', 0, 0)),
                                  lab ? ", upgraded from version 5" : "")
                        << lab << each.section(u'=', 0, 0) << each.section(u'=', 1)
                        << line.section(u'|', 1);
            }
        }
    }
    void attack()
    {
        QFETCH(int, lab);
        QFETCH(QString, who);
        QFETCH(QString, expected);
        QFETCH(QString, sql);
        CLab& at = *m_labs[lab];
        const QString open = u"UPDATE lab_config SET registration_open = %1"_s;
        if (who.endsWith(u'+'))
            at.Owner().Execute(open.arg(1));
        CDaoDatabase& attacker = at.As(QString(who).remove(u'+'));
        // Whatever happens is taken back, so that every row meets the same
        // database.
        QSqlQuery(attacker.Connection()).exec(u"BEGIN"_s);
        const CRun run = Run(attacker, at.Expand(sql));
        QSqlQuery(attacker.Connection()).exec(u"ROLLBACK"_s);
        at.Owner().Execute(open.arg(0));
        const bool bRuns = expected == "+"_L1 || expected == "-"_L1 || expected == "1"_L1;
        QVERIFY2(run.strState == (bRuns ? QString() : expected),
                 qPrintable(u"%1 instead of %2: %3"_s.arg(
                     run.strState.isEmpty() ? u"it ran"_s : run.strState,
                     bRuns ? u"a run"_s : expected, run.strError)));
        if (expected == "-"_L1)
            QCOMPARE(run.nRows, 0);
        if (expected == "1"_L1)
            QVERIFY(run.nRows >= 1);
    }

    // Who may do what to each table and function, as the server grants it:
    // nothing written by the lab machines or a pupil but through functions,
    // no function of ours open to a role outside the lab.
    void rights_data() { Labs(); }
    void rights()
    {
        CLab& lab = Lab();
        CDaoDatabase& owner = lab.Owner();
        owner.Execute(u"CREATE ROLE %1_outsider"_s.arg(lab.strPrefix));
        QStringList granted;
        for (const QString& who : {u"outsider"_s, u"lab"_s, u"pupil"_s, u"teacher"_s}) {
            QSqlQuery query(owner.Connection());
            QVERIFY(query.exec(
                u"SELECT r FROM (SELECT p || ' ' || string_agg(relname, ' ' ORDER BY relname) "
                "FROM (SELECT c.relname, string_agg(p, ' ' ORDER BY p) AS p FROM pg_class c "
                "CROSS JOIN unnest(ARRAY['SELECT', 'INSERT', 'UPDATE', 'DELETE', 'TRUNCATE']) p "
                "WHERE c.relnamespace = current_schema()::regnamespace AND c.relkind = 'r' "
                "AND CASE WHEN p IN ('DELETE', 'TRUNCATE') "
                "THEN has_table_privilege('%1', c.oid, p) "
                "ELSE has_any_column_privilege('%1', c.oid, p) END "
                "GROUP BY c.relname) t GROUP BY p UNION ALL "
                "SELECT 'EXECUTE ' || string_agg(proname, ' ' ORDER BY proname) FROM pg_proc "
                "WHERE pronamespace = current_schema()::regnamespace "
                "AND has_function_privilege('%1', oid, 'EXECUTE') UNION ALL "
                "SELECT 'CONNECT TEMPORARY USAGE CREATE ' || "
                "has_database_privilege('%1', current_database(), 'CONNECT') || ' ' || "
                "has_database_privilege('%1', current_database(), 'TEMPORARY') || ' ' || "
                "has_schema_privilege('%1', current_schema(), 'USAGE') || ' ' || "
                "has_schema_privilege('%1', current_schema(), 'CREATE')) u(r) "
                "ORDER BY r COLLATE \"C\""_s.arg(lab.Role(who))));
            while (query.next())
                granted << who + u": "_s + query.value(0).toString();
        }
        owner.Execute(u"DROP ROLE %1_outsider"_s.arg(lab.strPrefix));
        QCOMPARE(granted.join(u'\n'), Rights);
    }

    // A score is the account's that stored it, by key: a teacher's rename
    // moves nothing, and a pupil clears their own rows alone, whatever
    // name they carry now.
    void scoresFollowTheKey_data() { Labs(); }
    void scoresFollowTheKey()
    {
        CLab& lab = Lab();
        CDaoDatabase& owner = lab.Owner();
        owner.Execute(u"UPDATE \"user\" SET name = '李华2' WHERE name = '李华'"_s);
        owner.Execute(u"UPDATE \"user\" SET name = '李华' WHERE name = '王明'"_s);
        const auto rows = [&owner](qint64 key) {
            return Must(owner, u"SELECT count(*) FROM score_owner WHERE user_key = %1"_s.arg(key))
                .toInt();
        };
        const int others = rows(lab.nOther);
        QCOMPARE(Must(lab.As(u"pupil"_s), u"SELECT qe_clear_my_scores(9223372036854775807, 5000)"_s)
                     .toInt(),
                 1);
        QCOMPARE(rows(lab.nPupil), 0);
        QCOMPARE(rows(lab.nOther), others);
        QVERIFY(others > 0);
        owner.Execute(u"UPDATE \"user\" SET name = '王明' WHERE qe_key = %1"_s.arg(lab.nOther));
        owner.Execute(u"UPDATE \"user\" SET name = '李华' WHERE qe_key = %1"_s.arg(lab.nPupil));
    }

    // A practice is timed by the server from its begin at the space bar: a
    // store claiming more time than passed since then is held to the
    // server's (and refused as faster than a person types when that is
    // short), the begin is closed by its store, and a store without one
    // counts for no lesson or assignment (checked = 0); the server's clock
    // keeps its time zone, whatever the session sets.
    void practicesAreTimedByTheServer_data() { Labs(); }
    void practicesAreTimedByTheServer()
    {
        CLab& lab = Lab();
        CDaoDatabase& pupil = lab.As(u"third"_s);
        QStringList stored;
        const auto store = [&](int cells) {
            lab.Owner().Execute(u"UPDATE pupil_clock SET last_end = NULL"_s);
            const CRun run = Run(pupil, lab.Expand(u"SELECT attempt_id FROM qe_store_practice(112, "
                                                   "%c%1, %a%1, %c%1, %a%1, 60, 60000, 0, 1, 'x', "
                                                   "'', 0, 0, 0, 0, -1, -1)"_s.arg(cells)));
            stored << (run.strState.isEmpty()
                           ? Must(lab.Owner(), u"SELECT (elapsed_ms / 1000)::text || 's/' || "
                                               "checked FROM attempt WHERE id = %1"_s.arg(
                                                   run.value.toLongLong()))
                                 .toString()
                           : run.strState);
        };
        Must(pupil, u"SELECT qe_begin_attempt()"_s);
        lab.Owner().Execute(u"UPDATE pupil_clock SET begun_at = begun_at - interval '10 s'"_s);
        // Begun 10 s ago, "a minute" of 140 cells is too fast and one of 100
        // is 10 s; after it no begin is open.
        for (int cells : {140, 100, 100})
            store(cells);
        // A session moved across the date line between the begin and the
        // store gains no day on the server's clock.
        for (const QString& sql : {u"SET TimeZone = 'Etc/GMT+12'"_s, u"SELECT qe_begin_attempt()"_s,
                                   u"SET TimeZone = 'Etc/GMT-14'"_s})
            Must(pupil, sql);
        store(100);
        Must(pupil, u"RESET TimeZone"_s);
        // The 10-s screen, at 600 characters a minute, is above the class's
        // plausible speed: stored, and in doubt (checked = 2).
        QCOMPARE(stored, (QStringList{u"QE201"_s, u"10s/2"_s, u"60s/0"_s, u"QE201"_s}));
    }

    // A silence the server shared with every sitting (its own stall: no
    // report arrived from anybody while it lasted) flags none of those that
    // ran across it; a pupil silent while another's reports arrived is
    // flagged as before.
    void aStallOfTheServerFlagsNobody_data() { Labs(); }
    void aStallOfTheServerFlagsNobody()
    {
        CLab& lab = Lab();
        QStringList flags; // "mine|theirs" of each pair
        for (const bool bStall : {true, false}) {
            const qint64 exam = lab.AddExam(u"一班"_s, 5);
            const QString mine = u"mine-%1"_s.arg(exam), theirs = u"theirs-%1"_s.arg(exam);
            for (const auto& [who, uid] :
                 {std::pair{u"pupil"_s, mine}, std::pair{u"other"_s, theirs}}) {
                Must(lab.As(who),
                     u"SELECT started_at FROM qe_start_sitting(%1, '%2')"_s.arg(exam).arg(uid));
                Pass(lab, uid, 20);
            }
            // Nobody else reported meanwhile; or the other's report came 10 s ago.
            lab.Owner().Execute(u"UPDATE exam_sitting SET recent_reports = CASE WHEN uid = '%1' "
                                "AND %2 THEN ARRAY[LOCALTIMESTAMP(3) - interval '10 s'] "
                                "ELSE '{}' END"_s.arg(theirs, bStall ? u"false"_s : u"true"_s));
            for (const auto& [who, uid] :
                 {std::pair{u"pupil"_s, mine}, std::pair{u"other"_s, theirs}})
                Must(lab.As(who), u"SELECT qe_sitting_report('%1', 0, %2, %3)"_s.arg(
                                      uid, Cells(0, 10, false), Cells(0, 10, true)));
            flags << Must(lab.Owner(), u"SELECT string_agg(coalesce(flag_reason, ''), '|' ORDER BY "
                                       "uid) FROM exam_sitting WHERE exam_id = %1"_s.arg(exam))
                         .toString();
            lab.Owner().Execute(
                u"UPDATE exam_sitting SET finished = 2 WHERE exam_id = %1"_s.arg(exam));
        }
        QCOMPARE(flags, (QStringList{u"|"_s, u"服务器有20秒没有收到打字内容|"_s}));
    }

    // After a stall the program's report held back meanwhile arrives, and
    // right behind it the next with what was typed since: those cells were
    // typed since the report before, not in the moment between the two. A
    // burst with no such time behind it is still too fast.
    void aBurstAfterAStallIsTypedOverTheStall_data() { Labs(); }
    void aBurstAfterAStallIsTypedOverTheStall()
    {
        CLab& lab = Lab();
        const QString uid = Start(lab, 2, 3, 3);
        Pass(lab, uid, 10);
        Report(lab, uid, 30, 10);
        Report(lab, uid, 40, 62);
        const auto reason = [&lab, &uid] {
            return Must(
                       lab.Owner(),
                       u"SELECT coalesce(flag_reason, '') FROM exam_sitting WHERE uid = '%1'"_s.arg(
                           uid))
                .toString();
        };
        QCOMPARE(reason(), QString());
        Report(lab, uid, 102, 1);
        Report(lab, uid, 103, 60);
        QCOMPARE(reason(), u"0秒内收到60个字,超出常人的速度"_s);
    }

    // An exam is scored from the cells the server saw arrive on its own
    // clock. A result with nothing seen before it, or more than a person
    // types since the start, is stored 可疑 with the reason; the keys the
    // program counted are bounded by what the cells allow.
    void examIsScoredFromWhatTheServerSaw_data() { Labs(); }
    void examIsScoredFromWhatTheServerSaw()
    {
        CLab& lab = Lab();
        // The first 300 cells of the screen sent 58 s after the start.
        QString uid = Start(lab, 1);
        Pass(lab, uid, 58);
        QCOMPARE(Finish(lab, uid, 300).mid(1), (QStringList{u"服务器有58秒没有收到打字内容"_s,
                                                            u"300"_s, u"300"_s, u"1"_s, u"0"_s}));
        // 1,200 cells 2 s after the start of a 2-minute exam, with key
        // presses no program counts.
        uid = Start(lab, 2);
        Pass(lab, uid, 2);
        const QStringList outcome = Finish(lab, uid, 1200, -1, u"2147483647, -5"_s);
        QCOMPARE(outcome.value(4), u"1"_s);
        QVERIFY2(outcome.value(1).contains(u"1200个字"_s), qPrintable(outcome.value(1)));
        // 20 a second over the time the server counted (2 s and what the
        // run itself took), at the most.
        QCOMPARE(Must(lab.Owner(), u"SELECT (a.key_presses = 20 * (s.elapsed_ms / 1000 + 1) AND "
                                   "s.elapsed_ms >= 2000)::text || '|' || a.backspace_presses "
                                   "FROM attempt a JOIN exam_sitting s ON s.attempt_id = a.id "
                                   "WHERE s.uid = '%1'"_s.arg(uid))
                     .toString(),
                 u"true|0"_s);
        // Typed as a person types, reported as the program reports; one
        // sitting at a time, and none after it where no retake is.
        uid = Start(lab, 1, 5, 2);
        const QString again =
            u"SELECT started_at FROM qe_start_sitting(%1, 'again')"_s.arg(uid.mid(1));
        QCOMPARE(Run(lab.As(u"pupil"_s), again).strState, u"QE104"_s);
        Pass(lab, uid, 1);
        QCOMPARE(Finish(lab, uid, 55, 3),
                 (QStringList{u"stored"_s, QString(), u"55"_s, u"54"_s, u"0"_s, u"0"_s}));
        QCOMPARE(Run(lab.As(u"pupil"_s), again).strState, u"QE103"_s);
        // A result kept on the pupil's machine adds only what the server did not
        // see, for the account's own sitting: one that rewrites what the server
        // saw, or holds more than the time left allowed, is refused and the
        // refusal kept for the teacher; another pupil's sitting stays as it was.
        const auto refusals = [&lab] {
            return Must(lab.Owner(), u"SELECT count(*) FROM exam_refusal"_s).toInt();
        };
        const int before = refusals();
        uid = Start(lab, 1, 10);
        Pass(lab, uid, 120);
        QCOMPARE(Finish(lab, uid, 100, 5).mid(0, 2),
                 (QStringList{u"refused"_s, u"成绩与考试时收到的内容不符"_s}));
        QCOMPARE(Finish(lab, uid, 1288).mid(0, 2),
                 (QStringList{u"refused"_s, u"补交的成绩比考试剩下的时间里能打的还多"_s}));
        QCOMPARE(Finish(lab, uid, 130),
                 (QStringList{u"stored"_s, u"有30个字是考试结束后补交的,考试时服务器没有收到"_s,
                              u"130"_s, u"130"_s, u"1"_s, u"1"_s}));
        // Another's sitting is refused, named as theirs, and leaves theirs be.
        QCOMPARE(Finish(lab, lab.strOtherSitting, 300).mid(0, 2),
                 (QStringList{u"anothers"_s, QString::number(lab.nOther)}));
        QCOMPARE(Must(lab.Owner(), u"SELECT typed_units FROM exam_sitting WHERE uid = '%1'"_s.arg(
                                       lab.strOtherSitting))
                     .toInt(),
                 10);
        // Reports that overrun the screen, skip cells or drop cells the
        // server holds are not taken; the first is the sitting's doubt.
        uid = Start(lab, 1, 10);
        for (const auto& [from, n] : {std::pair{100, 1200}, std::pair{200, 1}, std::pair{0, 50}})
            QCOMPARE(Report(lab, uid, from, n), 100);
        QCOMPARE(
            Must(lab.Owner(), u"SELECT flag_reason FROM exam_sitting WHERE uid = '%1'"_s.arg(uid))
                .toString(),
            u"成绩中打入的字比考试的屏幕还多"_s);
        // An argument beyond its size is refused before anything is kept.
        for (int i = 0; i < 3; ++i)
            QCOMPARE(Finish(lab, QString(65536, u'u'), 1).value(0), u"QE006"_s);
        QCOMPARE(refusals(), before + 3);
    }

    // A result above the class's plausible speed (the default of its
    // school year, or the teacher's setting) is kept in doubt, its score
    // marked, until a teacher confirms it: a practice and an exam streamed
    // at 780 characters a minute alike.
    void aResultAboveTheClassSpeedWaitsForATeacher_data() { Labs(); }
    void aResultAboveTheClassSpeedWaitsForATeacher()
    {
        CLab& lab = Lab();
        CDaoDatabase& owner = lab.Owner();
        QCOMPARE(Must(owner, u"SELECT string_agg(coalesce(qe_school_year(c)::text, '-'), ' ') "
                             "FROM unnest(ARRAY['一年级1班', '三年级(2)班', '十一年级', '初二3班', "
                             "'高三', '2019级', '七年级', '十年级']) c"_s)
                     .toString(),
                 u"1 3 11 8 12 - 7 10"_s);
        const QString third = u"UPDATE \"user\" SET class = '%1' WHERE qe_key = %2"_s;
        owner.Execute(third.arg(u"三年级二班"_s).arg(lab.nThird));
        CDaoDatabase& pupil = lab.As(u"third"_s);
        // 100 cells in 30 s: 200 a minute, above a third year's 180.
        const auto store = [&] {
            owner.Execute(u"UPDATE pupil_clock SET last_end = NULL"_s);
            Must(pupil, u"SELECT qe_begin_attempt()"_s);
            owner.Execute(u"UPDATE pupil_clock SET begun_at = begun_at - interval '30 s'"_s);
            return Must(pupil, lab.Expand(u"SELECT attempt_id FROM qe_store_practice(112, %c100, "
                                          "%a100, %c100, %a100, 30, 30000, 0, 1, 'x', '', 0, 0, "
                                          "0, 0, -1, -1)"_s))
                .toLongLong();
        };
        const auto state = [&](qint64 attempt) {
            return Must(owner, u"SELECT checked || ' ' || coalesce(doubt, '') || ' ' || EXISTS "
                               "(SELECT 1 FROM score_doubt d WHERE d.score_key = a.score_key) "
                               "FROM attempt a WHERE id = %1"_s.arg(attempt))
                .toString();
        };
        const QString doubt = u"每分钟200个字符,超过本班的可信速度(每分钟180个字符)"_s;
        const qint64 fast = store();
        QCOMPARE(state(fast), u"2 %1 true"_s.arg(doubt));
        CDaoDatabase& teacher = lab.As(u"teacher"_s);
        QCOMPARE(Must(teacher, u"SELECT qe_confirm_result(%1)"_s.arg(fast)).toInt(), 1);
        QCOMPARE(state(fast), u"1 %1 false"_s.arg(doubt));
        Must(teacher, u"INSERT INTO class_speed VALUES ('三年级二班', 50, 250) "
                      "ON CONFLICT (class_name) DO UPDATE SET others_per_minute = 250"_s);
        QCOMPARE(state(store()), u"1  false"_s);
        owner.Execute(third.arg(u"一班"_s).arg(lab.nThird));

        // 13 cells a second for a minute, as the program reports them.
        const QString uid = Start(lab, 1);
        for (int i = 0; i < 60; ++i) {
            Pass(lab, uid, 1);
            Report(lab, uid, i * 13, 13);
        }
        QCOMPARE(
            Finish(lab, uid, 780).mid(0, 2),
            (QStringList{u"stored"_s, u"每分钟780个字符,超过本班的可信速度(每分钟500个字符)"_s}));
        QCOMPARE(Must(owner, u"SELECT a.checked || ' ' || s.flagged FROM attempt a JOIN "
                             "exam_sitting s ON s.attempt_id = a.id WHERE s.uid = '%1'"_s.arg(uid))
                     .toString(),
                 u"2 1"_s);
    }

    // No lock a pupil or the lab machines can take holds anybody else: the
    // advisory locks of older versions are nothing to the functions now, a
    // pupil's open transaction holds no other pupil's start, and a name
    // being registered elsewhere is refused at once instead of waited for.
    void nothingWaitsForAPupilsLock_data() { Labs(); }
    void nothingWaitsForAPupilsLock()
    {
        CLab& lab = Lab();
        CDaoDatabase& attacker = lab.As(u"pupil"_s);
        Must(attacker,
             u"SELECT pg_advisory_lock(hashtext('qe sitting %1')), "
             "pg_advisory_lock(hashtext('qe accounts ' || current_database()))"_s.arg(lab.nOther));
        lab.Owner().Execute(u"UPDATE lab_config SET registration_open = 1"_s);
        const qint64 exam = lab.AddExam(u"一班"_s, 1);
        Must(attacker, u"BEGIN"_s);
        Must(attacker, u"SELECT started_at FROM qe_start_sitting(%1, 'held')"_s.arg(exam));
        CDaoDatabase& squatter = lab.As(u"lab"_s);
        Must(squatter, u"BEGIN"_s);
        Must(squatter, lab.Expand(u"SELECT qe_register('抢注', '一班', '010', %h)"_s));
        CDaoDatabase& teacher = lab.As(u"teacher"_s);
        Must(teacher, u"BEGIN"_s);
        Must(teacher, lab.Expand(u"SELECT qe_add_super_user('新老师', %h)"_s));

        auto [registering, state] = lab.Connect(u"lab"_s);
        QVERIFY(registering);
        for (CDaoDatabase* victim : {&lab.As(u"other"_s), registering.get(), &lab.Owner()})
            Must(*victim, u"SET lock_timeout = '2s'"_s);
        Must(lab.As(u"other"_s),
             u"SELECT started_at FROM qe_start_sitting(%1, 'not-held')"_s.arg(exam));
        Must(*registering, lab.Expand(u"SELECT qe_register('又一个', '一班', '011', %h)"_s));
        Must(lab.Owner(), lab.Expand(u"SELECT qe_add_pupils(ARRAY['新来的'], ARRAY['一班'], "
                                     "ARRAY['013'], ARRAY[%h])"_s));
        for (const auto& [session, busy] :
             {std::pair{registering.get(), u"SELECT qe_register('抢注', '一班', '012', %h)"_s},
              std::pair{&lab.Owner(), u"SELECT qe_add_pupils(ARRAY['抢注'], ARRAY['一班'], "
                                      "ARRAY['014'], ARRAY[%h])"_s},
              std::pair{&lab.Owner(), u"SELECT qe_add_super_user('新老师', %h)"_s}})
            QCOMPARE(Run(*session, lab.Expand(busy)).strState, u"QE005"_s);
        Must(teacher, u"ROLLBACK"_s);
        Must(attacker, u"ROLLBACK"_s);
        Must(attacker, u"SELECT pg_advisory_unlock_all()"_s);
        Must(squatter, u"ROLLBACK"_s);
        Must(lab.Owner(), u"SET lock_timeout = 0"_s);
        lab.Owner().Execute(u"UPDATE lab_config SET registration_open = 0"_s);
        lab.Owner().Execute(u"DELETE FROM \"user\" WHERE name IN ('又一个', '新来的')"_s);
    }

    // While registration is open one machine's line makes at most five
    // accounts a minute; another machine registers all the same.
    void registrationIsLimitedPerLine_data() { Labs(); }
    void registrationIsLimitedPerLine()
    {
        CLab& lab = Lab();
        lab.Owner().Execute(u"UPDATE lab_config SET registration_open = 1"_s);
        lab.Owner().Execute(u"DELETE FROM lab_registration"_s);
        const auto registering = [&lab](CDaoDatabase& line, int n) {
            return Run(line, lab.Expand(u"SELECT user_key FROM qe_register('注册%1', '一班', "
                                        "'02%1', %h)"_s.arg(n)))
                .strState;
        };
        CDaoDatabase other;
        other.Open(ServerAccounts::IssueLabLine(lab.Owner(), u"pc-03"_s));
        QStringList states;
        for (int n = 0; n < 6; ++n)
            states << registering(lab.As(u"lab"_s), n);
        states << registering(other, 6);
        lab.Owner().Execute(
            u"UPDATE lab_registration SET registered_at = registered_at - interval '61 s'"_s);
        states << registering(lab.As(u"lab"_s), 7);
        QCOMPARE(states.join(u','), u",,,,,QE007,,"_s);
        lab.Owner().Execute(u"UPDATE lab_config SET registration_open = 0"_s);
        lab.Owner().Execute(u"DELETE FROM \"user\" WHERE name LIKE '注册_'"_s);
    }

    // The lab's roles run with connection limits that leave the teachers'
    // connections free: a pupil's fifth connection and a machine's third
    // are refused (their timeouts: attack()). A wrong password is answered
    // only after the server's auth_delay, which slows guessing.
    void limitsOfTheLabsRoles_data() { Labs(); }
    void limitsOfTheLabsRoles()
    {
        CLab& lab = Lab();
        const int delay =
            Must(lab.Owner(),
                 u"SELECT setting FROM pg_settings WHERE name = 'auth_delay.milliseconds'"_s)
                .toInt();
        QVERIFY2(delay > 0, "the server does not load auth_delay");
        // The server's sleep ends early when another database is made or
        // dropped meanwhile (a signal to every session, as the other suites
        // running beside this one send, often): up to ten guesses, until one
        // is answered after the whole delay, and at least one after half of
        // it. Without the delay a wrong password is refused in milliseconds.
        qint64 longest = 0;
        for (int i = 0; i < 10 && longest < delay; ++i) {
            QElapsedTimer guess;
            guess.start();
            QVERIFY(!lab.Connect(u"pupil"_s, u"qe:123456"_s).first);
            longest = std::max(longest, guess.elapsed());
        }
        QVERIFY2(longest >= delay / 2, qPrintable(u"%1 ms"_s.arg(longest)));
        for (const auto& [who, limit] : {std::pair{u"pupil"_s, 4}, std::pair{u"lab"_s, 2}}) {
            std::vector<std::unique_ptr<CDaoDatabase>> held;
            QString refusal;
            while (refusal.isEmpty() && held.size() < 20) {
                auto [session, state] = lab.Connect(who);
                refusal = state;
                if (session)
                    held.push_back(std::move(session));
            }
            QCOMPARE(refusal, u"53300"_s);
            QCOMPARE(lab.Sessions(who), limit);
        }
    }

    // Each machine has a line of its own. What a pupil does with one
    // machine's line (its password, its settings, all its connections)
    // leaves the other machines logging in, and the program's sessions run
    // with its own timeouts whatever the role sets. The shared line of
    // before logs in no more; giving a line again ends its sessions, as the
    // upgrade ends the lab's and the pupils'.
    void aLineForEachMachine_data() { Labs(); }
    void aLineForEachMachine()
    {
        CLab& lab = Lab();
        const QString second = ServerAccounts::IssueLabLine(lab.Owner(), u" PC-02 "_s);
        QCOMPARE(QUrl(second).userName(), lab.strPrefix + u"_lab_pc-02"_s);
        QString refused;
        auto spoiler = OpenAt(second, &refused);
        QVERIFY2(spoiler, qPrintable(refused));
        // Over TLS, the server's certificate and name checked, the login
        // bound to the channel; plain only where the owner asked for it.
        QVERIFY(second.contains("sslmode=verify-full&channel_binding=require"_L1));
        QCOMPARE(Must(*spoiler, u"SELECT ssl FROM pg_stat_ssl WHERE pid = pg_backend_pid()"_s),
                 QVariant(true));
        QCOMPARE(ServerAccounts::WithTls(u"postgresql://o@h/qe?sslmode=disable"_s),
                 u"postgresql://o@h/qe?sslmode=disable"_s);
        QCOMPARE(Run(*spoiler, u"ALTER ROLE CURRENT_USER CONNECTION LIMIT 50"_s).strState,
                 u"42501"_s);
        // What PostgreSQL lets any role do to itself.
        Must(*spoiler, u"ALTER ROLE CURRENT_USER SET statement_timeout = '20ms'"_s);
        Must(*spoiler, u"ALTER ROLE CURRENT_USER SET lock_timeout = 0"_s);
        Must(*spoiler, u"ALTER ROLE CURRENT_USER SET default_transaction_read_only = on"_s);
        auto held = OpenAt(second);
        QVERIFY(held && !OpenAt(second, &refused));
        QVERIFY(refused.contains("too many connections for role"_L1));
        QCOMPARE(Run(*held, u"SELECT pg_sleep(0.1)"_s).strState, u"57014"_s);
        held.reset();
        auto program =
            OpenAt(CDaoDatabase::WithSessionSettings(second, ServerAccounts::LabLineSettings()));
        QCOMPARE(Run(*program, u"SELECT pg_sleep(0.1)"_s).strState, u""_s);
        QCOMPARE(Must(*program, u"SHOW lock_timeout"_s).toString(), u"5s"_s);
        program.reset();
        Must(*spoiler, u"ALTER ROLE CURRENT_USER PASSWORD 'x'"_s);
        QVERIFY(!OpenAt(second));
        // The other machine logs in, and so do its pupils, with the lab's
        // timeouts whatever a pupil set on their own role.
        Must(lab.As(u"pupil"_s), u"ALTER ROLE CURRENT_USER SET statement_timeout = 0"_s);
        auto other = OpenAt(lab.LabAddress());
        QVERIFY(other && Accounts::SignIn(*other, false, lab.nPupil, {}, u"pw"_s));
        QCOMPARE(Must(*other, u"SHOW statement_timeout"_s).toString(), u"30s"_s);
        RefreshLab(lab.Owner(), LessonSteps());
        // The shared line of before.
        QCOMPARE(
            Must(lab.Owner(),
                 u"SELECT rolcanlogin FROM pg_roles WHERE rolname = '%1_lab'"_s.arg(lab.strPrefix)),
            QVariant(false));

        // Given again: a new password, the settings gone, the spoiler's
        // session ended.
        auto renewed = OpenAt(ServerAccounts::IssueLabLine(lab.Owner(), u"pc-02"_s));
        QVERIFY(Run(*spoiler, u"SELECT 1"_s).strState != u""_s);
        QCOMPARE(Run(*renewed, u"SELECT pg_sleep(0.1)"_s).strState, u""_s);
        QCOMPARE(Must(*renewed, u"SHOW default_transaction_read_only"_s).toString(), u"off"_s);
        for (const QString& bad : {u"'pc_1', %1"_s.arg(Verifier), u"'pc9', 'plain'"_s})
            QCOMPARE(Run(lab.Owner(), u"SELECT qe_issue_lab_line(%1)"_s.arg(bad)).strState,
                     u"QE001"_s);

        // The upgrade's first step: the lab's and the pupils' sessions end
        // (a pupil's open transaction among them), a teacher's stays, and
        // the owner keeps no membership it took for it.
        CDaoDatabase& pupil = lab.As(u"pupil"_s);
        Must(pupil, u"BEGIN"_s);
        Must(pupil, u"SELECT count(*) FROM score_owner"_s);
        lab.As(u"teacher"_s);
        const QString ofTheLab =
            u"FROM pg_stat_activity WHERE usename ~ '^%1_(u_[0-9]+|lab_.+)$'"_s.arg(lab.strPrefix);
        const int before = Must(lab.Owner(), u"SELECT count(*) "_s + ofTheLab).toInt();
        QVERIFY(before >= 3);
        QCOMPARE(ServerAccounts::EndLabSessions(lab.Owner()), before);
        QCOMPARE(Must(lab.Owner(), u"SELECT count(*) "_s + ofTheLab).toInt(), 0);
        QCOMPARE(lab.Sessions(u"teacher"_s), 1);
        QVERIFY(Run(pupil, u"SELECT 1"_s).strState != u""_s);
        for (const QString& who : {u"pupil"_s, u"other"_s, u"third"_s, u"lab"_s})
            lab.Forget(who);
        QCOMPARE(Must(lab.Owner(), u"SELECT count(*) FROM pg_auth_members m JOIN pg_roles r "
                                   "ON r.oid = m.member WHERE r.rolname = current_user"_s)
                     .toInt(),
                 0);
    }

    // The teacher's class list and reset leave in the file a salted hash the
    // login accepts, never the password (as registration, a new super user
    // and a pupil's own change do in the registration's and accounts' suites).
    void noPasswordInAFile()
    {
        if (qEnvironmentVariable("QE_TEST_ENGINE") == "postgresql"_L1)
            QSKIP("a file's passwords");
        CTestDatabase fixture;
        CDaoDatabase& db = *fixture.Database();
        const QList<qint64> listed =
            PupilStore::AddAll(db, {CPupil{0, u"王芳"_s, u"一班"_s, u"2"_s, u"Secret3"_s},
                                    CPupil{0, u"张伟"_s, u"一班"_s, u"3"_s, u"Secret4"_s}});
        PupilStore::SetPassword(db, listed[1], u"Secret5"_s);
        fixture.CompareAccounts(u"user"_s,
                                {{u"王芳"_s, u"一班"_s, u"2"_s, u"Secret3"_s, u"普通用户"_s},
                                 {u"张伟"_s, u"一班"_s, u"3"_s, u"Secret5"_s, u"普通用户"_s}});
        QVERIFY(!fixture.Accepts(listed[1], u"Secret4"_s));
        // Two hashes of one password differ: each has its own salt.
        QVERIFY(Accounts::StoredPassword(u"pw"_s) != Accounts::StoredPassword(u"pw"_s));
    }

private:
    // The two labs as rows: made by qe --create-database and upgraded from version 5.
    static void Labs()
    {
        QTest::addColumn<int>("lab");
        QTest::newRow("new") << 0;
        QTest::newRow("upgraded from version 5") << 1;
    }
    CLab& Lab() { return *m_labs[QByteArray(QTest::currentDataTag()) != "new"]; }

    static const QString Rights;
    std::unique_ptr<CLab> m_labs[2];
};

// The rights of the lab's roles, by role: the tables each may read or
// write (by the rights held on them) and the functions it may call. Everything a pupil or a lab
// machine writes goes through a function; a role outside the lab may call none.
const QString TestTrust::Rights =
    uR"(outsider: CONNECT TEMPORARY USAGE CREATE false false false false
outsider: 
lab: CONNECT TEMPORARY USAGE CREATE true false true false
lab: EXECUTE qe_account_key qe_my_class qe_my_super_key qe_my_user_key qe_owns_attempt qe_register
  qe_role qe_text_in_open_exam
lab: SELECT lab_config practice_text schema_version score score_doubt supperuser user
pupil: CONNECT TEMPORARY USAGE CREATE true false true false
pupil: EXECUTE qe_account_key qe_begin_attempt qe_clear_my_scores qe_finish_sitting qe_leave_progress qe_log_login
  qe_my_class qe_my_super_key qe_my_user_key qe_owns_attempt qe_refuse_kept_result qe_register
  qe_report_progress qe_role qe_sitting_report qe_start_sitting qe_store_detail qe_store_lesson
  qe_store_lesson_keys qe_store_practice qe_text_in_open_exam
pupil: SELECT assignment assignment_class attempt attempt_commit attempt_key attempt_mistake
  attempt_text competition course_class daily_goal exam exam_class exam_sitting lab_config lesson_attempt lesson_key
  lesson_miss practice_text schema_version score score_doubt score_owner supperuser user
teacher: CONNECT TEMPORARY USAGE CREATE true false true false
teacher: DELETE INSERT SELECT UPDATE assignment assignment_class class_speed competition
  course_class daily_goal exam exam_class grade_rule practice_text school
teacher: DELETE INSERT SELECT exam_stop
teacher: DELETE SELECT UPDATE exam_sitting score user
teacher: DELETE SELECT exam_refusal loginhistory
teacher: EXECUTE qe_account_key qe_add_pupils qe_add_super_user qe_confirm_result qe_log_login
  qe_my_class qe_my_super_key qe_my_user_key qe_owns_attempt qe_plausible_speed qe_register qe_role
  qe_school_year qe_set_pupil_password qe_set_registration qe_text_in_open_exam
teacher: SELECT attempt attempt_commit attempt_key attempt_mistake attempt_text lab_config
  lab_line lesson_attempt lesson_key lesson_miss live_progress schema_version score_doubt score_owner
  supperuser)"_s.replace(u"\n  "_s, u" "_s);

QE_TEST_MAIN(TestTrust)
#include "tst_trust.moc"
