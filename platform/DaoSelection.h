#pragma once

#include "platform/Dao.h"

#include <QList>
#include <QString>

#include <functional>
#include <map>
#include <utility>

class QSqlQuery;

// Text equalities on fields by position: a row meets them when each of its
// fields holds exactly the text given (case and spaces count, a null field
// equals the empty text), as VariantToText would compare them. An empty
// list is met by every row.
using CDaoCriteria = QList<std::pair<int, QString>>;

// The rows of one table that meet criteria, in key order, taken as a whole
// by a few statements that the engine answers from its indexes, instead of
// one round trip per row: counted, read by position one span at a time, or
// deleted in batches. Rows stored after Count() are not part of it (their
// keys are larger than its key bound).
class CDaoSelection
{
public:
    CDaoSelection(CDaoDatabase* db, const QString& table, CDaoCriteria criteria);
    ~CDaoSelection();
    CDaoSelection(const CDaoSelection&) = delete;
    CDaoSelection& operator=(const CDaoSelection&) = delete;

    // A further condition the rows must meet: an SQL term of ours (never
    // made from input) with one bound value, such as the rows an account
    // owns by a side table.
    void AddCondition(const QString& sqlTerm, const QVariant& value);

    // Fixes the key bound at the largest key stored now and counts the rows.
    int Count();
    // Fixes the key bound alone, for rows that need no count; returns it.
    qint64 FixKeyBound();
    qint64 KeyBound() const { return m_nKeyBound; }
    // Takes the bound another selection of the same rows fixed.
    void SetKeyBound(qint64 key) { m_nKeyBound = key; }

    // The rows at positions first, first + 1, ..., at most count of them,
    // each as its field values. Where each span begins is remembered, so
    // that reading on from there costs one short statement. rowKeys, when
    // given, receives each row's hidden key.
    QList<QList<CDaoFieldValue>> Read(int first, int count, QList<qint64>* rowKeys = nullptr);

    // Deletes the rows in one transaction, batch after batch of up to
    // nBatchRows rows in key order, calling deleted(rows deleted so far)
    // after each batch. When a batch fails, its rows are deleted again one
    // by one up to the row that fails: what was deleted before that row is
    // committed, exactly as a row-by-row pass would leave it, and the error
    // goes on as CDaoException. A commit that fails keeps nothing.
    int Delete(int nBatchRows, const std::function<void(int)>& deleted);

private:
    // "field = ? AND ..." for the criteria, with their values appended to binds.
    QString CriteriaText(QVariantList& binds) const;
    QSqlQuery& Prepared(const QString& sql);
    int DeleteOneByOne(qint64 after, qint64 upTo, QString& error);
    void Execute(const QString& sql);

    CDaoDatabase* m_pDB;
    QString m_strTable;
    CDaoCriteria m_criteria;
    QString m_strCondition;
    QVariant m_conditionValue;
    QStringList m_columns; // the fields, then the key
    QList<CDaoFieldValue::Kind> m_kinds;
    qint64 m_nKeyBound = 0;
    std::map<int, qint64> m_anchors; // position -> key of the row there
};
