#include "tests/TestDatabase.h"

#include "platform/ScriptedPlatform.h"
#include "users/Accounts.h"
#include "users/CurrentUser.h"
#include "users/Database.h"
#include "users/DatabaseSetup.h"
#include "users/PasswordHash.h"
#include "users/SchemaUpgrade.h"
#include "users/ServerAccounts.h"
#include "users/Session.h"

#include <QCoreApplication>
#include <QFile>
#include <QRandomGenerator>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>

using namespace Qt::Literals::StringLiterals;

namespace {

CDatabaseSteps& SuiteSteps()
{
    static CDatabaseSteps steps;
    return steps;
}
// Runs one statement on the cluster's administration database.
void Administer(const QString& adminTarget, const QString& sql)
{
    CDaoDatabase admin;
    admin.Open(adminTarget);
    admin.Execute(sql);
}

void Run(CDaoDatabase& db, const QString& sql, const QVariantList& values = {})
{
    QSqlQuery query(db.Connection());
    if (!query.prepare(sql))
        throw CDaoException(query.lastError().text());
    for (const QVariant& value : values)
        query.addBindValue(value);
    if (!query.exec())
        throw CDaoException(query.lastError().databaseText());
}

// The password field of an account as a file stores it.
QString StoredPassword(CDaoDatabase& db, qint64 key, bool bSuper)
{
    QSqlQuery query(db.Connection());
    query.prepare(u"SELECT COALESCE(password, '') FROM %1 WHERE qe_key = ?"_s.arg(
        bSuper ? u"supperuser"_s : u"\"user\""_s));
    query.addBindValue(key);
    return query.exec() && query.next() ? query.value(0).toString() : QString();
}
} // namespace

void DropServerDatabase(const QString& server, const QString& name)
{
    CDaoDatabase admin;
    admin.Open(server);
    admin.Execute(u"DROP DATABASE IF EXISTS %1 WITH (FORCE)"_s.arg(name));
    // Its roles are the cluster's; an owner goes last, after the roles it made.
    QSqlQuery query(admin.Connection());
    QStringList roles;
    if (query.exec(u"SELECT rolname FROM pg_roles WHERE rolname LIKE '%1\\_%%' "
                   "ORDER BY rolname = '%1_owner'"_s.arg(name))) {
        while (query.next())
            roles.append(query.value(0).toString());
    }
    query.finish();
    for (const QString& role : std::as_const(roles))
        admin.Execute(u"DROP ROLE IF EXISTS \"%1\""_s.arg(role));
}

void CTestDatabase::SetSteps(CDatabaseSteps steps)
{
    SuiteSteps() = std::move(steps);
}

CTestDatabase::CTestDatabase(bool bSchema) : CTestDatabase(bSchema ? -1 : 0) {}

