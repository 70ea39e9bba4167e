#include "users/DatabaseSetup.h"

#include "platform/Dao.h"
#include "platform/DaoErrorText.h"
#include "platform/DaoTransaction.h"
#include "platform/DaoSql.h"
#include "users/AccountRules.h"
#include "users/Accounts.h"
#include "users/SchemaUpgrade.h"
#include "users/ServerAccounts.h"

#include <QFile>
#include <QRandomGenerator>
#include <QSqlError>
#include <QSqlQuery>
#include <QTextStream>
#include <QUrl>
#include <QUrlQuery>

using namespace Qt::Literals::StringLiterals;

namespace {
const QStringList Tables{u"user"_s,           u"supperuser"_s,     u"score"_s,
                         u"loginhistory"_s,   u"schema_version"_s, u"attempt"_s,
                         u"attempt_mistake"_s};

bool IsPostgresTarget(const QString& target)
{
    return target.startsWith("postgresql://"_L1) || target.startsWith("postgres://"_L1);
}

// True when any table of ours already stands in the database.
bool HasTables(CDaoDatabase& db)
{
    QSqlQuery query(db.Connection());
    query.prepare(db.IsPostgres() ? u"SELECT table_name FROM information_schema.tables "
                                    "WHERE table_schema = current_schema()"_s
                                  : u"SELECT name FROM sqlite_master WHERE type = 'table'"_s);
    if (!query.exec())
        throw CDaoException(query.lastError().databaseText());
    while (query.next()) {
        if (Tables.contains(query.value(0).toString()))
            return true;
    }
    return false;
}

// The first super user: on a file with a hashed password, on a server a row
// with its own role, made with the owner's rights.
void AddFirstSuperUser(CDaoDatabase& db, const QString& superUser, const QString& password)
{
    if (!db.IsPostgres()) {
        CDaoTableDef tableDef(&db);
        tableDef.Open(u"supperuser"_s);
        CDaoRecordset rs(&db);
        rs.Open(&tableDef, dbOpenDynaset, dbAppendOnly | dbInconsistent);
        rs.AddNew();
        rs.SetFieldValue(0, superUser);
        rs.SetFieldValue(1, Accounts::StoredPassword(password));
        rs.Update();
        return;
    }
    QSqlQuery insert(db.Connection());
    if (!insert.prepare(u"INSERT INTO supperuser (name) VALUES (?) RETURNING qe_key"_s))
        DaoSql::Throw(insert.lastError());
    insert.addBindValue(superUser);
    if (!insert.exec() || !insert.next())
        DaoSql::Throw(insert.lastError());
    const qint64 key = insert.value(0).toLongLong();
    insert.finish();
    QSqlQuery role(db.Connection());
    if (!role.prepare(u"SELECT qe_create_account_role('s', ?, ?)"_s))
        DaoSql::Throw(role.lastError());
    role.addBindValue(key);
    role.addBindValue(ServerAccounts::Verifier(db, password));
    if (!role.exec())
        DaoSql::Throw(role.lastError());
}

// All or nothing: a half-made schema is never left behind. Version 1 and
// every upgrade after it, up to the version asked for; for a new database
// (a first super user given) its starting rows and that account. Returns
// the lab machines' address on a server.
QString CreateTables(CDaoDatabase& db, int version, const CDatabaseSteps& steps,
                     const QString* pSuperUser, const QString* pPassword)
{
    QString labAddress;
    CDaoTransaction transaction(db);
    for (int next = 1; next <= version; ++next) {
        const QString address = ApplySchemaVersion(db, next, steps);
        if (!address.isEmpty())
            labAddress = address;
        if (next > 1)
            db.Execute(u"INSERT INTO schema_version (version) VALUES (%1)"_s.arg(next));
    }
    if (pSuperUser) {
        for (const SchemaStep& step : steps.newDatabase)
            step(db);
        AddFirstSuperUser(db, *pSuperUser, *pPassword);
    }
    transaction.Commit();
    return labAddress;
}

// What the administrator copies onto a lab machine: the line is that
// machine's own.
void PrintLabLine(QTextStream& out, const QString& labAddress)
{
    const QString user = QUrl(labAddress).userName();
    const QString machine = user.mid(user.lastIndexOf(u"_lab_"_s) + 5);
    out << u"实验室电脑 %1 的连接(只写入这一台电脑的 /etc/environment；"
           "其他电脑各用 qe --lab-line 名字 生成自己的一行):\n"_s.arg(machine);
    out << u"QE_DATABASE=%1\n"_s.arg(labAddress);
    const QString certificate =
        QUrlQuery(QUrl(labAddress)).queryItemValue(u"sslrootcert"_s, QUrl::FullyDecoded);
    if (!certificate.isEmpty())
        out << u"并把服务器的 CA 证书(签发服务器证书的 root.crt)复制到这台电脑的 %1。\n"_s.arg(
            certificate);
    else
        out << u"注意：这一行不加密(sslmode=disable)，只适合没有网络的单台电脑。\n"_s;
}

QString OptionValue(const QStringList& arguments, const QString& option, bool* pbMissing)
{
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == option) {
            if (i + 1 >= arguments.size() || arguments[i + 1].startsWith("--"_L1)) {
                *pbMissing = true;
                return {};
            }
            return arguments[i + 1];
        }
        if (arguments[i].startsWith(option + u'='))
            return arguments[i].mid(option.size() + 1);
    }
    return {};
}
} // namespace

