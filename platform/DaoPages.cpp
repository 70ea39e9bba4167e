#include "platform/DaoPages.h"

#include "platform/Dao.h"
#include "platform/DaoSql.h"

#include <QSqlError>
#include <QSqlQuery>

#include <algorithm>
#include <limits>

using namespace Qt::Literals::StringLiterals;
using DaoSql::QuoteIdentifier;

namespace {
// A scan opens on its first row alone: most are opened to look one row up,
// or to have their column read by a query of its own. A walk goes on in
// pages that grow to the largest.
constexpr int FirstPageRows = 1;
constexpr int SecondPageRows = 64;
constexpr int LargestPageRows = 4096;
constexpr int ColumnPageRows = 16384;
} // namespace

void CDaoPages::Reset(CDaoDatabase* db, const QString& table, const QStringList& columns)
{
    m_pDB = db;
    m_strTable = table;
    m_columns = columns;
    Clear();
}

void CDaoPages::Clear()
{
    m_rows.clear();
    m_rows.shrink_to_fit();
    m_nPos = 0;
    m_bEnd = true;
    m_bStarted = false;
    m_nPageRows = FirstPageRows;
}

CDaoPages::Row* CDaoPages::Current()
{
    return m_nPos < m_rows.size() ? &m_rows[m_nPos] : nullptr;
}

QString CDaoPages::ColumnList() const
{
    QStringList names;
    for (const QString& column : m_columns)
        names.append(QuoteIdentifier(column));
    names.append(QuoteIdentifier(DaoSql::KeyColumn));
    return names.join(u", "_s);
}

QString CDaoPages::Select(const QString& where, const QString& order) const
{
    return u"SELECT %1 FROM %2 WHERE %3 ORDER BY %4 %5 LIMIT ?"_s.arg(
        ColumnList(), QuoteIdentifier(m_strTable), where, QuoteIdentifier(DaoSql::KeyColumn),
        order);
}

CDaoPages::Row CDaoPages::ReadRow(const QSqlQuery& query) const
{
    const int nFields = int(m_columns.size());
    Row row;
    row.values.reserve(nFields);
    for (int i = 0; i < nFields; ++i)
        row.values.append(query.value(i));
    row.key = query.value(nFields).toLongLong();
    return row;
}

void CDaoPages::Read(const QString& sql, const QVariantList& binds)
{
    std::vector<Row> page;
    m_pDB->Run([&] {
        page.clear();
        QSqlQuery& query = m_pDB->Prepared(sql);
        for (int i = 0; i < binds.size(); ++i)
            query.bindValue(i, binds[i]);
        // Every read runs to its end and is finished at once, so that no
        // read lock outlasts it: another program's write never waits for a
        // scan.
        if (!query.exec()) {
            const QSqlError error = query.lastError();
            query.finish();
            DaoSql::Throw(error);
        }
        while (query.next())
            page.push_back(ReadRow(query));
        const QSqlError error = query.lastError();
        query.finish();
        if (error.isValid())
            DaoSql::Throw(error);
    });
    m_rows = std::move(page);
    m_nPos = 0;
    if (!m_rows.empty()) {
        m_nAfterKey = m_rows.back().key;
        m_bStarted = true;
    }
}

void CDaoPages::ReadOn(bool bFirst)
{
    const int nLimit = m_nPageRows;
    if (bFirst || !m_bStarted)
        Read(Select(u"1 = 1"_s, {}), {nLimit});
    else
        Read(Select(u"%1 > ?"_s.arg(QuoteIdentifier(DaoSql::KeyColumn)), {}),
             {m_nAfterKey, nLimit});
    m_bEnd = int(m_rows.size()) < nLimit;
    m_nPageRows = std::clamp(m_nPageRows * 4, SecondPageRows, LargestPageRows);
}

void CDaoPages::Settle()
{
    while (true) {
        while (m_nPos < m_rows.size() && m_rows[m_nPos].bDeleted)
            ++m_nPos;
        if (m_nPos < m_rows.size() || m_bEnd)
            return;
        ReadOn(false);
    }
}

void CDaoPages::First()
{
    m_nPageRows = FirstPageRows;
    ReadOn(true);
    Settle();
}

void CDaoPages::Column(int index, const std::function<void(const QVariantList&)>& eachPage,
                       const std::function<void()>& pause) const
{
    const QString key = QuoteIdentifier(DaoSql::KeyColumn);
    const QString sql = u"SELECT %1, %2 FROM %3 WHERE %2 > ? ORDER BY %2 LIMIT ?"_s.arg(
        QuoteIdentifier(m_columns.at(index)), key, QuoteIdentifier(m_strTable));
    qint64 nAfterKey = std::numeric_limits<qint64>::min();
    for (qsizetype nRead = ColumnPageRows; nRead == ColumnPageRows;) {
        QVariantList page;
        qint64 nLastKey = nAfterKey;
        m_pDB->Run([&] {
            page.clear();
            nLastKey = nAfterKey;
            QSqlQuery& query = m_pDB->Prepared(sql);
            query.bindValue(0, nAfterKey);
            query.bindValue(1, ColumnPageRows);
            if (!query.exec()) {
                const QSqlError error = query.lastError();
                query.finish();
                DaoSql::Throw(error);
            }
            while (query.next()) {
                page.append(query.value(0));
                nLastKey = query.value(1).toLongLong();
            }
            const QSqlError error = query.lastError();
            query.finish();
            if (error.isValid())
                DaoSql::Throw(error);
        });
        nRead = page.size();
        eachPage(page);
        nAfterKey = nLastKey;
        if (nRead == ColumnPageRows && pause)
            pause();
    }
}

void CDaoPages::Next()
{
    ++m_nPos;
    Settle();
}

void CDaoPages::Last()
{
    Read(Select(u"1 = 1"_s, u"DESC"_s), {1});
    // Rows stored after this one are read when the walk moves on.
    m_bEnd = false;
}

bool CDaoPages::Find(qint64 key)
{
    Read(Select(u"%1 = ?"_s.arg(QuoteIdentifier(DaoSql::KeyColumn)), {}), {key, 1});
    // The walk goes on after the row found; none found is the end.
    m_bEnd = m_rows.empty();
    return !m_rows.empty();
}

bool CDaoPages::FindText(int index, const QString& text)
{
    const Row* current = Current();
    if (!current)
        return false;
    const QVariant& stored = current->values[index];
    if (!current->bDeleted && (stored.isNull() ? QString() : stored.toString()) == text)
        return true;
    // A null QString would bind as NULL, so the empty text is written out.
    const QString column = QuoteIdentifier(m_columns[index]);
    const QString key = QuoteIdentifier(DaoSql::KeyColumn);
    QVariantList binds{current->key};
    if (!text.isEmpty())
        binds.append(text);
    binds.append(1);
    Read(Select(text.isEmpty() ? u"%1 > ? AND (%2 = '' OR %2 IS NULL)"_s.arg(key, column)
                               : u"%1 > ? AND %2 = ?"_s.arg(key, column),
                {}),
         binds);
    m_bEnd = m_rows.empty();
    return !m_rows.empty();
}

void CDaoPages::Stored()
{
    m_bEnd = false;
    if (AtEnd())
        Settle();
}
