#include "platform/Dao.h"

#include "platform/DaoSql.h"

#include <QRegularExpression>
#include <QSqlQuery>

#include <algorithm>
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

// Rows are read a page at a time, the first page small (a lookup often ends
// there) and the later ones larger, so that a long scan costs few round
// trips and never holds more than one page.
constexpr int FirstPageRows = 64;
constexpr int LargestPageRows = 4096;
} // namespace

struct CDaoRecordset::Private
{
    CDaoDatabase* pDB = nullptr;
    bool bOpen = false;
    bool bAppendOnly = false;
    QString strTable;
    QStringList columns; // the fields, without the key
    QList<CDaoFieldValue::Kind> kinds;
    // The page that holds the current record, in key order, and where the
    // record set stands in it. When bEnd is set, no row follows the page's
    // last key (as far as the last read saw).
    std::vector<Row> rows;
    size_t nPos = 0;
    bool bEnd = true;
    qint64 nAfterKey = 0;  // the last key read; the next page starts after it
    bool bStarted = false; // nAfterKey holds a key (otherwise: from the first row)
    int nPageRows = FirstPageRows;
    Mode mode = Mode::Browse;
    QVariantList buffer;
    QList<bool> dirty;
    qint64 nLastModifiedKey = 0;

    void Start(const QString& table, bool appendOnly);
    void CheckOpen() const;
    void CheckField(int index) const;
    Row& Current();
    QString ColumnList() const;
    QString Select(const QString& where, const QString& order) const;
    Row ReadRow(const QSqlQuery& query) const;
    // Runs a prepared read of the rows bound to it and takes them as the page.
    void ReadPage(QSqlQuery& query);
    // Makes the record set stand on a row, reading the next page when the
    // current one is used up; at the end of the table it stands at EOF.
    void Settle();
    void FetchFrom(bool bFirst);
    void Store(QSqlQuery& query, Row& row);
    QSqlQuery& Prepared(const QString& sql);
};

QSqlQuery& CDaoRecordset::Private::Prepared(const QString& sql)
{
    return pDB->Prepared(sql);
}

void CDaoRecordset::Private::Start(const QString& table, bool appendOnly)
{
    columns = pDB->Columns(table);
    columns.removeLast();
    kinds = pDB->ColumnKinds(table);
    strTable = table;
    bAppendOnly = appendOnly;
    rows.clear();
    nPos = 0;
    bEnd = true;
    bStarted = false;
    nPageRows = FirstPageRows;
    bOpen = true;
    if (!appendOnly)
        FetchFrom(true);
}

QString CDaoRecordset::Private::ColumnList() const
{
    QStringList names;
    for (const QString& column : columns)
        names.append(QuoteIdentifier(column));
    names.append(QuoteIdentifier(DaoSql::KeyColumn));
    return names.join(u", "_s);
}

QString CDaoRecordset::Private::Select(const QString& where, const QString& order) const
{
    return u"SELECT %1 FROM %2 WHERE %3 ORDER BY %4 %5 LIMIT ?"_s.arg(
        ColumnList(), QuoteIdentifier(strTable), where, QuoteIdentifier(DaoSql::KeyColumn), order);
}

Row CDaoRecordset::Private::ReadRow(const QSqlQuery& query) const
{
    const int nFields = int(columns.size());
    Row row;
    row.values.reserve(nFields);
    for (int i = 0; i < nFields; ++i)
        row.values.append(query.value(i));
    row.key = query.value(nFields).toLongLong();
    return row;
}

void CDaoRecordset::Private::ReadPage(QSqlQuery& query)
{
    // Every read runs to its end and is finished at once, so that no read
    // lock outlasts it: another program's write never waits for a scan.
    if (!query.exec()) {
        const QSqlError error = query.lastError();
        query.finish();
        DaoSql::Throw(error);
    }
    std::vector<Row> page;
    while (query.next())
        page.push_back(ReadRow(query));
    const QSqlError error = query.lastError();
    query.finish();
    if (error.isValid())
        DaoSql::Throw(error);
    rows = std::move(page);
    nPos = 0;
    if (!rows.empty()) {
        nAfterKey = rows.back().key;
        bStarted = true;
    }
}

