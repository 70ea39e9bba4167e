#include "users/DeletionPass.h"

#include "platform/DaoOffThread.h"

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

CDeletionPass::CDeletionPass(CDaoDatabase* db, QString table, CDaoCriteria criteria,
                             qint64 nKeyBound, int nRows)
    : m_pDB(db), m_strTable(std::move(table)), m_criteria(std::move(criteria)),
      m_nKeyBound(nKeyBound), m_nRows(nRows)
{
}

CDeletionPass::CDeletionPass(CDaoDatabase* db, BatchDeleter deleteBatch, int nRows)
    : m_pDB(db), m_deleteBatch(std::move(deleteBatch)), m_nRows(nRows)
{
}

namespace {

// The server's batches in one transaction, each behind a savepoint so that
// a failing batch leaves the ones before it deleted.
int DeleteByServer(CDaoDatabase& own, const CDeletionPass::BatchDeleter& deleteBatch,
                   int nBatchRows, const std::function<void(int)>& report)
{
    own.BeginTrans();
    int nDeleted = 0;
    try {
        while (true) {
            own.Execute(u"SAVEPOINT qe_batch"_s);
            const int n = deleteBatch(own, nBatchRows);
            own.Execute(u"RELEASE SAVEPOINT qe_batch"_s);
            nDeleted += n;
            if (report)
                report(nDeleted);
            if (n < nBatchRows)
                break;
        }
    } catch (const CDaoException&) {
        own.Execute(u"ROLLBACK TO SAVEPOINT qe_batch"_s);
        own.CommitTrans();
        throw;
    }
    own.CommitTrans();
    return nDeleted;
}

} // namespace

int CDeletionPass::BatchRows(int nRows)
{
    return std::clamp((nRows + 99) / 100, 1, MaxBatchRows);
}

int CDeletionPass::Run(const std::function<void(int)>& step)
{
    if (!m_pDB)
        throw CDaoException(u"the database is not open"_s);
    const int nBatchRows = step ? BatchRows(m_nRows) : MaxBatchRows;
    int nDeleted = 0;
    std::function<void(int)> report;
    RunOffThread(
        m_pDB->Target(),
        [&](CDaoDatabase& own) {
            if (m_deleteBatch) {
                nDeleted = DeleteByServer(own, m_deleteBatch, nBatchRows, report);
                return;
            }
            CDaoSelection selection(&own, m_strTable, m_criteria);
            selection.SetKeyBound(m_nKeyBound);
            nDeleted = selection.Delete(nBatchRows, report);
        },
        step, &report);
    return nDeleted;
}
