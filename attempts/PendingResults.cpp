#include "attempts/PendingResults.h"

#include "attempts/AttemptStore.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLockFile>
#include <QMessageAuthenticationCode>
#include <QSaveFile>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int FileVersion = 1;

QString Path()
{
    return QDir::current().filePath(PendingResults::FileName());
}

QString RefusedPath()
{
    return QDir::current().filePath(PendingResults::RefusedFileName());
}

QJsonValue FieldToJson(const std::pair<int, CDaoFieldValue>& field)
{
    QJsonObject o{{u"field"_s, field.first}};
    switch (field.second.kind) {
    case CDaoFieldValue::Kind::Int16:
        o.insert(u"int16"_s, field.second.value.toInt());
        break;
    case CDaoFieldValue::Kind::Text:
        o.insert(u"text"_s, field.second.value.toString());
        break;
    default:
        o.insert(u"null"_s, true);
        break;
    }
    return o;
}

std::pair<int, CDaoFieldValue> FieldFromJson(const QJsonObject& o)
{
    const int field = o.value(u"field"_s).toInt(-1);
    if (o.contains(u"int16"_s))
        return {field, CDaoFieldValue::FromInt16(qint16(o.value(u"int16"_s).toInt()))};
    if (o.contains(u"text"_s))
        return {field, CDaoFieldValue::FromText(o.value(u"text"_s).toString())};
    return {field, CDaoFieldValue()};
}

QString Time(const QDateTime& time)
{
    return StoredDateTime(time);
}

QDateTime TimeFrom(const QJsonValue& value)
{
    return ParseStoredDateTime(value.toString());
}

// Whole numbers that may pass 2^53 go as text.
QString Number(qint64 number)
{
    return QString::number(number);
}

qint64 NumberFrom(const QJsonValue& value)
{
    return value.toString().toLongLong();
}

QJsonObject ToJson(const CPendingResult& result)
{
    QJsonArray fields;
    for (const auto& field : result.scoreFields)
        fields.append(FieldToJson(field));
    const CAttempt& a = result.attempt;
    QJsonArray mistakes;
    for (const CMistake& m : a.mistakes)
        mistakes.append(QJsonArray{m.nPosition, m.strExpected, m.strTyped});
    const QJsonObject attempt{
        {u"userKey"_s, Number(a.nUserKey)},
        {u"userName"_s, a.strUserName},
        {u"class"_s, a.strClass},
        {u"studentNo"_s, a.strStudentNo},
        {u"kind"_s, a.nKind},
        {u"textFile"_s, a.strTextFile},
        {u"textHash"_s, a.strTextHash},
        {u"startedAt"_s, Time(a.startedAt)},
        {u"endedAt"_s, Time(a.endedAt)},
        {u"elapsedMs"_s, Number(a.nElapsedMs)},
        {u"typed"_s, a.nTypedUnits},
        {u"correct"_s, a.nCorrectUnits},
        {u"backspaces"_s, a.nBackspaces},
        {u"endReason"_s, a.nEndReason},
        {u"mistakes"_s, mistakes},
        {u"textId"_s, Number(a.nTextId)},
        {u"screen"_s, a.nScreen},
        {u"examId"_s, Number(a.nExamId)},
    };
    const CExamSitting& s = result.sitting;
    const QJsonObject sitting{
        {u"uid"_s, s.strUid},
        {u"examId"_s, Number(s.nExamId)},
        {u"userKey"_s, Number(s.nUserKey)},
        {u"startedAt"_s, Time(s.startedAt)},
        {u"focusLosses"_s, s.nFocusLosses},
    };
    QJsonObject o{{u"score"_s, fields}, {u"attempt"_s, attempt}, {u"sitting"_s, sitting}};
    if (!result.strSeal.isEmpty())
        o.insert(u"seal"_s, result.strSeal);
    return o;
}

// The seal of a result: a keyed hash of everything the file says of it.
// Only the program that kept it and the database know the key.
QString Seal(CPendingResult result, const QString& key)
{
    result.strSeal.clear();
    const QByteArray text = QJsonDocument(ToJson(result)).toJson(QJsonDocument::Compact);
    return QString::fromLatin1(
        QMessageAuthenticationCode::hash(text, key.toUtf8(), QCryptographicHash::Sha256).toHex());
}

std::optional<CPendingResult> FromJson(const QJsonObject& o)
{
    CPendingResult result;
    for (const QJsonValue& field : o.value(u"score"_s).toArray())
        result.scoreFields.push_back(FieldFromJson(field.toObject()));
    const QJsonObject a = o.value(u"attempt"_s).toObject();
    CAttempt& attempt = result.attempt;
    attempt.nUserKey = NumberFrom(a.value(u"userKey"_s));
    attempt.strUserName = a.value(u"userName"_s).toString();
    attempt.strClass = a.value(u"class"_s).toString();
    attempt.strStudentNo = a.value(u"studentNo"_s).toString();
    attempt.nKind = a.value(u"kind"_s).toInt();
    attempt.strTextFile = a.value(u"textFile"_s).toString();
    attempt.strTextHash = a.value(u"textHash"_s).toString();
    attempt.startedAt = TimeFrom(a.value(u"startedAt"_s));
    attempt.endedAt = TimeFrom(a.value(u"endedAt"_s));
    attempt.nElapsedMs = NumberFrom(a.value(u"elapsedMs"_s));
    attempt.nTypedUnits = a.value(u"typed"_s).toInt();
    attempt.nCorrectUnits = a.value(u"correct"_s).toInt();
    attempt.nBackspaces = a.value(u"backspaces"_s).toInt();
    attempt.nEndReason = a.value(u"endReason"_s).toInt();
    for (const QJsonValue& value : a.value(u"mistakes"_s).toArray()) {
        const QJsonArray m = value.toArray();
        attempt.mistakes.append({m.at(0).toInt(), m.at(1).toString(), m.at(2).toString()});
    }
    attempt.nTextId = NumberFrom(a.value(u"textId"_s));
    attempt.nScreen = a.value(u"screen"_s).toInt();
    attempt.nExamId = NumberFrom(a.value(u"examId"_s));
    const QJsonObject s = o.value(u"sitting"_s).toObject();
    CExamSitting& sitting = result.sitting;
    sitting.strUid = s.value(u"uid"_s).toString();
    sitting.nExamId = NumberFrom(s.value(u"examId"_s));
    sitting.nUserKey = NumberFrom(s.value(u"userKey"_s));
    sitting.startedAt = TimeFrom(s.value(u"startedAt"_s));
    sitting.nFocusLosses = s.value(u"focusLosses"_s).toInt();
    result.strSeal = o.value(u"seal"_s).toString();
    if (sitting.strUid.isEmpty() || result.scoreFields.empty() || !attempt.startedAt.isValid() ||
        !sitting.startedAt.isValid())
        return std::nullopt;
    return result;
}