QString CreateSchema(CDaoDatabase* db, const CDatabaseSteps& steps, int version)
{
    return CreateTables(*db, version < 1 ? NewestSchemaVersion() : version, steps, nullptr,
                        nullptr);
}

QString CreateDatabase(const QString& target, const QString& superUser, const QString& password,
                       const CDatabaseSteps& steps)
{
    CDaoDatabase db;
    if (IsPostgresTarget(target)) {
        db.Open(target);
        if (HasTables(db))
            throw CDaoException(u"the database already holds the tables; it is left as it is"_s);
        return CreateTables(db, NewestSchemaVersion(), steps, &superUser, &password);
    }

    // The one place where a database file comes into being. NewOnly fails
    // on an existing file, so nothing there is ever touched; SQLite takes an
    // empty file as an empty database.
    QFile file(target);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        if (QFile::exists(target))
            throw CDaoException(u"%1 already exists; it is left as it is"_s.arg(target));
        throw CDaoException(u"cannot create %1: %2"_s.arg(target, file.errorString()));
    }
    file.close();
    try {
        db.Open(target);
        CreateTables(db, NewestSchemaVersion(), steps, &superUser, &password);
    } catch (const CDaoException&) {
        db.Close();
        QFile::remove(target);
        throw;
    }
    return {};
}

int RunCreateDatabaseCommand(const QStringList& arguments, const CDatabaseSteps& steps)
{
    QTextStream out(stdout);
    QTextStream err(stderr);
    bool bMissing = false;
    const QString database = OptionValue(arguments, u"--database"_s, &bMissing);
    QString superUser = OptionValue(arguments, u"--super-user"_s, &bMissing);
    QString password = OptionValue(arguments, u"--password"_s, &bMissing);
    if (bMissing) {
        err << "usage: qe [--database URL] --create-database [--super-user NAME --password PW]\n";
        return 2;
    }
    // The first super user must be able to type the password into the login box.
    if (const QString refusal = AccountRules::CheckPassword(password, false); !refusal.isEmpty()) {
        err << u"错误信息:%1\n"_s.arg(refusal);
        return 2;
    }
    if (!database.isEmpty())
        CDaoDatabase::SetTarget(database);
    if (superUser.isEmpty())
        superUser = u"admin"_s;
    if (password.isEmpty())
        password = QString::number(QRandomGenerator::system()->bounded(10000000, 100000000));

    const QString target = CDaoDatabase::DefaultTarget();
    const QString shown =
        IsPostgresTarget(target) ? QUrl(target).toDisplayString(QUrl::RemovePassword) : target;
    QString labAddress;
    try {
        labAddress = CreateDatabase(target, superUser, password, steps);
    } catch (const CDaoException& e) {
        err << u"错误信息:%1\n"_s.arg(ExplainDaoError(e.GetErrorMessage()));
        return 1;
    }
    out << u"已创建数据库 %1\n"_s.arg(shown);
    out << u"超级用户: %1\n"_s.arg(superUser);
    out << u"密码: %1\n"_s.arg(password);
    out << u"请登录后立即修改此密码。\n"_s;
    if (!labAddress.isEmpty())
        PrintLabLine(out, labAddress);
    return 0;
}