CTestDatabase::CTestDatabase(int version) : m_pDB(std::make_unique<CDaoDatabase>())
{
    if (qEnvironmentVariable("QE_TEST_ENGINE") == "postgresql"_L1) {
        m_strServer = qEnvironmentVariable("QE_TEST_POSTGRES");
        if (m_strServer.isEmpty()) {
            qCritical("QE_TEST_ENGINE=postgresql needs QE_TEST_POSTGRES (a postgresql:// URL)");
            throw CDaoException(u"QE_TEST_POSTGRES is not set"_s);
        }
        m_strName = u"qe_test_%1_%2"_s.arg(QCoreApplication::applicationPid())
                        .arg(QRandomGenerator::global()->generate64(), 0, 16);
        try {
            Administer(m_strServer, u"CREATE DATABASE %1"_s.arg(m_strName));
        } catch (const CDaoException& e) {
            qCritical("cannot create a test database on %s: %s", qPrintable(m_strServer), e.what());
            throw;
        }
        m_strTarget = AdminTarget();
    } else {
        // The layer opens only an existing file; an empty one is an empty database.
        m_strTarget = u"user.mdb"_s;
        QFile::remove(m_strTarget);
        QFile file(m_strTarget);
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            throw CDaoException(u"cannot create user.mdb in the working directory"_s);
    }
    m_pDB->Open(m_strTarget);
    if (version != 0) {
        const QString labAddress =
            CreateSchema(m_pDB.get(), SuiteSteps(), version < 0 ? 0 : version);
        // The program goes on as a lab machine does; the owner's connection
        // stays for the test's own use.
        if (!labAddress.isEmpty() && version < 0) {
            m_pAdmin = std::move(m_pDB);
            m_pDB = std::make_unique<CDaoDatabase>();
            m_pDB->Open(labAddress);
            m_strTarget = labAddress;
        }
    }
    CDaoDatabase* db = m_pDB.get();
    CSession::Instance().SetDatabaseSource([db] { return db; });
    // A server's clock cannot be set: the begins of the pupils' practices
    // move back as the test's clocks move on (once the begins posted so far
    // have reached the server).
    if (IsPostgres() && m_pAdmin) {
        CScriptedPlatform::TimePasses() = [admin = m_pAdmin.get()](qint64 ms) {
            CSession::Instance().Worker().Wait(10000);
            QSqlQuery shift(admin->Connection());
            if (!shift.exec(u"UPDATE pupil_clock SET begun_at = begun_at - interval '%1 ms' "
                            "WHERE begun_at IS NOT NULL"_s.arg(ms)))
                qWarning("the begins were not moved back: %s",
                         qPrintable(shift.lastError().text()));
        };
    }
}

CTestDatabase::~CTestDatabase()
{
    // What the program left to its background thread is done before the
    // next test's database takes this one's place.
    CSession::Instance().Worker().Finish(10000);
    CScriptedPlatform::TimePasses() = nullptr;
    CSession::Instance().SetDatabaseSource({});
    m_pDB->Close();
    if (m_pAdmin)
        m_pAdmin->Close();
    if (IsPostgres()) {
        try {
            DropServerDatabase(m_strServer, m_strName);
        } catch (const CDaoException& e) {
            qWarning("cannot drop the test database %s: %s", qPrintable(m_strName), e.what());
        }
    } else {
        QFile::remove(m_strTarget);
        QFile::remove(m_strTarget + u"-journal"_s);
    }
}

QString CTestDatabase::AdminTarget() const
{
    if (!IsPostgres())
        return m_strTarget;
    QUrl url(m_strServer);
    url.setPath(u'/' + m_strName);
    return url.toString();
}

bool CTestDatabase::IsPostgres() const
{
    return !m_strServer.isEmpty();
}

void CTestDatabase::RefuseDeletions(CDaoDatabase* db, const QString& table,
                                    const QString& condition) const
{
    if (IsPostgres()) {
        db->Execute(u"CREATE FUNCTION refuse_deletion() RETURNS trigger LANGUAGE plpgsql AS "
                    "$$ BEGIN RAISE EXCEPTION 'row is protected'; END $$"_s);
        db->Execute(u"CREATE TRIGGER protect BEFORE DELETE ON %1 FOR EACH ROW WHEN (%2) "
                    "EXECUTE FUNCTION refuse_deletion()"_s.arg(table, condition));
    } else {
        db->Execute(u"CREATE TRIGGER protect BEFORE DELETE ON %1 WHEN %2 "
                    "BEGIN SELECT RAISE(ABORT, 'row is protected'); END"_s.arg(table, condition));
    }
}

QList<QStringList> CTestDatabase::Rows(const QString& table) const
{
    CDaoRecordset rs(Admin());
    rs.Open(dbOpenDynaset, u"SELECT * FROM %1"_s.arg(table));
    QList<QStringList> rows;
    for (; !rs.IsEOF(); rs.MoveNext()) {
        QStringList& row = rows.emplace_back();
        for (int i = 0; i < rs.GetFieldCount(); ++i)
            row.append(VariantToText(rs.GetFieldValue(i)));
    }
    return rows;
}

QList<QStringList> CTestDatabase::AccountRows(const QString& table) const
{
    const int field = table == "user"_L1 ? 3 : 1;
    QList<QStringList> rows = Rows(table);
    for (QStringList& row : rows) {
        if (field < row.size() && PasswordHash::IsHash(row[field]))
            row[field].clear();
    }
    return rows;
}

