#include "attempts/LessonAttemptStore.h"

#include "attempts/AttemptStore.h"
#include "attempts/Metrics.h"
#include "attempts/PracticeKind.h"
#include "platform/CheckedQuery.h"
#include "platform/Dao.h"
#include "platform/DaoTransaction.h"
#include "users/ServerAccounts.h"

#include <QHash>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;
using namespace CheckedQuery;

namespace {

const QString Columns = u"user_key, user_name, class_name, student_no, course, lesson, "
                        "started_at, ended_at, elapsed_ms, keystrokes, correct_keys, errors, "
                        "backspaces, stars, passed, key_presses, backspace_presses, unit"_s;

QString Text(const QString& text)
{
    return text.isNull() ? u""_s : text;
}

CLessonAttempt ReadAttempt(const QSqlQuery& query)
{
    CLessonAttempt attempt;
    attempt.nUserKey = query.value(0).toLongLong();
    attempt.strUserName = query.value(1).toString();
    attempt.strClass = query.value(2).toString();
    attempt.strStudentNo = query.value(3).toString();
    attempt.strCourse = query.value(4).toString();
    attempt.nLesson = query.value(5).toInt();
    attempt.startedAt = ParseStoredDateTime(query.value(6));
    attempt.endedAt = ParseStoredDateTime(query.value(7));
    attempt.nElapsedMs = query.value(8).toLongLong();
    attempt.nKeystrokes = query.value(9).toInt();
    attempt.nCorrectKeys = query.value(10).toInt();
    attempt.nErrors = query.value(11).toInt();
    attempt.nBackspaces = query.value(12).toInt();
    attempt.nStars = query.value(13).toInt();
    attempt.bPassed = query.value(14).toInt() != 0;
    attempt.nKeyPresses = CountOrUnknown(query.value(15));
    attempt.nBackspacePresses = CountOrUnknown(query.value(16));
    attempt.strUnit = query.value(17).toString();
    return attempt;
}

// The courses as the records name them.
QString CourseName(const QString& course)
{
    if (course == u"fingering"_s)
        return u"指法"_s;
    if (course == u"pinyin"_s)
        return u"拼音"_s;
    if (course == u"wubi"_s)
        return u"五笔"_s;
    return course;
}

qint64 StoreOnServer(CDaoDatabase& db, CLessonAttempt& attempt)
{
    QStringList expected;
    QStringList typed;
    QStringList times;
    for (const CLessonMiss& miss : attempt.misses) {
        expected.append(Text(miss.strExpected));
        typed.append(Text(miss.strTyped));
        times.append(QString::number(miss.nTimes));
    }
    QSqlQuery query(db.Connection());
    Prepare(query, u"SELECT attempt_id, stars, passed FROM qe_store_lesson(?, ?, ?, ?, ?, ?, ?, "
                   "?::text[], ?::text[], ?::integer[])"_s);
    for (const QVariant& value :
         QVariantList{Text(attempt.strCourse), attempt.nLesson, attempt.nElapsedMs, attempt.nErrors,
                      attempt.nBackspaces, attempt.nKeyPresses, attempt.nBackspacePresses,
                      DaoSql::TextArrayLiteral(expected), DaoSql::TextArrayLiteral(typed),
                      u"{%1}"_s.arg(times.join(u','))})
        query.addBindValue(value);
    Exec(query);
    NextRow(query);
    attempt.nStars = query.value(1).toInt();
    attempt.bPassed = query.value(2).toInt() != 0;
    return query.value(0).toLongLong();
}

} // namespace

double CLessonAttempt::KeysPerMinute() const
{
    return Metrics::UnitsPerMinute(nCorrectKeys, nElapsedMs);
}

double CLessonAttempt::WordsPerMinute() const
{
    return Metrics::WordsPerMinute(nCorrectKeys, nElapsedMs);
}

int CLessonAttempt::Accuracy() const
{
    return Metrics::Accuracy(nCorrectKeys, nKeystrokes);
}

