#include "users/DeletionPass.h"

#include "users/OffThread.h"

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

CDeletionPass::CDeletionPass(CDaoDatabase* db, QString table, CDaoCriteria criteria,
                             qint64 nKeyBound, int nRows)
    : m_pDB(db), m_strTable(std::move(table)), m_criteria(std::move(criteria)),
      m_nKeyBound(nKeyBound), m_nRows(nRows)
{
}

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
            CDaoSelection selection(&own, m_strTable, m_criteria);
            selection.SetKeyBound(m_nKeyBound);
            nDeleted = selection.Delete(nBatchRows, report);
        },
        step, &report);
    return nDeleted;
}
