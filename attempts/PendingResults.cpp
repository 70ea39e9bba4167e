#include "attempts/PendingResults.h"

#include "platform/DaoException.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLockFile>
#include <QMutex>
#include <QSaveFile>

using namespace Qt::Literals::StringLiterals;

namespace {

// Version 1 kept figures and a seal; version 2 keeps what was typed.
constexpr int FileVersion = 2;
constexpr int SealedVersion = 1;

QString Path()
{
    return QDir::current().filePath(PendingResults::FileName());
}

QString RefusedPath()
{
    return QDir::current().filePath(PendingResults::RefusedFileName());
}

QJsonArray Strings(const QStringList& texts)
{
    return QJsonArray::fromStringList(texts);
}

QStringList StringsFrom(const QJsonValue& value)
{
    QStringList texts;
    for (const QJsonValue& item : value.toArray())
        texts.append(item.toString());
    return texts;
}

QJsonObject ToJson(const CSittingResult& result)
{
    // Whole numbers that may pass 2^53 go as text.
    return {
        {u"uid"_s, result.strUid},
        {u"examId"_s, QString::number(result.nExamId)},
        {u"userKey"_s, QString::number(result.nUserKey)},
        {u"typedCells"_s, Strings(result.typedCells)},
        {u"typedTexts"_s, Strings(result.typedTexts)},
        {u"backspaces"_s, result.nBackspaces},
        {u"endReason"_s, result.nEndReason},
        {u"focusLosses"_s, result.nFocusLosses},
        {u"keyMedianMs"_s, result.nKeyMedianMs},
        {u"keySpreadMs"_s, result.nKeySpreadMs},
        {u"keyPresses"_s, result.nKeyPresses},
        {u"backspacePresses"_s, result.nBackspacePresses},
    };
}

std::optional<CSittingResult> FromJson(const QJsonObject& o)
{
    CSittingResult result;
    result.strUid = o.value(u"uid"_s).toString();
    result.nExamId = o.value(u"examId"_s).toString().toLongLong();
    result.nUserKey = o.value(u"userKey"_s).toString().toLongLong();
    result.typedCells = StringsFrom(o.value(u"typedCells"_s));
    result.typedTexts = StringsFrom(o.value(u"typedTexts"_s));
    result.nBackspaces = o.value(u"backspaces"_s).toInt();
    result.nEndReason = o.value(u"endReason"_s).toInt();
    result.nFocusLosses = o.value(u"focusLosses"_s).toInt();
    result.nKeyMedianMs = o.value(u"keyMedianMs"_s).toInt();
    result.nKeySpreadMs = o.value(u"keySpreadMs"_s).toInt();
    // A result kept by an older program knows no key presses.
    result.nKeyPresses = o.value(u"keyPresses"_s).toInt(-1);
    result.nBackspacePresses = o.value(u"backspacePresses"_s).toInt(-1);
    if (result.strUid.isEmpty() || result.nUserKey == 0)
        return std::nullopt;
    return result;
}

// A result kept by an older program: figures under a seal, not what was
// typed, so that it cannot be scored. Only its sitting is read.
std::optional<CSittingResult> FromSealedJson(const QJsonObject& o)
{
    const QJsonObject sitting = o.value(u"sitting"_s).toObject();
    CSittingResult result;
    result.strUid = sitting.value(u"uid"_s).toString();
    result.nExamId = sitting.value(u"examId"_s).toString().toLongLong();
    result.nUserKey = sitting.value(u"userKey"_s).toString().toLongLong();
    if (result.strUid.isEmpty() || result.nUserKey == 0)
        return std::nullopt;
    return result;
}

// Reads a file of results; a missing file holds none. Results of an older
// program go to *pSealed when given (and fail the read otherwise).
bool Read(QList<CSittingResult>& results, QString* error, const QString& path = Path(),
          QList<CSittingResult>* pSealed = nullptr)
{
    QFile file(path);
    if (!file.exists())
        return true;
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = u"无法读取 %1:%2"_s.arg(QFileInfo(path).fileName(), file.errorString());
        return false;
    }
    QJsonParseError parse;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &parse);
    const QJsonObject top = document.object();
    const int version = top.value(u"version"_s).toInt();
    const bool bSealed = version == SealedVersion && pSealed;
    if (parse.error != QJsonParseError::NoError || (version != FileVersion && !bSealed)) {
        if (error)
            *error = u"%1 已损坏或不是本程序的格式"_s.arg(QFileInfo(path).fileName());
        return false;
    }
    for (const QJsonValue& value : top.value(u"results"_s).toArray()) {
        std::optional<CSittingResult> result =
            bSealed ? FromSealedJson(value.toObject()) : FromJson(value.toObject());
        if (result && bSealed) {
            pSealed->append(*result);
            continue;
        }
        if (!result) {
            if (error)
                *error = u"%1 中有一个成绩缺少内容"_s.arg(QFileInfo(path).fileName());
            return false;
        }
        results.append(*result);
    }
    return true;
}

