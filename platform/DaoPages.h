#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <vector>

class CDaoDatabase;
class QSqlQuery;

// The rows of one table in key order as a record set walks them: one page
// in memory at a time, the next one read when the walk passes the end of
// the page, so that a scan holds one page and no read lock between two
// moves. Rows that others store or delete meanwhile show when the walk
// reaches them. The first page is small (a lookup often ends there), the
// later ones larger, so that a long scan costs few round trips.
class CDaoPages
{
public:
    struct Row
    {
        qint64 key = 0;
        QVariantList values;
        bool bDeleted = false;
    };

    // A walk over the fields (columns, without the key) of table; it stands
    // at the end until First() or another move.
    void Reset(CDaoDatabase* db, const QString& table, const QStringList& columns);
    void Clear();

    // The row the walk stands on: null at the end.
    Row* Current();
    bool AtEnd() const { return m_nPos >= m_rows.size(); }
    void First();
    // On to the next row that is not deleted, reading on as needed.
    void Next();
    void Last();
    // Every value of field `index`, in the walk's order, read a large page
    // at a time, each page handed to eachPage with pause() between pages,
    // when no read is open; the walk stays where it stood.
    void Column(int index, const std::function<void(const QVariantList&)>& eachPage,
                const std::function<void()>& pause) const;
    // The walk stands on the row with the key, or at the end without one.
    bool Find(qint64 key);
    // From the current row on, the first row whose text field `index`
    // holds text exactly (a null field holds the empty text), found by the
    // engine through the column's index; at the end without one.
    bool FindText(int index, const QString& text);
    // A row was stored: the walk reads past its last page again when it
    // gets there, and reads on at once if it stood at the end.
    void Stored();

    // The fields and the key of the statement's current row.
    Row ReadRow(const QSqlQuery& query) const;
    // The fields then the key, quoted, for the statements on the table.
    QString ColumnList() const;

private:
    QString Select(const QString& where, const QString& order) const;
    // Runs a prepared read with the values bound and takes its rows as the page.
    void Read(const QString& sql, const QVariantList& binds);
    // From the first row, or on after the last key read.
    void ReadOn(bool bFirst);
    // Onto a row that is not deleted, reading on when the page is used up.
    void Settle();

    CDaoDatabase* m_pDB = nullptr;
    QString m_strTable;
    QStringList m_columns;
    std::vector<Row> m_rows;
    size_t m_nPos = 0;
    bool m_bEnd = true;      // no row follows the page, as far as its read saw
    qint64 m_nAfterKey = 0;  // the last key read; the next page starts after it
    bool m_bStarted = false; // m_nAfterKey holds a key
    int m_nPageRows = 0;
};
