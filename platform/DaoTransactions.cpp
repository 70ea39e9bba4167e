// The statements and transactions of a connection; opening, signing in and
// reconnecting are in DaoDatabase.cpp.
#include "platform/Dao.h"

#include "platform/DaoDatabasePrivate.h"
#include "platform/DaoSql.h"

#include <QSqlError>
#include <QSqlQuery>

#include <memory>

using namespace Qt::Literals::StringLiterals;

QSqlQuery& CDaoDatabase::Prepared(const QString& sql) const
{
    auto& query = d->prepared[sql];
    if (!query) {
        auto statement = std::make_unique<QSqlQuery>(Connection());
        statement->setForwardOnly(true);
        if (!statement->prepare(sql))
            DaoSql::Throw(statement->lastError());
        query = std::move(statement);
    }
    return *query;
}

void CDaoDatabase::BeginTrans()
{
    if (!d->bOpen)
        DaoSql::Throw(u"the database is not open"_s);
    if (d->nTransactionDepth == 0) {
        Run([this] {
            QSqlDatabase db = Connection();
            if (d->bPostgres) {
                if (!db.transaction())
                    DaoSql::Throw(db.lastError());
                return;
            }
            // SQLite: the write lock is taken at the start, waiting for other
            // writers as long as the busy timeout. A transaction that read
            // first and wrote later would fail at once instead when another
            // program writes, since waiting could then deadlock.
            QSqlQuery begin(db);
            if (!begin.exec(u"BEGIN IMMEDIATE"_s))
                DaoSql::Throw(begin.lastError());
        });
    }
    ++d->nTransactionDepth;
}

void CDaoDatabase::CommitTrans()
{
    if (d->nTransactionDepth == 0)
        DaoSql::Throw(u"no transaction is open"_s);
    if (d->nTransactionDepth == 1) {
        d->bWindow = false;
        d->windowRows.clear();
        QSqlDatabase db = Connection();
        if (!db.commit()) {
            // SQLite keeps a transaction whose COMMIT failed (another
            // program still reads) open, with its write lock: roll it back,
            // so that nothing stays locked and the next write commits alone.
            const QSqlError error = db.lastError();
            d->nTransactionDepth = 0;
            db.rollback();
            DaoSql::Throw(error);
        }
    }
    --d->nTransactionDepth;
}

void CDaoDatabase::Rollback()
{
    if (d->nTransactionDepth == 0)
        DaoSql::Throw(u"no transaction is open"_s);
    d->nTransactionDepth = 0;
    d->bWindow = false;
    d->windowRows.clear();
    QSqlDatabase db = Connection();
    if (!db.rollback())
        DaoSql::Throw(db.lastError());
}

bool CDaoDatabase::InTransaction() const
{
    return d->nTransactionDepth > 0;
}

void CDaoDatabase::Execute(const QString& sql)
{
    if (!d->bOpen)
        DaoSql::Throw(u"the database is not open"_s);
    EndDeleteWindow();
    d->tables.clear();
    d->prepared.clear(); // a statement of our own may change a table
    Run([this, &sql] {
        QSqlQuery query(Connection());
        if (!query.exec(sql))
            DaoSql::Throw(query.lastError());
    });
}
