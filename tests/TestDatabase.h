#pragma once

#include "platform/Dao.h"
#include "users/DatabaseSteps.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <QTest>

#include <memory>

// A fresh, empty database for one test, with the schema and no rows: a new
// user.mdb in the working directory, or, when QE_TEST_ENGINE=postgresql, a
// new database on the cluster named by QE_TEST_POSTGRES. The object also
// registers it as the active database of the dialogs. Made with
// bSchema = false it has no tables at all (for the tests of creation).
//
// On PostgreSQL the program's connection (Database()) is the lab machines'
// role, as on a lab machine, and the accounts are login roles of their own:
// a test that acts as a pupil or a teacher signs in as that account
// (SignInAs), as the login does. The test's own arrangements and assertions
// go through the schema owner's connection (Admin()), which sees and may do
// everything. On SQLite both are the one file.
class CTestDatabase
{
public:
    explicit CTestDatabase(bool bSchema = true);
    // The schema of an older version, on the owner's session: the database
    // layer's own tests, on the tables without the lab's rights and rules.
    explicit CTestDatabase(int version);
    ~CTestDatabase();

    CDaoDatabase* Database() const { return m_pDB.get(); }
    // The owner's connection (the file's one connection on SQLite).
    CDaoDatabase* Admin() const { return m_pAdmin ? m_pAdmin.get() : m_pDB.get(); }
    QString Target() const { return m_strTarget; }
    // The owner's address of the database (the file on SQLite).
    QString AdminTarget() const;
    bool IsPostgres() const;
    // Makes the engine itself refuse, through db, to delete the rows of
    // table that meet condition (an expression on the row "old").
    void RefuseDeletions(CDaoDatabase* db, const QString& table, const QString& condition) const;

    // Rows of a table as display texts, in key order (for assertions).
    QList<QStringList> Rows(const QString& table) const;
    // Rows of `user` or `supperuser` as a test checks them: the password field
    // empty where it holds no password a person could read (a hash in a
    // file, nothing on a server), and as stored otherwise, so that a plain
    // password shows.
    QList<QStringList> AccountRows(const QString& table) const;
    // Whether the account (the user row, or with bSuper the supperuser row,
    // with key) accepts password, as the login checks it.
    bool Accepts(qint64 key, const QString& password, bool bSuper = false) const;

    // Compares the accounts of `user` or `supperuser` with expected, rows of
    // texts with the passwords in plain: the stored rows without their
    // passwords, and each account accepting its password. Fails the test
    // where they differ.
    void CompareAccounts(const QString& table, const QList<QStringList>& expected) const;

    // Appends a row with the given texts in fields 0, 1, 2, ...; returns its
    // hidden key. A row of `user` or `supperuser` is an account: its password
    // (field 3, or 1) is stored as the program stores it (a hash in a file,
    // the account's own role on a server).
    qint64 Insert(const QString& table, const QStringList& texts);
    // On a server, each score row without an owner goes to the one account
    // with its name and number (as the upgrade to version 11 does).
    void RecordScoreOwners() const;
    // Drops a table, with the constraints of other tables that refer to it.
    void DropTable(const QString& table);

    // The program's session runs as the account (the user row, or with bSuper
    // the supperuser row, with key) and password, as after its login; false
    // when the password is not the account's. Nothing to do on SQLite, where
    // it checks the password.
    bool SignInAs(qint64 key, const QString& password, bool bSuper = false,
                  CDaoDatabase* pSession = nullptr);
    // The same with the password the account was inserted with.
    bool SignInAs(qint64 key, bool bSuper = false, CDaoDatabase* pSession = nullptr);
    // The program's session as the logged-in user of CurrentUser, as after
    // the login: an ordinary user's row (RowKey), or the first super user
    // with the name, each made (password "pw") when the test has none; back
    // to the lab's session for anybody else.
    // pSession: another connection of the program's to this database (the
    // document's own, opened as the program opens it) instead of Database().
    void SignInAsCurrentUser(CDaoDatabase* pSession = nullptr);
    // A super user of the test's own (not in the rows a test arranges before
    // it) logged in: the program's session runs as that teacher.
    void SignInAsTeacher();
    // The program's session as the schema's owner: where a test needs a
    // super user's rights without any super user to sign in as.
    void SignInAsOwner();
    // Back to the lab's session.
    void SignOut();

    // The program's steps that the databases of this suite are made with
    // (none unless set): a suite that needs the server's lessons sets them.
    static void SetSteps(CDatabaseSteps steps);

private:
    std::unique_ptr<CDaoDatabase> m_pDB;
    std::unique_ptr<CDaoDatabase> m_pAdmin;
    QString m_strTarget;
    QString m_strServer;                 // the cluster's administration address (PostgreSQL)
    QString m_strName;                   // the test database's name on the cluster
    QHash<QString, QString> m_passwords; // "u17", "s2": the accounts' passwords as inserted
};

// Drops a database of the cluster at the administration address server,
// with the roles named after it (name_...). Throws CDaoException.
void DropServerDatabase(const QString& server, const QString& name);

// A suite on a fresh database for each test (m_pDatabase), made before the
// test and removed after it; the program's documents open it too. A suite's
// own init() and cleanup() call these first.
class CDatabaseSuite : public QObject
{
    Q_OBJECT
protected slots:
    void init()
    {
        m_pDatabase = std::make_unique<CTestDatabase>();
        CDaoDatabase::SetTarget(m_pDatabase->Target());
    }
    void cleanup()
    {
        CDaoDatabase::SetTarget(QString());
        m_pDatabase.reset();
    }

protected:
    // A pupil of the class with the number and the password "pw"; its key.
    qint64 AddPupil(const QString& name, const QString& className, const QString& number)
    {
        return m_pDatabase->Insert(QStringLiteral("user"),
                                   {name, className, number, QStringLiteral("pw")});
    }
    std::unique_ptr<CTestDatabase> m_pDatabase;
};

// Runs a block of database calls; an escaping exception fails the test with
// the engine's message instead of an anonymous "unhandled exception".
#define QE_DAO(block)                                                                              \
    do {                                                                                           \
        try {                                                                                      \
            block;                                                                                 \
        } catch (const CDaoException& e) {                                                         \
            QFAIL(qPrintable(QStringLiteral("CDaoException: ") + e.GetErrorMessage()));            \
        }                                                                                          \
    } while (false)