// Reads a file of results; a missing file holds none.
bool Read(QList<CPendingResult>& results, QString* error, const QString& path = Path())
{
    QFile file(path);
    if (!file.exists())
        return true;
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    QJsonParseError parse;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &parse);
    const QJsonObject top = document.object();
    if (parse.error != QJsonParseError::NoError || top.value(u"version"_s).toInt() != FileVersion) {
        if (error)
            *error = parse.error != QJsonParseError::NoError ? parse.errorString()
                                                             : u"unknown version"_s;
        return false;
    }
    for (const QJsonValue& value : top.value(u"results"_s).toArray()) {
        std::optional<CPendingResult> result = FromJson(value.toObject());
        if (!result) {
            if (error)
                *error = u"a result without its data"_s;
            return false;
        }
        results.append(*result);
    }
    return true;
}

// Replaces the file whole; an empty list removes it.
bool Write(const QList<CPendingResult>& results, QString* error, const QString& path = Path())
{
    if (results.isEmpty()) {
        if (QFile::exists(path) && !QFile::remove(path)) {
            if (error)
                *error = u"cannot remove %1"_s.arg(path);
            return false;
        }
        return true;
    }
    QJsonArray array;
    for (const CPendingResult& result : results)
        array.append(ToJson(result));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(QJsonDocument(QJsonObject{{u"version"_s, FileVersion}, {u"results"_s, array}})
                       .toJson()) < 0 ||
        !file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

// Adds a result to a file of results. A damaged file is put aside, never
// overwritten: what it holds may still be read by hand.
bool Append(const QString& path, const CPendingResult& result, QString* error)
{
    QList<CPendingResult> results;
    QString readError;
    if (!Read(results, &readError, path)) {
        const QString aside = u"%1.damaged-%2"_s.arg(path).arg(
            QDateTime::currentDateTime().toString(u"yyyyMMdd-HHmmss"_s));
        if (!QFile::rename(path, aside)) {
            if (error)
                *error = readError;
            return false;
        }
        results.clear();
    }
    results.append(result);
    return Write(results, error, path);
}

// Serialises changes of two programs working in one directory.
class CFileLock
{
public:
    CFileLock() : m_lock(Path() + u".lock"_s) { m_bLocked = m_lock.tryLock(5000); }
    bool IsLocked() const { return m_bLocked; }

private:
    QLockFile m_lock;
    bool m_bLocked = false;
};

} // namespace

namespace PendingResults {

QString FileName()
{
    return u"pending-results.json"_s;
}

QString RefusedFileName()
{
    return u"pending-results-refused.json"_s;
}

bool Keep(const CPendingResult& result, QString* error)
{
    CFileLock lock;
    if (!lock.IsLocked()) {
        if (error)
            *error = u"%1 is locked by another program"_s.arg(FileName());
        return false;
    }
    CPendingResult sealed = result;
    sealed.strSeal = Seal(result, result.sitting.strSealKey);
    return Append(Path(), sealed, error);
}

QList<CPendingResult> Load(QString* error)
{
    QList<CPendingResult> results;
    if (!Read(results, error))
        results.clear();
    return results;
}

bool HasSitting(qint64 examId, qint64 userKey)
{
    for (const CPendingResult& result : Load()) {
        if (result.sitting.nExamId == examId && result.sitting.nUserKey == userKey)
            return true;
    }
    return false;
}

int Flush(CDaoDatabase& db)
{
    if (!QFile::exists(Path()))
        return 0;
    CFileLock lock;
    if (!lock.IsLocked())
        return 0;
    QList<CPendingResult> results;
    if (!Read(results, nullptr))
        return 0;
    int done = 0;
    while (!results.isEmpty()) {
        const CPendingResult& result = results.constFirst();
        try {
            const QString key = SittingSealKey(db, result.sitting.strUid);
            if (!key.isEmpty() && result.strSeal == Seal(result, key))
                StoreSittingResult(db, result.scoreFields, result.attempt, result.sitting);
            else if (!Append(RefusedPath(), result, nullptr))
                break;
        } catch (const CDaoException&) {
            break;
        }
        results.removeFirst();
        ++done;
        // Written after each one, so that a program that stops here has
        // nothing left in the file that the database already holds.
        if (!Write(results, nullptr))
            break;
    }
    return done;
}

} // namespace PendingResults