bool CTestDatabase::Accepts(qint64 key, const QString& password, bool bSuper) const
{
    if (IsPostgres()) {
        // A login of its own, as a pupil's program makes it.
        CDaoDatabase probe;
        probe.Open(m_strTarget); // the lab's address
        return Accounts::SignIn(probe, bSuper, key, {}, password);
    }
    return PasswordHash::Verify(StoredPassword(*Admin(), key, bSuper), password);
}

void CTestDatabase::CompareAccounts(const QString& table, const QList<QStringList>& expected) const
{
    const bool bSuper = table == "supperuser"_L1;
    const int field = bSuper ? 1 : 3;
    QList<QStringList> plain = expected;
    for (QStringList& row : plain) {
        if (field < row.size())
            row[field].clear();
    }
    QList<QStringList> stored = AccountRows(table);
    for (QStringList& row : stored)
        row = row.mid(0, bSuper ? 2 : 5);
    QCOMPARE(stored, plain);
    QSqlQuery keys(Admin()->Connection());
    QVERIFY(keys.exec(
        u"SELECT qe_key FROM %1 ORDER BY qe_key"_s.arg(bSuper ? u"supperuser"_s : u"\"user\""_s)));
    for (const QStringList& row : expected) {
        QVERIFY(keys.next());
        const qint64 key = keys.value(0).toLongLong();
        if (!Accepts(key, row.value(field), bSuper))
            QFAIL(qPrintable(u"the account %1 does not accept its password \"%2\""_s.arg(
                row.value(0), row.value(field))));
    }
}

qint64 CTestDatabase::Insert(const QString& table, const QStringList& texts)
{
    CDaoDatabase* db = Admin();
    // An account's password is stored as the program stores it.
    const int passwordField = table == "user"_L1 ? 3 : table == "supperuser"_L1 ? 1 : -1;
    const bool bAccount = passwordField >= 0 && m_pAdmin;
    const bool bHashed = passwordField >= 0 && !IsPostgres() && ReadSchemaVersion(*db) >= 6;
    CDaoTableDef tableDef(db);
    tableDef.Open(table);
    CDaoRecordset rs(db);
    rs.Open(&tableDef, dbOpenDynaset, dbAppendOnly | dbInconsistent);
    rs.AddNew();
    for (int i = 0; i < texts.size(); ++i) {
        if (i == passwordField && bAccount)
            continue; // the role's, below
        rs.SetFieldValue(i, i == passwordField && bHashed ? Accounts::StoredPassword(texts[i])
                                                          : texts[i]);
    }
    if (bHashed && texts.size() <= passwordField)
        rs.SetFieldValue(passwordField, Accounts::StoredPassword(QString()));
    rs.Update();
    const qint64 key = rs.GetLastModifiedKey();
    if (passwordField >= 0)
        m_passwords.insert((passwordField == 3 ? u"u%1"_s : u"s%1"_s).arg(key),
                           texts.value(passwordField));
    if (bAccount)
        Run(*db, u"SELECT qe_create_account_role(?, ?, ?)"_s,
            {passwordField == 3 ? u"u"_s : u"s"_s, key,
             ServerAccounts::Verifier(*db, texts.value(passwordField))});
    if (table == "score"_L1 || table == "user"_L1)
        RecordScoreOwners();
    return key;
}

void CTestDatabase::RecordScoreOwners() const
{
    // A server knows whose a score row is by the account's key, recorded as
    // the row is stored; rows a test put in go to the one account with
    // their name and number, as the upgrade gives the rows of before.
    if (IsPostgres() && ReadSchemaVersion(*Admin()) >= 11)
        Run(*Admin(), u"INSERT INTO score_owner (score_key, user_key) "
                      "SELECT s.qe_key, min(u.qe_key) FROM score s JOIN \"user\" u "
                      "ON coalesce(u.name, '') = coalesce(s.name, '') "
                      "AND coalesce(u.student_no, '') = coalesce(s.student_no, '') "
                      "WHERE NOT EXISTS (SELECT 1 FROM score_owner o WHERE o.score_key = s.qe_key) "
                      "GROUP BY s.qe_key HAVING count(*) = 1"_s);
}

