#include "users/DeletionPass.h"

#include "platform/DaoTransaction.h"

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

CDeletionPass::CDeletionPass(QString table, CDaoCriteria criteria, qint64 nKeyBound, int nRows)
    : m_strTable(std::move(table)), m_criteria(std::move(criteria)), m_nKeyBound(nKeyBound),
      m_nRows(nRows)
{
}

CDeletionPass::CDeletionPass(BatchDeleter deleteBatch, int nRows)
    : m_deleteBatch(std::move(deleteBatch)), m_nRows(nRows)
{
}

namespace {

// The server's batches in one transaction, each a step of its own, so that
// a failing batch leaves the ones before it deleted.
int DeleteByServer(CDaoDatabase& own, const CDeletionPass::BatchDeleter& deleteBatch,
                   int nBatchRows, const std::function<void(int)>& report)
{
    CDaoTransaction pass(own, CDaoTransaction::OnThrow::KeepDone);
    int nDeleted = 0;
    while (true) {
        const int n = pass.Step([&] { return deleteBatch(own, nBatchRows); });
        nDeleted += n;
        if (report)
            report(nDeleted);
        if (n < nBatchRows)
            break;
    }
    pass.Commit();
    return nDeleted;
}

} // namespace

int CDeletionPass::BatchRows(int nRows)
{
    return std::clamp((nRows + 99) / 100, 1, MaxBatchRows);
}

void CDeletionPass::Start(const CSession& session, QObject* context, std::function<void(int)> step,
                          std::function<void(int)> done, CDaoWorker::Failed failed) const
{
    const int nBatchRows = step ? BatchRows(m_nRows) : MaxBatchRows;
    const std::function<void(int)> report =
        step ? CDaoWorker::Reporter(context, std::move(step)) : nullptr;
    // A long pass shows its steps rather than a deadline.
    session.Ask<int>(
        context,
        [pass = *this, nBatchRows, report](CDaoDatabase& own) {
            return pass.Delete(own, nBatchRows, report);
        },
        std::move(done), std::move(failed), CDaoWorker::Deadline::None);
}

int CDeletionPass::Delete(CDaoDatabase& own, int nBatchRows,
                          const std::function<void(int)>& report) const
{
    if (m_deleteBatch)
        return DeleteByServer(own, m_deleteBatch, nBatchRows, report);
    CDaoSelection selection(&own, m_strTable, m_criteria);
    selection.SetKeyBound(m_nKeyBound);
    return selection.Delete(nBatchRows, report);
}