// Replaces the file whole; an empty list removes it.
bool Write(const QList<CSittingResult>& results, QString* error, const QString& path = Path())
{
    const QString name = QFileInfo(path).fileName();
    if (results.isEmpty()) {
        if (QFile::exists(path) && !QFile::remove(path)) {
            if (error)
                *error = u"无法删除 %1"_s.arg(name);
            return false;
        }
        return true;
    }
    QJsonArray array;
    for (const CSittingResult& result : results)
        array.append(ToJson(result));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(QJsonDocument(QJsonObject{{u"version"_s, FileVersion}, {u"results"_s, array}})
                       .toJson()) < 0 ||
        !file.commit()) {
        if (error)
            *error = u"无法在工作目录中写入 %1:%2"_s.arg(name, file.errorString());
        return false;
    }
    return true;
}

// Adds a result to a file of results. A damaged file is put aside, never
// overwritten: what it holds may still be read by hand.
bool Append(const QString& path, const CSittingResult& result, QString* error)
{
    QList<CSittingResult> results;
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

// The threads of one program, before the lock file of the programs.
QMutex g_mutex;

// Serialises changes of two programs working in one directory.
class CFileLock
{
public:
    CFileLock() : m_guard(&g_mutex), m_lock(Path() + u".lock"_s)
    {
        m_bLocked = m_lock.tryLock(5000);
    }
    bool IsLocked() const { return m_bLocked; }
    // Why the lock was not taken, in Chinese.
    QString Reason() const
    {
        if (m_lock.error() == QLockFile::LockFailedError)
            return u"另一个 QE 程序正在使用 %1,请稍后再试"_s.arg(PendingResults::FileName());
        return u"无法在工作目录中写入 %1(文件夹不可写)"_s.arg(PendingResults::FileName());
    }

private:
    QMutexLocker<QMutex> m_guard;
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

bool Keep(const CSittingResult& result, QString* error)
{
    CFileLock lock;
    if (!lock.IsLocked()) {
        if (error)
            *error = lock.Reason();
        return false;
    }
    return Append(Path(), result, error);
}

void Forget(const QString& uid)
{
    if (!QFile::exists(Path()))
        return;
    CFileLock lock;
    QList<CSittingResult> results;
    if (!lock.IsLocked() || !Read(results, nullptr))
        return;
    if (results.removeIf([&uid](const CSittingResult& kept) { return kept.strUid == uid; }) > 0)
        Write(results, nullptr);
}

QList<CSittingResult> Load(QString* error)
{
    QList<CSittingResult> results;
    if (!Read(results, error))
        results.clear();
    return results;
}

bool HasSitting(qint64 examId, qint64 userKey)
{
    for (const CSittingResult& result : Load()) {
        if (result.nExamId == examId && result.nUserKey == userKey)
            return true;
    }
    return false;
}

int Flush(CDaoDatabase& db, qint64 userKey, QStringList* pRefusals)
{
    if (userKey == 0 || !QFile::exists(Path()))
        return 0;
    CFileLock lock;
    if (!lock.IsLocked())
        return 0;
    QList<CSittingResult> results;
    QList<CSittingResult> sealed;
    if (!Read(results, nullptr, Path(), &sealed))
        return 0;
    int done = 0;
    const bool bHadSealed = !sealed.isEmpty();
    // An older program's results cannot be scored: each is refused where the
    // teacher sees it, and set aside.
    for (qsizetype i = 0; i < sealed.size();) {
        if (sealed[i].nUserKey != userKey) {
            ++i;
            continue;
        }
        try {
            RefuseKeptResult(db, sealed[i], u"本机保存的成绩来自旧版本的程序,无法核对"_s);
        } catch (const CDaoException&) {
            return done;
        }
        if (!Append(RefusedPath(), sealed.takeAt(i), nullptr))
            return done;
        ++done;
    }
    if (!sealed.isEmpty())
        return done; // the others' wait in the older form for their own login
    if (bHadSealed && !Write(results, nullptr))
        return done;
    for (qsizetype i = 0; i < results.size();) {
        const CSittingResult result = results[i];
        if (result.nUserKey != userKey) {
            ++i;
            continue;
        }
        QString refusal;
        try {
            const CSittingOutcome outcome = FinishSitting(db, result);
            if (outcome.kind == CSittingOutcome::Anothers) {
                // Changed on this machine to this account: it goes back to
                // the account it is, for that account's login to store.
                results[i].nUserKey = outcome.nOwnerKey;
                if (!Write(results, nullptr))
                    break;
                if (pRefusals)
                    pRefusals->append(outcome.strReason);
                ++i;
                continue;
            }
            if (outcome.kind == CSittingOutcome::Refused)
                refusal = outcome.strReason;
        } catch (const CDaoException& e) {
            // Refused by the server's rules, it is set aside like any
            // refusal; any other failure means the database is away.
            if (!e.IsRefusal() && e.State() != "42501"_L1)
                break;
            refusal = e.GetErrorMessage();
        }
        if (!refusal.isEmpty()) {
            if (!Append(RefusedPath(), result, nullptr))
                break;
            if (pRefusals)
                pRefusals->append(refusal);
        }
        results.removeAt(i);
        ++done;
        // Written after each one, so that a program that stops here has
        // nothing left in the file that the database already holds.
        if (!Write(results, nullptr))
            break;
    }
    return done;
}

} // namespace PendingResults
