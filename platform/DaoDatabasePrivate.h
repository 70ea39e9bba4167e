#pragma once

#include "platform/Dao.h"

#include <QHash>
#include <QSqlError>
#include <QList>
#include <QSqlQuery>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <unordered_map>
#include <utility>

// The state of one CDaoDatabase, shared by the files of the database layer.

struct CDaoTableInfo
{
    QStringList columns;
    QList<CDaoFieldValue::Kind> kinds;
};

struct CDaoDatabase::Private
{
    QString connectionName;
    QString strTarget;
    QString strHomeTarget; // what Open was given: the session before any sign-in
    bool bOpen = false;
    bool bPostgres = false;
    // Signed out: the session before any sign-in opens at the next use, so
    // that signing out never waits for a server that does not answer.
    bool bPendingHome = false;
    mutable std::optional<QSqlError> pendingError; // why it did not open last time
    int nTransactionDepth = 0;
    int nGeneration = 0;
    QHash<QString, CDaoTableInfo> tables;
    // Deletion inside a PostgreSQL transaction (see DeleteRow).
    std::unordered_map<QString, std::unique_ptr<QSqlQuery>> deletes;
    std::unique_ptr<QSqlQuery> pControl;
    // Statements prepared once per session and shared by every record set
    // and selection on it: each use runs to its end before the next one.
    std::unordered_map<QString, std::unique_ptr<QSqlQuery>> prepared;
    bool bWindow = false;
    QList<std::pair<QString, qint64>> windowRows;

    const CDaoTableInfo& Table(const QString& table);
    QSqlQuery& DeleteQuery(const QString& table);
    void Control(const QString& sql);
    void ClearStatements();
};

// Opens a connection named name on target (see CDaoDatabase::Open); the
// engine's error when it cannot be opened or is not a usable database, and
// then no connection of that name is left.
std::optional<QSqlError> OpenDaoConnection(const QString& name, const QString& target,
                                           int busyTimeout);