namespace LessonAttemptStore {

qint64 Store(CDaoDatabase& db, CLessonAttempt& attempt)
{
    CDaoTransaction transaction(db);
    if (ServerAccounts::IsPupilSession(db)) {
        const qint64 id = StoreOnServer(db, attempt);
        StoreLessonKeys(db, id, attempt.nUserKey, attempt.keys);
        transaction.Commit();
        return id;
    }
    QSqlQuery insert(db.Connection());
    Prepare(
        insert,
        u"INSERT INTO lesson_attempt (%1, kind, checked) VALUES "
        "(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, 1) RETURNING id"_s.arg(Columns));
    const QVariantList values{attempt.nUserKey,
                              Text(attempt.strUserName),
                              Text(attempt.strClass),
                              Text(attempt.strStudentNo),
                              Text(attempt.strCourse),
                              attempt.nLesson,
                              StoredDateTime(attempt.startedAt),
                              StoredDateTime(attempt.endedAt),
                              attempt.nElapsedMs,
                              attempt.nKeystrokes,
                              attempt.nCorrectKeys,
                              attempt.nErrors,
                              attempt.nBackspaces,
                              attempt.nStars,
                              attempt.bPassed ? 1 : 0,
                              KnownCount(attempt.nKeyPresses),
                              KnownCount(attempt.nBackspacePresses),
                              attempt.strUnit.isEmpty() ? u"键"_s : attempt.strUnit,
                              int(PracticeKind::Lesson)};
    for (int i = 0; i < values.size(); ++i)
        insert.bindValue(i, values[i]);
    Exec(insert);
    NextRow(insert);
    const qint64 id = insert.value(0).toLongLong();
    insert.finish();

    QSqlQuery miss(db.Connection());
    Prepare(miss, u"INSERT INTO lesson_miss (attempt_id, user_key, expected, typed, times) "
                  "VALUES (?, ?, ?, ?, ?)"_s);
    for (const CLessonMiss& entry : attempt.misses) {
        miss.bindValue(0, id);
        miss.bindValue(1, attempt.nUserKey);
        miss.bindValue(2, Text(entry.strExpected));
        miss.bindValue(3, Text(entry.strTyped));
        miss.bindValue(4, entry.nTimes);
        Exec(miss);
    }
    StoreLessonKeys(db, id, attempt.nUserKey, attempt.keys);
    transaction.Commit();
    return id;
}

QList<CLessonAttempt> Load(CDaoDatabase& db, qint64 userKey, const QString& course)
{
    QSqlQuery query(db.Connection());
    Select(query, u"SELECT %1 FROM lesson_attempt WHERE user_key = ? AND course = ? "
                  "AND checked = 1 ORDER BY started_at, id"_s.arg(Columns));
    query.addBindValue(userKey);
    query.addBindValue(course);
    Exec(query);
    QList<CLessonAttempt> attempts;
    while (query.next())
        attempts.append(ReadAttempt(query));
    CheckRead(query);
    return attempts;
}

QList<CAttemptSummary> Summaries(CDaoDatabase& db, qint64 userKey)
{
    QSqlQuery query(db.Connection());
    Select(query, u"SELECT course, lesson, started_at, elapsed_ms, keystrokes, correct_keys, "
                  "backspaces, key_presses, unit, backspace_presses FROM lesson_attempt "
                  "WHERE user_key = ? ORDER BY started_at DESC, id DESC"_s);
    query.addBindValue(userKey);
    Exec(query);
    QList<CAttemptSummary> summaries;
    while (query.next()) {
        CAttemptSummary& summary = summaries.emplace_back();
        summary.nKind = PracticeKind::Lesson;
        summary.bWholeText = true; // a lesson is kept only when typed to its end
        summary.strLabel =
            u"%1 第%2课"_s.arg(CourseName(query.value(0).toString())).arg(query.value(1).toInt());
        summary.startedAt = ParseStoredDateTime(query.value(2));
        summary.nElapsedMs = query.value(3).toLongLong();
        summary.nTypedUnits = query.value(4).toInt();
        summary.nCorrectUnits = query.value(5).toInt();
        summary.nDeletedUnits = query.value(6).toInt();
        summary.nKeyPresses = CountOrUnknown(query.value(7));
        summary.strSpeedUnit = query.value(8).toString() + u"/分"_s;
        summary.nBackspacePresses = query.value(9).toInt();
    }
    CheckRead(query);
    return summaries;
}

QList<CMistakeCount> TopMisses(CDaoDatabase& db, qint64 userKey, int limit)
{
    QSqlQuery query(db.Connection());
    Select(query, u"SELECT expected, typed, SUM(times) FROM lesson_miss WHERE user_key = ? "
                  "GROUP BY expected, typed"_s);
    query.addBindValue(userKey);
    Exec(query);
    QHash<QString, qsizetype> index;
    QList<CMistakeCount> counts;
    while (query.next()) {
        const QString expected = query.value(0).toString();
        const int times = query.value(2).toInt();
        qsizetype& slot = index[expected];
        if (slot == 0) {
            counts.append({expected, 0, {}});
            slot = counts.size();
        }
        CMistakeCount& entry = counts[slot - 1];
        entry.nCount += times;
        entry.typedInstead.append({query.value(1).toString(), times});
    }
    CheckRead(query);
    std::sort(counts.begin(), counts.end(), [](const auto& a, const auto& b) {
        return a.nCount != b.nCount ? a.nCount > b.nCount : a.strExpected < b.strExpected;
    });
    if (counts.size() > limit)
        counts.resize(limit);
    for (CMistakeCount& entry : counts) {
        std::sort(entry.typedInstead.begin(), entry.typedInstead.end(),
                  [](const auto& a, const auto& b) {
                      return a.second != b.second ? a.second > b.second : a.first < b.first;
                  });
    }
    return counts;
}

QList<CLessonAttempt> LoadClass(CDaoDatabase& db, const QString& className, const QString& course)
{
    // The class's pupils first, then each one's rows of the index.
    QSqlQuery query(db.Connection());
    Select(query, u"SELECT a.%1 FROM \"user\" u CROSS JOIN lesson_attempt a "
                  "WHERE a.user_key = u.qe_key AND COALESCE(u.class, '') = ? AND a.course = ? "
                  "AND a.checked = 1 ORDER BY a.user_key, a.started_at, a.id"_s.arg(
                      QString(Columns).replace(u", "_s, u", a."_s)));
    query.addBindValue(className);
    query.addBindValue(course);
    Exec(query);
    QList<CLessonAttempt> attempts;
    while (query.next())
        attempts.append(ReadAttempt(query));
    CheckRead(query);
    return attempts;
}

} // namespace LessonAttemptStore