int RunUpgradeDatabaseCommand(const QStringList& arguments, const CDatabaseSteps& steps)
{
    QTextStream out(stdout);
    QTextStream err(stderr);
    bool bMissing = false;
    const QString database = OptionValue(arguments, u"--database"_s, &bMissing);
    if (bMissing) {
        err << "usage: qe [--database URL] --upgrade-database\n";
        return 2;
    }
    if (!database.isEmpty())
        CDaoDatabase::SetTarget(database);
    CDaoDatabase db;
    QString labAddress;
    int from = 0;
    try {
        db.Open(CDaoDatabase::DefaultTarget());
        from = ReadSchemaVersion(db);
        // No pupil's session holds a lock the upgrade waits for: the lab's
        // machines and pupils sign in again once it is done.
        if (db.IsPostgres() && from >= AccountsVersion && from < NewestSchemaVersion())
            out << u"已结束实验室电脑和学生的 %1 个数据库连接。\n"_s.arg(
                ServerAccounts::EndLabSessions(db));
        labAddress = UpgradeSchema(db, steps, UpgradeBy::Administrator);
        // The lab's limits and the program's lessons, also when the
        // database was up to date: a changed setting takes effect now.
        RefreshLab(db, steps);
    } catch (const CDaoException& e) {
        err << u"错误信息:%1\n"_s.arg(ExplainDaoError(e.GetErrorMessage()));
        return 1;
    }
    const int newest = NewestSchemaVersion();
    if (from == newest)
        out << u"数据库已是最新版本 %1，未作任何改动。\n"_s.arg(newest);
    else
        out << u"数据库已从版本 %1 升级到版本 %2。\n"_s.arg(from).arg(newest);
    if (!labAddress.isEmpty())
        PrintLabLine(out, labAddress);
    return 0;
}

int RunLabLineCommand(const QStringList& arguments)
{
    QTextStream out(stdout);
    QTextStream err(stderr);
    bool bMissing = false;
    const QString database = OptionValue(arguments, u"--database"_s, &bMissing);
    const QString name = OptionValue(arguments, u"--lab-line"_s, &bMissing);
    if (bMissing || name.isEmpty()) {
        err << "usage: qe --database OWNER-URL --lab-line NAME\n";
        return 2;
    }
    if (!database.isEmpty())
        CDaoDatabase::SetTarget(database);
    if (!IsPostgresTarget(CDaoDatabase::DefaultTarget())) {
        err << u"错误信息:只有服务器上的数据库(PostgreSQL)才有实验室电脑的连接。\n"_s;
        return 2;
    }
    QString labAddress;
    try {
        CDaoDatabase db;
        db.Open(CDaoDatabase::DefaultTarget());
        const int version = ReadSchemaVersion(db);
        if (version < NewestSchemaVersion())
            throw CDaoException(
                u"数据库是版本 %1，请先用 --upgrade-database 升级。"_s.arg(version));
        labAddress = ServerAccounts::IssueLabLine(db, name);
    } catch (const CDaoException& e) {
        err << u"错误信息:%1\n"_s.arg(ExplainDaoError(e.GetErrorMessage()));
        return 1;
    }
    PrintLabLine(out, labAddress);
    return 0;
}
