#pragma once

#include "platform/Dao.h"

// One transaction for a store that must happen whole: rolled back unless
// committed, on every path out.
class CRollbackOnThrowTransaction
{
public:
    explicit CRollbackOnThrowTransaction(CDaoDatabase& db) : m_db(db) { m_db.BeginTrans(); }
    ~CRollbackOnThrowTransaction()
    {
        if (m_bCommitted)
            return;
        try {
            m_db.Rollback();
        } catch (const CDaoException&) {
            // The connection is gone; the server drops the transaction.
        }
    }
    CRollbackOnThrowTransaction(const CRollbackOnThrowTransaction&) = delete;
    CRollbackOnThrowTransaction& operator=(const CRollbackOnThrowTransaction&) = delete;

    void Commit()
    {
        m_db.CommitTrans();
        m_bCommitted = true;
    }

private:
    CDaoDatabase& m_db;
    bool m_bCommitted = false;
};
