#pragma once

#include "platform/Dao.h"

// The one guard of a transaction, begun when it is made. On a way out that
// did not commit it rolls back (RollBack: a store that must happen whole,
// an upgrade), or commits what was done so far (KeepDone: a deletion pass,
// whose deleted rows stay deleted), rolling back when even that fails. On
// a server a failed statement spoils the whole transaction: a pass keeps
// its steps behind savepoints (Step), so that what went before a failing
// step can still be committed.
class CDaoTransaction
{
public:
    enum class OnThrow { RollBack, KeepDone };

    explicit CDaoTransaction(CDaoDatabase& db, OnThrow onThrow = OnThrow::RollBack)
        : m_db(db), m_onThrow(onThrow)
    {
        m_db.BeginTrans();
    }
    ~CDaoTransaction()
    {
        if (m_bDone)
            return;
        try {
            if (m_onThrow == OnThrow::KeepDone) {
                m_db.CommitTrans();
                return;
            }
        } catch (const CDaoException&) {
            // A failed commit: roll back, so that nothing stays locked.
        }
        try {
            m_db.Rollback();
        } catch (const CDaoException&) {
            // Rolled back already, or the connection is gone and the
            // server drops the transaction.
        }
    }
    CDaoTransaction(const CDaoTransaction&) = delete;
    CDaoTransaction& operator=(const CDaoTransaction&) = delete;

    void Commit()
    {
        m_bDone = true;
        m_db.CommitTrans();
    }

    // Runs step behind a savepoint: when it throws, what it did is undone
    // and the transaction holds what went before.
    template <class Work> auto Step(Work step) -> decltype(step())
    {
        m_db.Execute(QStringLiteral("SAVEPOINT qe_step"));
        try {
            auto result = step();
            m_db.Execute(QStringLiteral("RELEASE SAVEPOINT qe_step"));
            return result;
        } catch (const CDaoException&) {
            m_db.Execute(QStringLiteral("ROLLBACK TO SAVEPOINT qe_step"));
            throw;
        }
    }

private:
    CDaoDatabase& m_db;
    const OnThrow m_onThrow;
    bool m_bDone = false;
};
