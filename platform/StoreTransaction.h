#pragma once

#include "platform/Dao.h"

// One transaction for a store that must happen whole: rolled back unless
// committed, on every path out.
class CStoreTransaction
{
public:
    explicit CStoreTransaction(CDaoDatabase& db) : m_db(db) { m_db.BeginTrans(); }
    ~CStoreTransaction()
    {
        if (m_bCommitted)
            return;
        try {
            m_db.Rollback();
        } catch (const CDaoException&) {
            // The connection is gone; the server drops the transaction.
        }
    }
    CStoreTransaction(const CStoreTransaction&) = delete;
    CStoreTransaction& operator=(const CStoreTransaction&) = delete;

    void Commit()
    {
        m_db.CommitTrans();
        m_bCommitted = true;
    }

private:
    CDaoDatabase& m_db;
    bool m_bCommitted = false;
};
