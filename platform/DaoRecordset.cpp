#include "platform/Dao.h"

#include "platform/DaoSql.h"

#include <QRegularExpression>
#include <QSqlQuery>

#include <algorithm>
#include <memory>
#include <unordered_map>
#include <vector>

using namespace Qt::Literals::StringLiterals;
using DaoSql::QuoteIdentifier;

namespace {
struct Row
{
    qint64 key = 0;
    QVariantList values;
    bool bDeleted = false;
};

enum class Mode { Browse, Adding, Editing };

const QString NoCurrentRecord = u"No current record."_s;
} // namespace

struct CDaoRecordset::Private
{
    CDaoDatabase* pDB = nullptr;
    bool bOpen = false;
    bool bAppendOnly = false;
    QString strTable;
    QStringList columns; // the fields, without the key
    QList<CDaoFieldValue::Kind> kinds;
    std::vector<Row> rows;
    size_t nPos = 0;
    Mode mode = Mode::Browse;
    QVariantList buffer;
    QList<bool> dirty;
    qint64 nLastModifiedKey = 0;
    // Prepared writes, kept while the record set is open, on the session
    // of the given generation of the connection.
    std::unordered_map<QString, std::unique_ptr<QSqlQuery>> statements;
    int nGeneration = -1;

    void Start(const QString& table, bool appendOnly);
    void Load();
    void CheckOpen() const;
    void CheckField(int index) const;
    Row& Current();
    QString ColumnList() const;
    void Store(QSqlQuery& query, Row& row);
    void SkipDeleted();
    QSqlQuery& Prepared(const QString& sql, int nConnectionGeneration);
};

QSqlQuery& CDaoRecordset::Private::Prepared(const QString& sql, int nConnectionGeneration)
{
    if (nGeneration != nConnectionGeneration) {
        statements.clear();
        nGeneration = nConnectionGeneration;
    }
    auto& query = statements[sql];
    if (!query) {
        auto prepared = std::make_unique<QSqlQuery>(pDB->Connection());
        if (!prepared->prepare(sql))
            DaoSql::Throw(prepared->lastError());
        query = std::move(prepared);
    }
    return *query;
}

void CDaoRecordset::Private::Start(const QString& table, bool appendOnly)
{
    columns = pDB->Columns(table);
    columns.removeLast();
    kinds = pDB->ColumnKinds(table);
    strTable = table;
    bAppendOnly = appendOnly;
    if (!appendOnly)
        Load();
    nPos = 0;
    bOpen = true;
}

QString CDaoRecordset::Private::ColumnList() const
{
    QStringList names;
    for (const QString& column : columns)
        names.append(QuoteIdentifier(column));
    names.append(QuoteIdentifier(DaoSql::KeyColumn));
    return names.join(u", "_s);
}

void CDaoRecordset::Private::Load()
{
    // The whole table in key order, read at once: scans then cost no round
    // trips, and no read lock is held while the program waits for the user.
    QSqlQuery query(pDB->Connection());
    query.setForwardOnly(true);
    if (!query.exec(u"SELECT %1 FROM %2 ORDER BY %3"_s.arg(ColumnList(), QuoteIdentifier(strTable),
                                                           QuoteIdentifier(DaoSql::KeyColumn))))
        DaoSql::Throw(query.lastError());
    const int nFields = int(columns.size());
    rows.clear();
    while (query.next()) {
        Row row;
        row.values.reserve(nFields);
        for (int i = 0; i < nFields; ++i)
            row.values.append(query.value(i));
        row.key = query.value(nFields).toLongLong();
        rows.push_back(std::move(row));
    }
    if (query.lastError().isValid())
        DaoSql::Throw(query.lastError());
}

void CDaoRecordset::Private::CheckOpen() const
{
    if (!bOpen)
        DaoSql::Throw(u"The record set is not open."_s);
}

void CDaoRecordset::Private::CheckField(int index) const
{
    CheckOpen();
    if (index < 0 || index >= columns.size())
        DaoSql::Throw(
            u"Item not found in this collection (field %1 of %2)."_s.arg(index).arg(strTable));
}

Row& CDaoRecordset::Private::Current()
{
    CheckOpen();
    if (nPos >= rows.size() || rows[nPos].bDeleted)
        DaoSql::Throw(NoCurrentRecord);
    return rows[nPos];
}

