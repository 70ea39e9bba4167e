#include "platform/DaoSelection.h"

#include "platform/DaoSql.h"

#include <QSqlError>
#include <QSqlQuery>

#include <algorithm>
#include <limits>

using namespace Qt::Literals::StringLiterals;
using DaoSql::QuoteIdentifier;

namespace {
// Runs a prepared statement; its failure throws with the engine's message.
void Run(QSqlQuery& query, const QVariantList& binds)
{
    for (int i = 0; i < binds.size(); ++i)
        query.bindValue(i, binds[i]);
    if (!query.exec()) {
        const QSqlError error = query.lastError();
        query.finish();
        DaoSql::Throw(error);
    }
}
} // namespace

CDaoSelection::CDaoSelection(CDaoDatabase* db, const QString& table, CDaoCriteria criteria)
    : m_pDB(db), m_strTable(table), m_criteria(std::move(criteria))
{
    m_columns = m_pDB->Columns(table);
    m_kinds = m_pDB->ColumnKinds(table);
    for (const auto& [field, text] : m_criteria) {
        Q_UNUSED(text);
        if (field < 0 || field >= m_kinds.size() || m_kinds[field] != CDaoFieldValue::Kind::Text)
            DaoSql::Throw(
                u"Only text fields can be compared (field %1 of %2)."_s.arg(field).arg(table));
    }
}

CDaoSelection::~CDaoSelection() = default;

QString CDaoSelection::CriteriaText(QVariantList& binds) const
{
    QStringList terms;
    for (const auto& [field, text] : m_criteria) {
        const QString column = QuoteIdentifier(m_columns[field]);
        if (text.isEmpty()) {
            terms.append(u"(%1 = '' OR %1 IS NULL)"_s.arg(column));
        } else {
            terms.append(u"%1 = ?"_s.arg(column));
            binds.append(text);
        }
    }
    if (!m_strCondition.isEmpty()) {
        terms.append(u"(%1)"_s.arg(m_strCondition));
        binds.append(m_conditionValue);
    }
    return terms.isEmpty() ? u"1 = 1"_s : terms.join(u" AND "_s);
}

void CDaoSelection::AddCondition(const QString& sqlTerm, const QVariant& value)
{
    m_strCondition = sqlTerm;
    m_conditionValue = value;
    m_anchors.clear();
}

QSqlQuery& CDaoSelection::Prepared(const QString& sql)
{
    return m_pDB->Prepared(sql);
}

void CDaoSelection::Execute(const QString& sql)
{
    // Transaction control is run as it is: PostgreSQL prepares no BEGIN.
    QSqlQuery query(m_pDB->Connection());
    if (!query.exec(sql))
        DaoSql::Throw(query.lastError());
}

qint64 CDaoSelection::FixKeyBound()
{
    const QString table = QuoteIdentifier(m_strTable);
    const QString key = QuoteIdentifier(DaoSql::KeyColumn);
    m_anchors.clear();
    return m_pDB->Run([&] {
        QSqlQuery& last = Prepared(u"SELECT max(%1) FROM %2"_s.arg(key, table));
        Run(last, {});
        m_nKeyBound = last.next() ? last.value(0).toLongLong() : 0;
        last.finish();
        return m_nKeyBound;
    });
}

int CDaoSelection::Count()
{
    const QString table = QuoteIdentifier(m_strTable);
    const QString key = QuoteIdentifier(DaoSql::KeyColumn);
    // The bound first: a row stored between the two statements is then
    // neither counted nor part of the selection.
    FixKeyBound();
    return m_pDB->Run([&] {
        QVariantList binds;
        const QString criteria = CriteriaText(binds);
        binds.append(m_nKeyBound);
        QSqlQuery& count =
            Prepared(u"SELECT count(*) FROM %1 WHERE %2 AND %3 <= ?"_s.arg(table, criteria, key));
        Run(count, binds);
        const int nCount = count.next() ? count.value(0).toInt() : 0;
        count.finish();
        return nCount;
    });
}

QList<QList<CDaoFieldValue>> CDaoSelection::Read(int first, int count, QList<qint64>* rowKeys)
{
    QList<QList<CDaoFieldValue>> rows;
    if (first < 0 || count <= 0)
        return rows;
    // From the nearest position whose key is known, skipping the rows
    // between; one row more than asked tells where the next span begins.
    auto anchor = m_anchors.upper_bound(first);
    const bool bAnchored = anchor != m_anchors.begin();
    int nSkip = first;
    QVariantList binds;
    const QString key = QuoteIdentifier(DaoSql::KeyColumn);
    QString where = CriteriaText(binds) + u" AND %1 <= ?"_s.arg(key);
    binds.append(m_nKeyBound);
    if (bAnchored) {
        --anchor;
        nSkip = first - anchor->first;
        where += u" AND %1 >= ?"_s.arg(key);
        binds.append(anchor->second);
    }
    binds << count + 1 << nSkip;
    QStringList names;
    for (const QString& column : m_columns)
        names.append(QuoteIdentifier(column));
    const QString sql = u"SELECT %1 FROM %2 WHERE %3 ORDER BY %4 LIMIT ? OFFSET ?"_s.arg(
        names.join(u", "_s), QuoteIdentifier(m_strTable), where, key);
    const int nFields = int(m_kinds.size());
    QList<qint64> keys;
    m_pDB->Run([&] {
        rows.clear();
        keys.clear();
        QSqlQuery& query = Prepared(sql);
        Run(query, binds);
        while (query.next()) {
            QList<CDaoFieldValue> row;
            row.reserve(nFields);
            for (int i = 0; i < nFields; ++i)
                row.append(DaoSql::FromStored(m_kinds[i], query.value(i)));
            rows.append(std::move(row));
            keys.append(query.value(nFields).toLongLong());
        }
        const QSqlError error = query.lastError();
        query.finish();
        if (error.isValid())
            DaoSql::Throw(error);
    });
    if (!keys.isEmpty())
        m_anchors[first] = keys.first();
    if (rows.size() > count) {
        m_anchors[first + count] = keys.last();
        rows.removeLast();
        keys.removeLast();
    }
    if (rowKeys)
        *rowKeys = keys;
    return rows;
}

