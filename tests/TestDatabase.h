#pragma once

#include "platform/Dao.h"

#include <QString>
#include <QTest>

#include <memory>

// A fresh, empty database for one test, with the schema and no rows: a new
// user.mdb in the working directory, or, when QE_TEST_ENGINE=postgresql, a
// new database on the cluster named by QE_TEST_POSTGRES. The object also
// registers it as the active database of the dialogs. Made with
// bSchema = false it has no tables at all (for the tests of creation).
class CTestDatabase
{
public:
    explicit CTestDatabase(bool bSchema = true);
    ~CTestDatabase();

    CDaoDatabase* Database() const { return m_pDB.get(); }
    QString Target() const { return m_strTarget; }
    bool IsPostgres() const;

    // Rows of a table as display texts, in key order (for assertions).
    QList<QStringList> Rows(const QString& table) const;
    // Appends a row with the given texts in fields 0, 1, 2, ...; returns its
    // hidden key.
    qint64 Insert(const QString& table, const QStringList& texts);
    // Drops a table, with the constraints of other tables that refer to it.
    void DropTable(const QString& table);

private:
    std::unique_ptr<CDaoDatabase> m_pDB;
    QString m_strTarget;
    QString m_strAdminTarget;
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
