#pragma once

#include "platform/DaoSelection.h"
#include "users/Session.h"

#include <functional>

// Deletes the rows of a selection on the session's database worker, in
// batches (CDaoSelection::Delete), while the windows stay free: a step
// shows each batch, and the pass has no deadline. What a failing pass
// leaves deleted: see CDaoSelection::Delete.
class CDeletionPass
{
public:
    // The selection's rows: those of table meeting criteria, keys up to
    // nKeyBound, nRows of them as counted (which sizes the batches a step
    // shows; unused without one).
    CDeletionPass(QString table, CDaoCriteria criteria, qint64 nKeyBound, int nRows);
    // Rows the server deletes itself: deleteBatch(own connection, rows at
    // most) deletes the next batch and returns how many went, 0 at the end.
    // The batches run in one transaction; when one fails, what went before
    // it stays deleted.
    using BatchDeleter = std::function<int(CDaoDatabase& own, int nBatch)>;
    CDeletionPass(BatchDeleter deleteBatch, int nRows);

    // Starts the pass; on context's thread step(rows deleted so far) follows
    // each batch, then done(rows deleted) or failed(why). Without a step
    // the batches are of MaxBatchRows rows, for the fewest round trips to
    // the engine.
    void Start(const CSession& session, QObject* context, std::function<void(int)> step,
               std::function<void(int)> done, CDaoWorker::Failed failed) const;

    // Rows per batch: about a hundredth of the pass, so that the bar moves
    // in small steps, and never more than MaxBatchRows, so that no one
    // statement runs long.
    static int BatchRows(int nRows);
    static constexpr int MaxBatchRows = 5000;

private:
    // The pass itself, on the worker's connection.
    int Delete(CDaoDatabase& own, int nBatchRows, const std::function<void(int)>& report) const;

    QString m_strTable;
    CDaoCriteria m_criteria;
    qint64 m_nKeyBound = 0;
    BatchDeleter m_deleteBatch;
    int m_nRows;
};
