#include "platform/Dao.h"

#include "platform/DaoPages.h"
#include "platform/DaoSql.h"

#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>

using namespace Qt::Literals::StringLiterals;
using DaoSql::QuoteIdentifier;

namespace {
using Row = CDaoPages::Row;

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
    CDaoPages pages; // the rows, a page at a time
    Mode mode = Mode::Browse;
    QVariantList buffer;
    QList<bool> dirty;
    qint64 nLastModifiedKey = 0;

    void Start(const QString& table, bool appendOnly);
    void CheckOpen() const;
    void CheckField(int index) const;
    Row& Current();
    void Store(QSqlQuery& query, Row& row);
};

void CDaoRecordset::Private::Start(const QString& table, bool appendOnly)
{
    columns = pDB->Columns(table);
    columns.removeLast();
    kinds = pDB->ColumnKinds(table);
    strTable = table;
    bAppendOnly = appendOnly;
    pages.Reset(pDB, table, columns);
    bOpen = true;
    if (!appendOnly)
        pages.First();
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
    Row* row = pages.Current();
    if (!row || row->bDeleted)
        DaoSql::Throw(NoCurrentRecord);
    return *row;
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
    Row stored = pages.ReadRow(query);
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
    d->pages.Clear();
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
    return d->pages.AtEnd();
}

void CDaoRecordset::MoveFirst()
{
    d->CheckOpen();
    d->mode = Mode::Browse;
    d->pages.First();
}

void CDaoRecordset::MoveNext()
{
    d->CheckOpen();
    if (d->pages.AtEnd())
        DaoSql::Throw(NoCurrentRecord);
    d->mode = Mode::Browse;
    d->pages.Next();
}

void CDaoRecordset::MoveLast()
{
    d->CheckOpen();
    d->mode = Mode::Browse;
    d->pages.Last();
}

qint64 CDaoRecordset::GetRowKey() const
{
    return d->Current().key;
}

bool CDaoRecordset::FindKey(qint64 key)
{
    d->CheckOpen();
    d->mode = Mode::Browse;
    return d->pages.Find(key);
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
    d->Current(); // a deleted current record is no place to seek from
    d->mode = Mode::Browse;
    return d->pages.FindText(index, text);
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

void CDaoRecordset::ReadField(int index, const std::function<void(const CDaoFieldValue&)>& each,
                              const std::function<void()>& pause)
{
    d->CheckOpen();
    d->CheckField(index);
    const CDaoFieldValue::Kind kind = d->kinds[index];
    d->pages.Column(
        index,
        [&](const QVariantList& page) {
            for (const QVariant& value : page)
                each(DaoSql::FromStored(kind, value));
        },
        pause);
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
            sql = u"INSERT INTO %1 DEFAULT VALUES RETURNING %2"_s.arg(table, d->pages.ColumnList());
        } else {
            const QStringList marks(names.size(), u"?"_s);
            sql = u"INSERT INTO %1 (%2) VALUES (%3) RETURNING %4"_s.arg(
                table, names.join(u", "_s), marks.join(u", "_s), d->pages.ColumnList());
        }
        Row row;
        d->pDB->Run([&] {
            QSqlQuery& query = d->pDB->Prepared(sql);
            for (int i = 0; i < values.size(); ++i)
                query.bindValue(i, values[i]);
            d->Store(query, row);
        });
        d->nLastModifiedKey = row.key;
        if (!d->bAppendOnly) {
            // The position stays where it was; a new row does not end the
            // scan: it is read when the scan reaches the end.
            d->pages.Stored();
        }
        return;
    }

    Row& row = d->Current();
    if (names.isEmpty())
        return;
    for (QString& name : names)
        name += u" = ?"_s;
    const QString sql = u"UPDATE %1 SET %2 WHERE %3 = ? RETURNING %4"_s.arg(
        table, names.join(u", "_s), QuoteIdentifier(DaoSql::KeyColumn), d->pages.ColumnList());
    d->pDB->Run([&] {
        QSqlQuery& query = d->pDB->Prepared(sql);
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
