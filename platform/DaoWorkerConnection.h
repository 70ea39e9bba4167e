#pragma once

#include "platform/Dao.h"

#include <QString>

#include <memory>

// The connection of a worker thread, kept from one job to the next while
// their target stays the same; a job that fails drops it, and so does a
// server that went away (a job may have taken its failure in its stride),
// and the next job opens it again.
class CDaoWorkerConnection
{
public:
    // The connection to target, opened when there is none to it. Throws
    // CDaoException.
    CDaoDatabase& For(const QString& target)
    {
        if (m_pDB && m_pDB->IsPostgres() && !m_pDB->Connection().isOpen())
            m_pDB.reset();
        if (!m_pDB || m_strTarget != target) {
            m_pDB.reset();
            auto opened = std::make_unique<CDaoDatabase>();
            opened->Open(target);
            m_pDB = std::move(opened);
            m_strTarget = target;
        }
        return *m_pDB;
    }
    void Drop() { m_pDB.reset(); }

private:
    std::unique_ptr<CDaoDatabase> m_pDB;
    QString m_strTarget;
};