int CDaoSelection::Delete(int nBatchRows, const std::function<void(int)>& deleted)
{
    const QString table = QuoteIdentifier(m_strTable);
    const QString key = QuoteIdentifier(DaoSql::KeyColumn);
    QVariantList criteriaBinds;
    const QString criteria = CriteriaText(criteriaBinds);
    // The batch ends at the key nBatchRows rows on; the last batch at the bound.
    const QString end = u"SELECT %1 FROM %2 WHERE %3 AND %1 > ? AND %1 <= ? ORDER BY %1 "
                        "LIMIT 1 OFFSET ?"_s.arg(key, table, criteria);
    const QString batch =
        u"DELETE FROM %1 WHERE %2 AND %3 > ? AND %3 <= ?"_s.arg(table, criteria, key);
    // SQLite takes the write lock at once, waiting for other writers as any
    // write does; a read first and a write later could fail at once instead.
    Execute(m_pDB->IsPostgres() ? u"BEGIN"_s : u"BEGIN IMMEDIATE"_s);
    int nDeleted = 0;
    QString error;
    try {
        qint64 after = std::numeric_limits<qint64>::min();
        bool bLast = false;
        while (!bLast && error.isEmpty()) {
            QSqlQuery& ending = Prepared(end);
            Run(ending, criteriaBinds + QVariantList{after, m_nKeyBound, nBatchRows - 1});
            bLast = !ending.next();
            const qint64 upTo = bLast ? m_nKeyBound : ending.value(0).toLongLong();
            ending.finish();

            Execute(u"SAVEPOINT qe_batch"_s);
            QSqlQuery& deleting = Prepared(batch);
            for (int i = 0; i < criteriaBinds.size(); ++i)
                deleting.bindValue(i, criteriaBinds[i]);
            deleting.bindValue(int(criteriaBinds.size()), after);
            deleting.bindValue(int(criteriaBinds.size()) + 1, upTo);
            if (deleting.exec()) {
                nDeleted += std::max(deleting.numRowsAffected(), 0);
                deleting.finish();
                Execute(u"RELEASE SAVEPOINT qe_batch"_s);
            } else {
                deleting.finish();
                Execute(u"ROLLBACK TO SAVEPOINT qe_batch"_s);
                Execute(u"RELEASE SAVEPOINT qe_batch"_s);
                nDeleted += DeleteOneByOne(after, upTo, error);
            }
            if (deleted)
                deleted(nDeleted);
            after = upTo;
        }
        Execute(u"COMMIT"_s);
    } catch (const CDaoException&) {
        // The commit (or a statement around the batches) failed: nothing stays.
        QSqlQuery(m_pDB->Connection()).exec(u"ROLLBACK"_s);
        throw;
    }
    if (!error.isEmpty())
        DaoSql::Throw(error);
    return nDeleted;
}

int CDaoSelection::DeleteOneByOne(qint64 after, qint64 upTo, QString& error)
{
    const QString table = QuoteIdentifier(m_strTable);
    const QString key = QuoteIdentifier(DaoSql::KeyColumn);
    QVariantList binds;
    const QString criteria = CriteriaText(binds);
    QSqlQuery& keys =
        Prepared(u"SELECT %1 FROM %2 WHERE %3 AND %1 > ? AND %1 <= ? ORDER BY %1"_s.arg(key, table,
                                                                                        criteria));
    Run(keys, binds + QVariantList{after, upTo});
    QList<qint64> rows;
    while (keys.next())
        rows.append(keys.value(0).toLongLong());
    keys.finish();
    int nDeleted = 0;
    QSqlQuery& one = Prepared(u"DELETE FROM %1 WHERE %2 = ?"_s.arg(table, key));
    for (const qint64 row : rows) {
        Execute(u"SAVEPOINT qe_row"_s);
        one.bindValue(0, row);
        if (!one.exec()) {
            const QSqlError failure = one.lastError();
            one.finish();
            Execute(u"ROLLBACK TO SAVEPOINT qe_row"_s);
            Execute(u"RELEASE SAVEPOINT qe_row"_s);
            error = failure.databaseText().trimmed();
            if (error.isEmpty())
                error = failure.text();
            break;
        }
        nDeleted += std::max(one.numRowsAffected(), 0);
        one.finish();
        Execute(u"RELEASE SAVEPOINT qe_row"_s);
    }
    return nDeleted;
}
