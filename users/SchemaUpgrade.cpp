#include "users/SchemaUpgrade.h"

#include "platform/Dao.h"
#include "platform/DaoErrorText.h"
#include "platform/DaoTransaction.h"
#include "users/PasswordHash.h"
#include "users/ServerAccounts.h"

#include <QFile>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QtConcurrent>

#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace {

// A version's migration, or its continuation number (from 2) where a long
// one is split by what it does: upgrade-11-postgresql.sql,
// upgrade-11.2-postgresql.sql, ...
QString SchemaDirectory()
{
    // QE_SCHEMA_DIR names a folder of schema files read instead of the
    // program's own: tools/mutate-rights tries the rights' tests on
    // migrations with one right taken out. It changes nothing a program
    // can do to a database its account could not do by hand.
    const QString folder = qEnvironmentVariable("QE_SCHEMA_DIR");
    return folder.isEmpty() ? u":/schema"_s : folder;
}

QString SchemaFile(bool bPostgres, int version, int continuation = 1)
{
    const QString engine = bPostgres ? u"postgresql"_s : u"sqlite"_s;
    const QString directory = SchemaDirectory();
    if (version == 1)
        return u"%1/schema-%2.sql"_s.arg(directory, engine);
    const QString number =
        continuation == 1 ? QString::number(version) : u"%1.%2"_s.arg(version).arg(continuation);
    return u"%1/upgrade-%2-%3.sql"_s.arg(directory, number, engine);
}

void Exec(QSqlQuery& query, const QString& sql)
{
    if (!query.exec(sql))
        throw CDaoException(query.lastError().databaseText().trimmed().isEmpty()
                                ? query.lastError().text()
                                : query.lastError().databaseText().trimmed());
}

// The upgrade's transaction (the write lock at once on SQLite, as every
// transaction takes it) locks schema_version on PostgreSQL, so that of two
// programs opening one old database at the same moment the second waits
// and then finds it upgraded.
void LockSchemaVersion(CDaoDatabase& db)
{
    if (db.IsPostgres())
        db.Execute(u"LOCK TABLE schema_version IN SHARE ROW EXCLUSIVE MODE"_s);
}

// A file's plain passwords become hashes; a field that holds a hash already
// (a file hashed by hand, or twice upgraded) stays. Hashed on every core:
// a school's pupils take seconds, not minutes.
void HashFilePasswords(CDaoDatabase& db)
{
    for (const auto& [table, field] :
         {std::pair{u"\"user\""_s, u"password"_s}, std::pair{u"supperuser"_s, u"password"_s}}) {
        QList<std::pair<qint64, QString>> rows;
        {
            QSqlQuery query(db.Connection());
            query.setForwardOnly(true);
            if (!query.exec(u"SELECT qe_key, COALESCE(%1, '') FROM %2"_s.arg(field, table)))
                throw CDaoException(query.lastError().text());
            while (query.next()) {
                const QString stored = query.value(1).toString();
                if (!PasswordHash::IsHash(stored))
                    rows.append({query.value(0).toLongLong(), stored});
            }
        }
        const QList<QString> hashes =
            QtConcurrent::blockingMapped(rows, [](const std::pair<qint64, QString>& row) {
                return PasswordHash::Hash(row.second);
            });
        QSqlQuery update(db.Connection());
        if (!update.prepare(u"UPDATE %1 SET %2 = ? WHERE qe_key = ?"_s.arg(table, field)))
            throw CDaoException(update.lastError().text());
        for (qsizetype i = 0; i < rows.size(); ++i) {
            update.bindValue(0, hashes[i]);
            update.bindValue(1, rows[i].first);
            if (!update.exec())
                throw CDaoException(update.lastError().text());
        }
    }
}

CDaoException NewerThanProgram(int version, int newest)
{
    return CDaoException(u"数据库的版本是 %1，而本程序只认识到版本 %2，请使用更新的 QE 程序。"
                         "数据库未作任何改动，本程序将在没有数据库的情况下运行。"_s.arg(version)
                             .arg(newest));
}

} // namespace

int NewestSchemaVersion()
{
    static const int newest = [] {
        int version = 1;
        while (QFile::exists(SchemaFile(false, version + 1)))
            ++version;
        return version;
    }();
    return newest;
}

QStringList SplitStatements(const QString& text)
{
    // Statements end at a semicolon outside quotes, dollar-quoted bodies
    // (functions, DO blocks) and comments.
    QStringList statements;
    QString current;
    qsizetype i = 0;
    const qsizetype n = text.size();
    const auto flush = [&] {
        if (!current.trimmed().isEmpty())
            statements.append(current.trimmed());
        current.clear();
    };
    while (i < n) {
        const QChar ch = text.at(i);
        if (ch == u'-' && i + 1 < n && text.at(i + 1) == u'-') {
            while (i < n && text.at(i) != u'\n')
                ++i;
            continue;
        }
        if (ch == u'\'' || ch == u'"') {
            const qsizetype end = text.indexOf(ch, i + 1);
            const qsizetype stop = end < 0 ? n : end + 1;
            current += text.mid(i, stop - i);
            i = stop;
            continue;
        }
        if (ch == u'$') {
            static const QRegularExpression tag(u"\\$[A-Za-z_]*\\$"_s);
            const QRegularExpressionMatch match =
                tag.match(text, i, QRegularExpression::NormalMatch,
                          QRegularExpression::AnchorAtOffsetMatchOption);
            if (match.hasMatch()) {
                const qsizetype end = text.indexOf(match.captured(), i + match.capturedLength());
                const qsizetype stop = end < 0 ? n : end + match.capturedLength();
                current += text.mid(i, stop - i);
                i = stop;
                continue;
            }
        }
        if (ch == u';') {
            flush();
            ++i;
            continue;
        }
        current += ch;
        ++i;
    }
    flush();
    return statements;
}