void CTestDatabase::DropTable(const QString& table)
{
    // SQLite has no CASCADE; with foreign keys on it deletes the rows first.
    Admin()->Execute(u"DROP TABLE %1%2"_s.arg(table, IsPostgres() ? u" CASCADE"_s : QString()));
}

bool CTestDatabase::SignInAs(qint64 key, const QString& password, bool bSuper,
                             CDaoDatabase* pSession)
{
    const QString stored = IsPostgres() ? QString() : StoredPassword(*Admin(), key, bSuper);
    return Accounts::SignIn(pSession ? *pSession : *m_pDB, bSuper, key, stored, password);
}

bool CTestDatabase::SignInAs(qint64 key, bool bSuper, CDaoDatabase* pSession)
{
    return SignInAs(key, m_passwords.value((bSuper ? u"s%1"_s : u"u%1"_s).arg(key)), bSuper,
                    pSession);
}

void CTestDatabase::SignInAsCurrentUser(CDaoDatabase* pSession)
{
    // A file has no sessions: the program's rights are the file's.
    if (!IsPostgres())
        return;
    CDaoDatabase& admin = *Admin();
    const auto exists = [&admin](const QString& sql, const QVariant& value) {
        QSqlQuery query(admin.Connection());
        query.prepare(sql);
        query.addBindValue(value);
        return query.exec() && query.next() ? query.value(0).toLongLong() : 0;
    };
    bool bDone = false;
    if (CurrentUser.KindCode == UserKind::Ordinary && CurrentUser.RowKey != 0) {
        // A test may name a row key of its own: the account is made with it.
        if (!exists(u"SELECT qe_key FROM \"user\" WHERE qe_key = ?"_s, CurrentUser.RowKey)) {
            const QString password = u"pw"_s;
            Run(admin,
                u"INSERT INTO \"user\" (qe_key, name, class, student_no, kind) "
                "OVERRIDING SYSTEM VALUE VALUES (?, ?, ?, ?, '普通用户')"_s,
                {CurrentUser.RowKey, CurrentUser.Name, CurrentUser.Class, CurrentUser.StudentNo});
            Run(admin, u"SELECT setval(pg_get_serial_sequence('\"user\"', 'qe_key'), "
                       "(SELECT max(qe_key) FROM \"user\"))"_s);
            Run(admin, u"SELECT qe_create_account_role('u', ?, ?)"_s,
                {CurrentUser.RowKey, ServerAccounts::Verifier(admin, password)});
            m_passwords.insert(u"u%1"_s.arg(CurrentUser.RowKey), password);
            RecordScoreOwners();
        }
        bDone = SignInAs(CurrentUser.RowKey, false, pSession);
    } else if (CurrentUser.KindCode == UserKind::Super) {
        qint64 key = exists(u"SELECT qe_key FROM supperuser WHERE name = ? ORDER BY qe_key"_s,
                            CurrentUser.Name);
        if (key == 0)
            key = Insert(u"supperuser"_s, {CurrentUser.Name, u"pw"_s});
        bDone = SignInAs(key, true, pSession);
    } else {
        Accounts::SignOut(pSession ? *pSession : *m_pDB);
        return;
    }
    if (!bDone)
        throw CDaoException(u"the test's current user cannot log in: %1"_s.arg(CurrentUser.Name));
}

void CTestDatabase::SignInAsTeacher()
{
    const qint64 key = Insert(u"supperuser"_s, {u"值班老师"_s, u"t3acher"_s});
    if (!SignInAs(key, u"t3acher"_s, true))
        throw CDaoException(u"the teacher of the test cannot log in"_s);
}

void CTestDatabase::SignInAsOwner()
{
    if (!IsPostgres())
        return;
    const QUrl owner(AdminTarget());
    m_pDB->SignIn(owner.userName(), owner.password());
}

void CTestDatabase::SignOut()
{
    Accounts::SignOut(*m_pDB);
}