void CDaoRecordset::Private::Store(QSqlQuery& query, Row& row)
{
    if (!query.exec()) {
        const QSqlError error = query.lastError();
        query.finish();
        DaoSql::Throw(error);
    }
    if (!query.next()) {
        const QSqlError error = query.lastError();
        query.finish();
        if (error.isValid())
            DaoSql::Throw(error);
        DaoSql::Throw(u"The record was deleted by another user."_s);
    }
    const int nFields = int(columns.size());
    Row stored;
    for (int i = 0; i < nFields; ++i)
        stored.values.append(query.value(i));
    stored.key = query.value(nFields).toLongLong();
    // SQLite commits a write with RETURNING only when its statement runs to
    // its end; that step fails when another program holds a read lock for
    // longer than the busy timeout, and the write is then undone. So the
    // statement is run to its end here and its failure is the store's.
    while (query.next()) {
    }
    const QSqlError error = query.lastError();
    query.finish();
    if (error.isValid())
        DaoSql::Throw(error);
    row = std::move(stored);
}

void CDaoRecordset::Private::SkipDeleted()
{
    while (nPos < rows.size() && rows[nPos].bDeleted)
        ++nPos;
}

CDaoRecordset::CDaoRecordset(CDaoDatabase* db) : d(new Private)
{
    d->pDB = db;
}

CDaoRecordset::~CDaoRecordset()
{
    Close();
    delete d;
}

