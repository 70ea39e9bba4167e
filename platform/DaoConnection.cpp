#include "platform/DaoDatabasePrivate.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <QUrl>
#include <QUrlQuery>

#include <sqlite3.h>

#include <algorithm>
#include <cstdint>

using namespace Qt::Literals::StringLiterals;

namespace {
constexpr int OpenWait = 1200; // milliseconds

// SQLite's busy handler: another connection's lock is tried again every
// millisecond until the busy timeout (carried in `timeout`) has passed.
// SQLite's own handler sleeps ever longer, up to 100 ms a try, and so leaves
// the file unlocked between the commits of a lab whose pupils all store at
// the bell. A connection serves one thread, which waits for one lock at a
// time, so the deadline is the thread's.
int RetryEveryMillisecond(void* timeout, int tries)
{
    thread_local QDeadlineTimer deadline;
    if (tries == 0)
        deadline.setRemainingTime(int(reinterpret_cast<std::intptr_t>(timeout)));
    if (deadline.hasExpired())
        return 0;
    QThread::msleep(1);
    return 1;
}

// Installs RetryEveryMillisecond on the open SQLite connection db.
void WaitForLocks(const QSqlDatabase& db, int busyTimeout)
{
    const QVariant handle = db.driver()->handle();
    if (qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return;
    if (auto* connection = *static_cast<sqlite3* const*>(handle.constData()))
        sqlite3_busy_handler(connection, RetryEveryMillisecond,
                             reinterpret_cast<void*>(std::intptr_t(busyTimeout)));
}
} // namespace

// Opens a connection named name on target; the engine's error when it
// cannot be opened or is not a usable database.
std::optional<QSqlError> OpenDaoConnection(const QString& name, const QString& target,
                                           int busyTimeout)
{
    std::optional<QSqlError> error;
    {
        QSqlDatabase db;
        if (CDaoDatabase::IsServerTarget(target)) {
            const QUrl url(target);
            db = QSqlDatabase::addDatabase(u"QPSQL"_s, name);
            db.setHostName(url.host());
            db.setPort(url.port(5432));
            db.setUserName(url.userName(QUrl::FullyDecoded));
            db.setPassword(url.password(QUrl::FullyDecoded));
            db.setDatabaseName(url.path(QUrl::FullyDecoded).mid(1));
            QStringList options{u"connect_timeout=10"_s};
            // Each value quoted as libpq reads one: an option may hold spaces.
            for (auto [key, value] : QUrlQuery(url).queryItems(QUrl::FullyDecoded))
                options.append(key + u"='"_s +
                               value.replace(u'\\', u"\\\\"_s).replace(u'\'', u"\\'"_s) + u'\'');
            db.setConnectOptions(options.join(u';'));
        } else {
            // mode=rw: a missing file is an error and is never created.
            QUrl url = QUrl::fromLocalFile(QFileInfo(target).absoluteFilePath());
            url.setQuery(u"mode=rw"_s);
            db = QSqlDatabase::addDatabase(u"QSQLITE"_s, name);
            db.setDatabaseName(url.toString(QUrl::FullyEncoded));
            // The checks below wait for another program's lock themselves.
            db.setConnectOptions(u"QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=0"_s);
        }
        if (!db.open()) {
            error = db.lastError();
        } else {
            // A file that is not a database opens and fails at its first
            // statement, so one is run here.
            const QStringList checks =
                CDaoDatabase::IsServerTarget(target)
                    ? QStringList{u"SELECT 1"_s}
                    : QStringList{u"SELECT count(*) FROM sqlite_master"_s,
                                  u"PRAGMA journal_mode=DELETE"_s, u"PRAGMA synchronous=FULL"_s,
                                  // Deleting a score row takes the rows that belong to it.
                                  u"PRAGMA foreign_keys=ON"_s};
            // Another program's lock is waited for OpenWait at most, so that
            // a database kept locked is reported at once instead of after
            // the whole busy timeout without any window. The wait polls
            // every millisecond: SQLite's own waiting sleeps ever longer and
            // can miss every gap between the commits of a busy writer.
            QDeadlineTimer deadline(std::min(busyTimeout, OpenWait));
            for (const QString& check : checks) {
                QSqlQuery query(db);
                while (!query.exec(check)) {
                    const bool bBusy = query.lastError().nativeErrorCode() == "5"_L1;
                    if (!bBusy || deadline.hasExpired()) {
                        error = query.lastError();
                        break;
                    }
                    QThread::msleep(1);
                }
                if (error)
                    break;
            }
            if (error)
                db.close();
            else if (!CDaoDatabase::IsServerTarget(target))
                WaitForLocks(db, busyTimeout);
        }
    }
    if (error)
        QSqlDatabase::removeDatabase(name);
    return error;
}
