#pragma once

#include "platform/DaoSelection.h"

#include <functional>

// Deletes the rows of a selection off the interface thread: a worker thread
// with a connection of its own to the same database deletes them in batches
// (CDaoSelection::Delete), while the caller waits in an event loop that
// keeps the windows painting and the clock ticking but holds back the
// user's input until the pass is over. step(rows deleted so far) runs on
// the caller's thread after each batch. Returns the number deleted; throws
// CDaoException as the pass failed (see CDaoSelection::Delete for what then
// stays deleted).
class CDeletionPass
{
public:
    // The selection's rows: those of table meeting criteria, keys up to
    // nKeyBound, nRows of them as counted (which sizes the batches a step
    // shows; unused without one).
    CDeletionPass(CDaoDatabase* db, QString table, CDaoCriteria criteria, qint64 nKeyBound,
                  int nRows);
    // Rows the server deletes itself: deleteBatch(own connection, rows at
    // most) deletes the next batch and returns how many went, 0 at the end.
    // The batches run in one transaction; when one fails, what went before
    // it stays deleted.
    using BatchDeleter = std::function<int(CDaoDatabase& own, int nBatch)>;
    CDeletionPass(CDaoDatabase* db, BatchDeleter deleteBatch, int nRows);

    // Without a step nothing shows the batches: they are of MaxBatchRows
    // rows, for the fewest round trips to the engine.
    int Run(const std::function<void(int)>& step);

    // Rows per batch: about a hundredth of the pass, so that the bar moves
    // in small steps, and never more than MaxBatchRows, so that no one
    // statement runs long.
    static int BatchRows(int nRows);
    static constexpr int MaxBatchRows = 5000;

private:
    CDaoDatabase* m_pDB;
    QString m_strTable;
    CDaoCriteria m_criteria;
    qint64 m_nKeyBound = 0;
    BatchDeleter m_deleteBatch;
    int m_nRows;
};
