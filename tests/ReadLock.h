#pragma once

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>

// Another program reading the same SQLite file: a connection of its own that
// holds a read transaction (a shared lock) until it is released. Meanwhile a
// commit of the program waits for it up to the busy timeout, then fails.
class CReadLock
{
public:
    explicit CReadLock(const QString& file)
        : m_strName(QStringLiteral("qe_read_lock_%1").arg(quintptr(this)))
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_strName);
        db.setDatabaseName(file);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=0"));
        db.open();
    }
    ~CReadLock()
    {
        Release();
        QSqlDatabase::database(m_strName, false).close();
        QSqlDatabase::removeDatabase(m_strName);
    }
    CReadLock(const CReadLock&) = delete;
    CReadLock& operator=(const CReadLock&) = delete;

    // Reads inside a transaction: true when the shared lock is held.
    bool Hold()
    {
        QSqlDatabase db = QSqlDatabase::database(m_strName, false);
        QSqlQuery begin(db);
        QSqlQuery read(db);
        m_bHeld = begin.exec(QStringLiteral("BEGIN")) &&
                  read.exec(QStringLiteral("SELECT count(*) FROM sqlite_master")) && read.next();
        return m_bHeld;
    }
    // Takes the write lock (another program writing) and keeps it.
    bool HoldWrite()
    {
        m_bHeld = QSqlQuery(QSqlDatabase::database(m_strName, false))
                      .exec(QStringLiteral("BEGIN IMMEDIATE"));
        return m_bHeld;
    }
    void Release()
    {
        if (m_bHeld)
            QSqlQuery(QSqlDatabase::database(m_strName, false)).exec(QStringLiteral("COMMIT"));
        m_bHeld = false;
    }
    // Whether this connection gets the write lock at once, without waiting:
    // false while another connection keeps one.
    bool CanWrite()
    {
        QSqlQuery query(QSqlDatabase::database(m_strName, false));
        if (!query.exec(QStringLiteral("BEGIN IMMEDIATE")))
            return false;
        query.exec(QStringLiteral("ROLLBACK"));
        return true;
    }

private:
    QString m_strName;
    bool m_bHeld = false;
};