void CDaoRecordset::Open(int nOpenType, const QString& sql, int nOptions)
{
    Q_UNUSED(nOpenType);
    Close();
    // Only the fixed texts of the program: a whole table.
    static const QRegularExpression select(
        u"^\\s*SELECT\\s+\\*\\s+FROM\\s+([A-Za-z_][A-Za-z0-9_]*)\\s*;?\\s*$"_s,
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = select.match(sql);
    if (!match.hasMatch())
        DaoSql::Throw(u"Unsupported query: %1"_s.arg(sql));
    const QString table = match.captured(1);
    d->pDB->Run([&] { d->Start(table, (nOptions & dbAppendOnly) != 0); });
}

void CDaoRecordset::Open(CDaoTableDef* tableDef, int nOpenType, int nOptions)
{
    Q_UNUSED(nOpenType);
    Close();
    if (!tableDef || !tableDef->IsOpen())
        DaoSql::Throw(u"The table definition is not open."_s);
    d->pDB->Run([&] { d->Start(tableDef->Name(), (nOptions & dbAppendOnly) != 0); });
}

void CDaoRecordset::Close()
{
    d->statements.clear();
    d->rows.clear();
    d->rows.shrink_to_fit();
    d->columns.clear();
    d->kinds.clear();
    d->mode = Mode::Browse;
    d->bOpen = false;
}

bool CDaoRecordset::IsOpen() const
{
    return d->bOpen;
}

CDaoDatabase* CDaoRecordset::Database() const
{
    return d->pDB;
}

bool CDaoRecordset::IsEOF() const
{
    d->CheckOpen();
    return d->nPos >= d->rows.size();
}

void CDaoRecordset::MoveFirst()
{
    d->CheckOpen();
    d->mode = Mode::Browse;
    d->nPos = 0;
    d->SkipDeleted();
}

void CDaoRecordset::MoveNext()
{
    d->CheckOpen();
    if (d->nPos >= d->rows.size())
        DaoSql::Throw(NoCurrentRecord);
    d->mode = Mode::Browse;
    ++d->nPos;
    d->SkipDeleted();
}

void CDaoRecordset::MoveLast()
{
    d->CheckOpen();
    d->mode = Mode::Browse;
    size_t pos = d->rows.size();
    while (pos > 0 && d->rows[pos - 1].bDeleted)
        --pos;
    d->nPos = pos > 0 ? pos - 1 : d->rows.size();
}

qint64 CDaoRecordset::GetRowKey() const
{
    return d->Current().key;
}

bool CDaoRecordset::FindKey(qint64 key)
{
    d->CheckOpen();
    d->mode = Mode::Browse;
    // Rows are in key order.
    const auto found =
        std::lower_bound(d->rows.begin(), d->rows.end(), key,
                         [](const Row& row, qint64 wanted) { return row.key < wanted; });
    d->nPos = size_t(found - d->rows.begin());
    if (found != d->rows.end() && found->key == key && !found->bDeleted)
        return true;
    d->nPos = d->rows.size();
    return false;
}

qint64 CDaoRecordset::GetLastModifiedKey() const
{
    return d->nLastModifiedKey;
}

int CDaoRecordset::GetFieldCount() const
{
    d->CheckOpen();
    return int(d->columns.size());
}

CDaoFieldValue CDaoRecordset::GetFieldValue(int index) const
{
    d->CheckField(index);
    const QVariant& stored =
        d->mode == Mode::Browse ? d->Current().values[index] : d->buffer[index];
    return DaoSql::FromStored(d->kinds[index], stored);
}

void CDaoRecordset::SetFieldValue(int index, const QString& text)
{
    SetFieldValue(index, CDaoFieldValue::FromText(text));
}

void CDaoRecordset::SetFieldValue(int index, const CDaoFieldValue& value)
{
    d->CheckField(index);
    if (d->mode == Mode::Browse)
        DaoSql::Throw(u"Update or CancelUpdate without AddNew or Edit."_s);
    d->buffer[index] = DaoSql::ToBound(d->kinds[index], value);
    d->dirty[index] = true;
}

void CDaoRecordset::AddNew()
{
    d->CheckOpen();
    d->mode = Mode::Adding;
    d->buffer = QVariantList(d->columns.size());
    d->dirty = QList<bool>(d->columns.size(), false);
}

void CDaoRecordset::Edit()
{
    const Row& row = d->Current();
    d->mode = Mode::Editing;
    d->buffer = row.values;
    d->dirty = QList<bool>(d->columns.size(), false);
}

void CDaoRecordset::Update()
{
    d->CheckOpen();
    const Mode mode = d->mode;
    if (mode == Mode::Browse)
        DaoSql::Throw(u"Update or CancelUpdate without AddNew or Edit."_s);
    d->mode = Mode::Browse;

    QStringList names;
    QVariantList values;
    for (int i = 0; i < d->columns.size(); ++i) {
        if (d->dirty[i]) {
            names.append(QuoteIdentifier(d->columns[i]));
            values.append(d->buffer[i]);
        }
    }
    d->pDB->EndDeleteWindow();
    const QString table = QuoteIdentifier(d->strTable);
    if (mode == Mode::Adding) {
        QString sql;
        if (names.isEmpty()) {
            sql = u"INSERT INTO %1 DEFAULT VALUES RETURNING %2"_s.arg(table, d->ColumnList());
        } else {
            const QStringList marks(names.size(), u"?"_s);
            sql = u"INSERT INTO %1 (%2) VALUES (%3) RETURNING %4"_s.arg(
                table, names.join(u", "_s), marks.join(u", "_s), d->ColumnList());
        }
        Row row;
        d->pDB->Run([&] {
            QSqlQuery& query = d->Prepared(sql, d->pDB->Generation());
            for (int i = 0; i < values.size(); ++i)
                query.bindValue(i, values[i]);
            d->Store(query, row);
        });
        d->nLastModifiedKey = row.key;
        if (!d->bAppendOnly) {
            // The position stays where it was; a new row does not end the scan.
            d->rows.push_back(std::move(row));
        }
        return;
    }

    Row& row = d->Current();
    if (names.isEmpty())
        return;
    for (QString& name : names)
        name += u" = ?"_s;
    const QString sql = u"UPDATE %1 SET %2 WHERE %3 = ? RETURNING %4"_s.arg(
        table, names.join(u", "_s), QuoteIdentifier(DaoSql::KeyColumn), d->ColumnList());
    d->pDB->Run([&] {
        QSqlQuery& query = d->Prepared(sql, d->pDB->Generation());
        for (int i = 0; i < values.size(); ++i)
            query.bindValue(i, values[i]);
        query.bindValue(int(values.size()), row.key);
        d->Store(query, row);
    });
    d->nLastModifiedKey = row.key;
}

void CDaoRecordset::Delete()
{
    Row& row = d->Current();
    d->mode = Mode::Browse;
    d->pDB->DeleteRow(d->strTable, row.key);
    row.bDeleted = true;
}
