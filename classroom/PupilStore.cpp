#include "classroom/PupilStore.h"

#include "platform/CheckedQuery.h"
#include "platform/Dao.h"
#include "platform/DaoTransaction.h"
#include "users/Accounts.h"
#include "users/PasswordHash.h"
#include "users/ServerAccounts.h"

#include <QtConcurrent>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;
using namespace CheckedQuery;

namespace PupilStore {

namespace {

const QString KindOrdinary = u"普通用户"_s;

// A null QString would be bound as SQL NULL; the columns hold text.
QString Text(const QString& text)
{
    return text.isNull() ? u""_s : text;
}

[[noreturn]] void NameTaken(const QString& name)
{
    throw CDaoException(
        u"用户名“%1”刚被别人用了,没有导入任何学生。请重新导入,预览会指出这一行。"_s.arg(name));
}

// What each pupil's password is stored as: a hash in a file (made on every
// core, a chunk at a time), a SCRAM verifier for a server. progress(done)
// runs on the caller's thread between chunks.
QStringList Credentials(CDaoDatabase& db, const QList<CPupil>& pupils,
                        const std::function<void(int)>& progress)
{
    constexpr qsizetype Chunk = 50;
    QStringList credentials;
    for (qsizetype from = 0; from < pupils.size(); from += Chunk) {
        QStringList passwords;
        for (qsizetype i = from; i < std::min(pupils.size(), from + Chunk); ++i)
            passwords.append(pupils[i].strPassword);
        if (db.IsPostgres()) {
            for (const QString& password : std::as_const(passwords))
                credentials.append(ServerAccounts::Verifier(db, password));
        } else {
            credentials.append(QtConcurrent::blockingMapped(passwords, &Accounts::StoredPassword));
        }
        if (progress)
            progress(int(credentials.size()) / 2);
    }
    return credentials;
}

QList<qint64> AddToFile(CDaoDatabase& db, const QList<CPupil>& pupils, const QStringList& hashes)
{
    // The names were checked when the list was read; another program may
    // have added one of them since.
    QSqlQuery taken(db.Connection());
    Prepare(taken, u"SELECT 1 FROM \"user\" WHERE name = ? LIMIT 1"_s);
    QSqlQuery query(db.Connection());
    Prepare(query, u"INSERT INTO \"user\" (name, class, student_no, password, kind) "
                   "VALUES (?, ?, ?, ?, ?) RETURNING qe_key"_s);
    QList<qint64> keys;
    for (qsizetype i = 0; i < pupils.size(); ++i) {
        const CPupil& pupil = pupils[i];
        taken.bindValue(0, Text(pupil.strName));
        Exec(taken);
        const bool bTaken = taken.next();
        CheckRead(taken);
        taken.finish();
        if (bTaken)
            NameTaken(pupil.strName);
        query.bindValue(0, Text(pupil.strName));
        query.bindValue(1, Text(pupil.strClass));
        query.bindValue(2, Text(pupil.strStudentNo));
        query.bindValue(3, hashes[i]);
        query.bindValue(4, KindOrdinary);
        Exec(query);
        NextRow(query);
        keys.append(query.value(0).toLongLong());
        query.finish();
    }
    return keys;
}

// The server checks the names under its lock and makes each account's role;
// a few hundred at a call.
QList<qint64> AddOnServer(CDaoDatabase& db, const QList<CPupil>& pupils,
                          const QStringList& verifiers)
{
    constexpr qsizetype Chunk = 200;
    QList<qint64> keys;
    QSqlQuery query(db.Connection());
    Prepare(query, u"SELECT * FROM qe_add_pupils(?::text[], ?::text[], ?::text[], ?::text[])"_s);
    for (qsizetype from = 0; from < pupils.size(); from += Chunk) {
        QStringList names, classes, numbers, chunk;
        for (qsizetype i = from; i < std::min(pupils.size(), from + Chunk); ++i) {
            names.append(Text(pupils[i].strName));
            classes.append(Text(pupils[i].strClass));
            numbers.append(Text(pupils[i].strStudentNo));
            chunk.append(verifiers[i]);
        }
        query.bindValue(0, DaoSql::TextArrayLiteral(names));
        query.bindValue(1, DaoSql::TextArrayLiteral(classes));
        query.bindValue(2, DaoSql::TextArrayLiteral(numbers));
        query.bindValue(3, DaoSql::TextArrayLiteral(chunk));
        Exec(query);
        while (query.next())
            keys.append(query.value(0).toLongLong());
        CheckRead(query);
        query.finish();
    }
    return keys;
}

} // namespace

bool IsNameTaken(CDaoDatabase& db, const QString& name, qint64 exceptKey)
{
    QSqlQuery query(db.Connection());
    Prepare(query, u"SELECT COUNT(*) FROM \"user\" WHERE name = ? AND qe_key <> ?"_s);
    query.addBindValue(name);
    query.addBindValue(exceptKey);
    Exec(query);
    if (!query.next())
        DaoSql::Throw(query.lastError());
    return query.value(0).toLongLong() > 0;
}

QSet<QString> PupilNames(CDaoDatabase& db)
{
    QSqlQuery query(db.Connection());
    query.setForwardOnly(true);
    Prepare(query, u"SELECT name FROM \"user\" WHERE name IS NOT NULL"_s);
    Exec(query);
    QSet<QString> names;
    while (query.next())
        names.insert(query.value(0).toString());
    CheckRead(query);
    return names;
}

CPupil Find(CDaoDatabase& db, qint64 key)
{
    QSqlQuery query(db.Connection());
    Prepare(query, u"SELECT qe_key, COALESCE(name, ''), COALESCE(class, ''), "
                   "COALESCE(student_no, '') FROM \"user\" WHERE qe_key = ?"_s);
    query.addBindValue(key);
    Exec(query);
    if (!query.next()) {
        CheckRead(query);
        return {};
    }
    return {query.value(0).toLongLong(),
            query.value(1).toString(),
            query.value(2).toString(),
            query.value(3).toString(),
            {}};
}

qint64 Add(CDaoDatabase& db, const CPupil& pupil)
{
    const QList<qint64> keys = AddAll(db, {pupil});
    return keys.value(0);
}

QList<qint64> AddAll(CDaoDatabase& db, const QList<CPupil>& pupils,
                     const std::function<void(int)>& progress)
{
    // The passwords' stored forms first, the slow part; then the rows, in
    // one transaction.
    const QStringList credentials = Credentials(db, pupils, progress);
    CDaoTransaction transaction(db);
    QList<qint64> keys;
    if (db.IsPostgres())
        keys = AddOnServer(db, pupils, credentials);
    else
        keys = AddToFile(db, pupils, credentials);
    transaction.Commit();
    if (progress)
        progress(int(pupils.size()));
    return keys;
}

void Update(CDaoDatabase& db, const CPupil& before, const CPupil& after)
{
    CDaoTransaction transaction(db);
    Run(db, u"UPDATE \"user\" SET name = ?, class = ?, student_no = ? WHERE qe_key = ?"_s,
        {Text(after.strName), Text(after.strClass), Text(after.strStudentNo), before.nKey});
    if (before.strName != after.strName || before.strStudentNo != after.strStudentNo) {
        Run(db, u"UPDATE score SET name = ?, student_no = ? WHERE name = ? AND student_no = ?"_s,
            {Text(after.strName), Text(after.strStudentNo), Text(before.strName),
             Text(before.strStudentNo)});
    }
    transaction.Commit();
}

void SetPassword(CDaoDatabase& db, qint64 key, const QString& password)
{
    if (db.IsPostgres()) {
        Run(db, u"SELECT qe_set_pupil_password(?, ?)"_s,
            {key, ServerAccounts::Verifier(db, password)});
        return;
    }
    CDaoTransaction transaction(db);
    Run(db, u"UPDATE \"user\" SET password = ? WHERE qe_key = ?"_s,
        {Accounts::StoredPassword(password), key});
    transaction.Commit();
}

void SetPasswords(CDaoDatabase& db, const QList<CPupil>& pupils)
{
    const QStringList credentials = Credentials(db, pupils, {});
    CDaoTransaction transaction(db);
    for (qsizetype i = 0; i < pupils.size(); ++i) {
        if (db.IsPostgres())
            Run(db, u"SELECT qe_set_pupil_password(?, ?)"_s, {pupils[i].nKey, credentials[i]});
        else
            Run(db, u"UPDATE \"user\" SET password = ? WHERE qe_key = ?"_s,
                {credentials[i], pupils[i].nKey});
    }
    transaction.Commit();
}

void Move(CDaoDatabase& db, const QList<qint64>& keys, const QString& className)
{
    CDaoTransaction transaction(db);
    QSqlQuery query(db.Connection());
    Prepare(query, u"UPDATE \"user\" SET class = ? WHERE qe_key = ?"_s);
    for (const qint64 key : keys) {
        query.bindValue(0, Text(className));
        query.bindValue(1, key);
        Exec(query);
    }
    query.finish();
    transaction.Commit();
}

void Delete(CDaoDatabase& db, const CPupil& pupil, bool bScores)
{
    CDaoTransaction transaction(db);
    if (bScores) {
        // An attempt goes with its score row; the mistyped cells with it.
        Run(db, u"DELETE FROM score WHERE name = ? AND student_no = ?"_s,
            {Text(pupil.strName), Text(pupil.strStudentNo)});
        Run(db,
            u"DELETE FROM score WHERE qe_key IN (SELECT score_key FROM attempt "
            "WHERE user_key = ?)"_s,
            {pupil.nKey});
    }
    Run(db, u"DELETE FROM \"user\" WHERE qe_key = ?"_s, {pupil.nKey});
    transaction.Commit();
}

QString RandomPassword()
{
    return PasswordHash::RandomPassword(8, u"23456789abcdefghjkmnpqrstuvwxyz"_s);
}

} // namespace PupilStore