void CDaoRecordset::Private::FetchFrom(bool bFirst)
{
    const int nLimit = nPageRows;
    pDB->Run([&] {
        if (bFirst || !bStarted) {
            QSqlQuery& query = Prepared(Select(u"1 = 1"_s, {}));
            query.bindValue(0, nLimit);
            ReadPage(query);
        } else {
            QSqlQuery& query =
                Prepared(Select(u"%1 > ?"_s.arg(QuoteIdentifier(DaoSql::KeyColumn)), {}));
            query.bindValue(0, nAfterKey);
            query.bindValue(1, nLimit);
            ReadPage(query);
        }
    });
    bEnd = int(rows.size()) < nLimit;
    nPageRows = std::min(nPageRows * 4, LargestPageRows);
}

void CDaoRecordset::Private::Settle()
{
    while (true) {
        while (nPos < rows.size() && rows[nPos].bDeleted)
            ++nPos;
        if (nPos < rows.size() || bEnd)
            return;
        FetchFrom(false);
    }
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
    Row stored = ReadRow(query);
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
    d->rows.clear();
    d->rows.shrink_to_fit();
    d->nPos = 0;
    d->bEnd = true;
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
    d->nPageRows = FirstPageRows;
    d->FetchFrom(true);
    d->Settle();
}

void CDaoRecordset::MoveNext()
{
    d->CheckOpen();
    if (d->nPos >= d->rows.size())
        DaoSql::Throw(NoCurrentRecord);
    d->mode = Mode::Browse;
    ++d->nPos;
    d->Settle();
}

void CDaoRecordset::MoveLast()
{
    d->CheckOpen();
    d->mode = Mode::Browse;
    d->pDB->Run([&] {
        QSqlQuery& query = d->Prepared(d->Select(u"1 = 1"_s, u"DESC"_s));
        query.bindValue(0, 1);
        d->ReadPage(query);
    });
    // Rows stored after this one are read when the scan moves on.
    d->bEnd = false;
}

qint64 CDaoRecordset::GetRowKey() const
{
    return d->Current().key;
}

bool CDaoRecordset::FindKey(qint64 key)
{
    d->CheckOpen();
    d->mode = Mode::Browse;
    d->pDB->Run([&] {
        QSqlQuery& query =
            d->Prepared(d->Select(u"%1 = ?"_s.arg(QuoteIdentifier(DaoSql::KeyColumn)), {}));
        query.bindValue(0, key);
        query.bindValue(1, 1);
        d->ReadPage(query);
    });
    // The scan goes on after the row found; none found is the end.
    d->bEnd = d->rows.empty();
    return !d->rows.empty();
}

CDaoFieldValue::Kind CDaoRecordset::GetFieldKind(int index) const
{
    d->CheckField(index);
    return d->kinds[index];
}

bool CDaoRecordset::FindNext(int index, const QString& text)
{
    d->CheckField(index);
    if (d->kinds[index] != CDaoFieldValue::Kind::Text)
        DaoSql::Throw(
            u"FindNext compares text fields only (field %1 of %2)."_s.arg(index).arg(d->strTable));
    if (IsEOF())
        return false;
    d->mode = Mode::Browse;
    const Row& current = d->Current();
    const QVariant& stored = current.values[index];
    if ((stored.isNull() ? QString() : stored.toString()) == text)
        return true;
    // The first later row that holds the text, in key order, found by the
    // engine through the column's index instead of reading every row. A
    // null field reads as empty text, so the empty text finds it too.
    const QString column = QuoteIdentifier(d->columns[index]);
    const QString key = QuoteIdentifier(DaoSql::KeyColumn);
    // A null QString would bind as NULL, so the empty text is written out.
    const QString where = text.isEmpty() ? u"%1 > ? AND (%2 = '' OR %2 IS NULL)"_s.arg(key, column)
                                         : u"%1 > ? AND %2 = ?"_s.arg(key, column);
    QVariantList binds{current.key};
    if (!text.isEmpty())
        binds.append(text);
    binds.append(1);
    d->pDB->Run([&] {
        QSqlQuery& query = d->Prepared(d->Select(where, {}));
        for (int i = 0; i < binds.size(); ++i)
            query.bindValue(i, binds[i]);
        d->ReadPage(query);
    });
    d->bEnd = d->rows.empty();
    return !d->rows.empty();
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
            QSqlQuery& query = d->Prepared(sql);
            for (int i = 0; i < values.size(); ++i)
                query.bindValue(i, values[i]);
            d->Store(query, row);
        });
        d->nLastModifiedKey = row.key;
        if (!d->bAppendOnly) {
            // The position stays where it was; a new row does not end the
            // scan: it is read when the scan reaches the end.
            d->bEnd = false;
            if (IsEOF())
                d->Settle();
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
        QSqlQuery& query = d->Prepared(sql);
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