QStringList FileStatements(const QString& name)
{
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly))
        throw CDaoException(u"the schema %1 is missing from the program"_s.arg(name));
    return SplitStatements(QString::fromUtf8(file.readAll()));
}

QStringList SchemaStatements(bool bPostgres, int version)
{
    QStringList statements = FileStatements(SchemaFile(bPostgres, version));
    for (int continuation = 2; version > 1; ++continuation) {
        const QString next = SchemaFile(bPostgres, version, continuation);
        if (!QFile::exists(next))
            break;
        statements += FileStatements(next);
    }
    // A server migration that rewrites earlier functions in place has the
    // helper for it while it runs, and only then.
    if (bPostgres && statements.join(u'\n').contains("qe_rewrite_function("_L1))
        statements = FileStatements(SchemaDirectory() + u"/rewrite-function-postgresql.sql"_s) +
                     statements + QStringList{u"DROP FUNCTION qe_rewrite_function(text, text[])"_s};
    return statements;
}

int ReadSchemaVersion(CDaoDatabase& db)
{
    QSqlQuery query(db.Connection());
    bool ok = query.exec(u"SELECT MAX(version) FROM schema_version"_s) && query.next();
    const QVariant version = ok ? query.value(0) : QVariant();
    const int number = version.toInt(&ok);
    if (!ok || version.isNull() || number < 1)
        throw CDaoException(
            u"数据库中没有可读的版本记录(schema_version)，无法确定它是本程序的"
            "哪个版本建立的。数据库未作任何改动，本程序将在没有数据库的情况下运行。"_s);
    return number;
}

void RefreshLab(CDaoDatabase& db, const CDatabaseSteps& steps)
{
    if (!db.IsPostgres())
        return;
    CDaoTransaction transaction(db);
    LockSchemaVersion(db);
    QSqlQuery query(db.Connection());
    Exec(query, u"SELECT qe_apply_lab_limits()"_s);
    for (const SchemaStep& step : steps.refresh)
        step(db);
    transaction.Commit();
}

QString ApplySchemaVersion(CDaoDatabase& db, int version, const CDatabaseSteps& steps)
{
    QSqlQuery query(db.Connection());
    for (const QString& statement : SchemaStatements(db.IsPostgres(), version))
        Exec(query, statement);
    query.finish();
    QString labAddress;
    if (version == AccountsVersion) {
        // The passwords leave the tables: hashed in a file, the accounts'
        // own roles on a server.
        if (db.IsPostgres()) {
            ServerAccounts::ConvertAccounts(db);
            labAddress = ServerAccounts::RenewLabPassword(db);
        } else {
            HashFilePasswords(db);
        }
    }
    // The first machine's line: the shared one of before logs in no more.
    if (version == LabLinesVersion && db.IsPostgres())
        labAddress = ServerAccounts::IssueLabLine(db, FirstLabLine.toString());
    for (const auto& [stepVersion, step] : steps.versions) {
        if (stepVersion == version)
            step(db);
    }
    return labAddress;
}

QString UpgradeSchema(CDaoDatabase& db, const CDatabaseSteps& steps, UpgradeBy by)
{
    const int newest = NewestSchemaVersion();
    int version = ReadSchemaVersion(db);
    if (version == newest)
        return {};
    if (version > newest)
        throw NewerThanProgram(version, newest);
    // A lab's database is upgraded by its administrator alone: the lab
    // machines' role may change nothing of the schema, and the accounts'
    // roles are made with the owner's rights.
    if (db.IsPostgres() && by == UpgradeBy::Program)
        throw CDaoException(
            u"数据库是版本 %1，本程序需要版本 %2。实验室的数据库只能由管理员升级：请在服务器或"
            "老师的电脑上，用数据库所有者的连接运行\n"
            "qe --database postgresql://所有者:密码@服务器/数据库 --upgrade-database\n"
            "数据库未作任何改动，本程序将在没有数据库的情况下运行。"_s.arg(version)
                .arg(newest));

    const int from = version;
    QString labAddress;
    try {
        CDaoTransaction transaction(db);
        LockSchemaVersion(db);
        // Read again under the lock: another program may have upgraded it.
        version = ReadSchemaVersion(db);
        if (version < newest) {
            for (int next = version + 1; next <= newest; ++next) {
                const QString address = ApplySchemaVersion(db, next, steps);
                if (!address.isEmpty())
                    labAddress = address;
                QSqlQuery query(db.Connection());
                if (!query.prepare(u"INSERT INTO schema_version (version) VALUES (?)"_s))
                    throw CDaoException(query.lastError().text());
                query.addBindValue(next);
                if (!query.exec())
                    throw CDaoException(query.lastError().text());
            }
            transaction.Commit();
        }
    } catch (const CDaoException& e) {
        throw CDaoException(
            u"数据库从版本 %1 升级到版本 %2 时出错，升级已撤销，数据库保持原样，"
            "未作任何改动。本程序将在没有数据库的情况下运行。\n错误信息:%3"_s.arg(from)
                .arg(newest)
                .arg(ExplainDaoError(e.GetErrorMessage())));
    }
    if (version > newest)
        throw NewerThanProgram(version, newest);
    return labAddress;
}
