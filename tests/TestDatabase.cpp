#include "tests/TestDatabase.h"

#include "users/Database.h"
#include "users/DatabaseSetup.h"

#include <QCoreApplication>
#include <QFile>
#include <QRandomGenerator>
#include <QUrl>

using namespace Qt::Literals::StringLiterals;

namespace {
// Runs one statement on the cluster's administration database.
void Administer(const QString& adminTarget, const QString& sql)
{
    CDaoDatabase admin;
    admin.Open(adminTarget);
    admin.Execute(sql);
}
} // namespace

CTestDatabase::CTestDatabase(bool bSchema) : m_pDB(std::make_unique<CDaoDatabase>())
{
    if (qEnvironmentVariable("QE_TEST_ENGINE") == "postgresql"_L1) {
        m_strAdminTarget = qEnvironmentVariable("QE_TEST_POSTGRES");
        if (m_strAdminTarget.isEmpty()) {
            qCritical("QE_TEST_ENGINE=postgresql needs QE_TEST_POSTGRES (a postgresql:// URL)");
            throw CDaoException(u"QE_TEST_POSTGRES is not set"_s);
        }
        const QString name = u"qe_test_%1_%2"_s.arg(QCoreApplication::applicationPid())
                                 .arg(QRandomGenerator::global()->generate64(), 0, 16);
        try {
            Administer(m_strAdminTarget, u"CREATE DATABASE %1"_s.arg(name));
        } catch (const CDaoException& e) {
            qCritical("cannot create a test database on %s: %s", qPrintable(m_strAdminTarget),
                      e.what());
            throw;
        }
        QUrl url(m_strAdminTarget);
        url.setPath(u'/' + name);
        m_strTarget = url.toString();
    } else {
        // The layer opens only an existing file; an empty one is an empty database.
        m_strTarget = u"user.mdb"_s;
        QFile::remove(m_strTarget);
        QFile file(m_strTarget);
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            throw CDaoException(u"cannot create user.mdb in the working directory"_s);
    }
    m_pDB->Open(m_strTarget);
    if (bSchema)
        CreateSchema(m_pDB.get());
    CDaoDatabase* db = m_pDB.get();
    SetActiveDatabaseSource([db] { return db; });
}

CTestDatabase::~CTestDatabase()
{
    SetActiveDatabaseSource({});
    m_pDB->Close();
    if (IsPostgres()) {
        const QString name = QUrl(m_strTarget).path().mid(1);
        try {
            Administer(m_strAdminTarget, u"DROP DATABASE IF EXISTS %1 WITH (FORCE)"_s.arg(name));
        } catch (const CDaoException& e) {
            qWarning("cannot drop the test database %s: %s", qPrintable(name), e.what());
        }
    } else {
        QFile::remove(m_strTarget);
        QFile::remove(m_strTarget + u"-journal"_s);
    }
}

bool CTestDatabase::IsPostgres() const
{
    return !m_strAdminTarget.isEmpty();
}

QList<QStringList> CTestDatabase::Rows(const QString& table) const
{
    CDaoRecordset rs(m_pDB.get());
    rs.Open(dbOpenDynaset, u"SELECT * FROM %1"_s.arg(table));
    QList<QStringList> rows;
    for (; !rs.IsEOF(); rs.MoveNext()) {
        QStringList& row = rows.emplace_back();
        for (int i = 0; i < rs.GetFieldCount(); ++i)
            row.append(VariantToText(rs.GetFieldValue(i)));
    }
    return rows;
}

qint64 CTestDatabase::Insert(const QString& table, const QStringList& texts)
{
    CDaoTableDef tableDef(m_pDB.get());
    tableDef.Open(table);
    CDaoRecordset rs(m_pDB.get());
    rs.Open(&tableDef, dbOpenDynaset, dbAppendOnly | dbInconsistent);
    rs.AddNew();
    for (int i = 0; i < texts.size(); ++i)
        rs.SetFieldValue(i, texts[i]);
    rs.Update();
    return rs.GetLastModifiedKey();
}

void CTestDatabase::DropTable(const QString& table)
{
    // SQLite has no CASCADE; with foreign keys on it deletes the rows first.
    m_pDB->Execute(u"DROP TABLE %1%2"_s.arg(table, IsPostgres() ? u" CASCADE"_s : QString()));
}
