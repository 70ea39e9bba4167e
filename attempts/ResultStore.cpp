#include "attempts/ResultStore.h"

#include "attempts/AttemptStore.h"
#include "attempts/LessonAttemptStore.h"
#include "attempts/PendingResults.h"

#include <QCoreApplication>
#include <QFile>
#include <QSqlQuery>

using namespace Qt::Literals::StringLiterals;

namespace {

// The detail of a sitting's keys beside the attempt the database just made
// of it. The sitting is stored whatever becomes of its detail: a failure is
// only logged.
void StoreSittingDetail(CDaoDatabase& db, const CSittingResult& result)
{
    if (result.detail.IsEmpty())
        return;
    try {
        QSqlQuery query(db.Connection());
        query.prepare(u"SELECT MAX(a.id) FROM attempt a JOIN attempt_text t ON t.attempt_id = a.id "
                      "WHERE t.exam_id = ? AND a.user_key = ?"_s);
        query.addBindValue(result.nExamId);
        query.addBindValue(result.nUserKey);
        if (!query.exec() || !query.next() || query.value(0).isNull())
            return;
        const qint64 attemptId = query.value(0).toLongLong();
        // A statement left open keeps its read lock on a database file: the
        // writes below would then wait on a writer that waits on it, and
        // SQLite refuses them at once.
        query.finish();
        StoreDetail(db, attemptId, result.nUserKey, result.detail);
    } catch (const CDaoException& e) {
        qWarning("the keys of the sitting were not kept: %s", e.what());
    }
}

} // namespace

void CResultStore::BeginAttempt() const
{
    const CDaoDatabase* db = m_session.Database();
    if (db && db->IsPostgres() && m_session.IsOwnLogin())
        m_session.Post(BeginOnServer);
}

void CResultStore::StorePractice(QObject* context, const FieldList& scoreFields,
                                 const CAttempt* pAttempt, std::function<void()> stored,
                                 CDaoWorker::Failed failed) const
{
    const std::optional<CAttempt> attempt =
        pAttempt ? std::optional<CAttempt>(*pAttempt) : std::nullopt;
    m_session.Ask(
        context,
        [scoreFields, attempt](CDaoDatabase& own) {
            StoreScoreWithAttempt(own, scoreFields, attempt ? &*attempt : nullptr);
        },
        std::move(stored), std::move(failed));
}

namespace {

// What was typed, scored as a database file scores it: the mistakes to
// show, and the figures when the database could not be reached (the result
// then kept on this machine when bKept, lost with keepError otherwise).
CSittingStored Shown(const CExamSitting& sitting, const CSittingResult& result,
                     const std::optional<CSittingOutcome>& outcome, bool bKept,
                     const QString& keepError)
{
    const qint64 limitMs = qint64(sitting.nMinutes) * 60000;
    CSittingStored stored;
    stored.figures = ExamScoring::Score(sitting.screenCells, sitting.screenTexts, result.typedCells,
                                        result.typedTexts, sitting.nKind, limitMs, limitMs,
                                        result.nKeyMedianMs, result.nKeySpreadMs);
    if (outcome &&
        (outcome->kind == CSittingOutcome::Refused || outcome->kind == CSittingOutcome::Anothers)) {
        stored.storage = CSittingStored::Storage::Refused;
        stored.strDetail = outcome->strReason;
    } else if (outcome) {
        const QList<CMistake> mistakes = stored.figures.mistakes;
        stored.figures = outcome->figures;
        stored.figures.mistakes = mistakes;
        stored.storage = CSittingStored::Storage::Stored;
    } else {
        stored.storage = bKept ? CSittingStored::Storage::Kept : CSittingStored::Storage::Lost;
        stored.strDetail = keepError;
    }
    return stored;
}

} // namespace

void CResultStore::StoreSitting(QObject* context, const CExamSitting& sitting,
                                const CSittingResult& result,
                                std::function<void(const CSittingStored&)> done) const
{
    // Kept on this machine first: a program that ends before the answer,
    // or a server that gives none, loses nothing. The worker takes it out
    // again once the database decided on it (a server that answers too
    // late finds it stored already when it is sent again).
    QString keepError;
    const bool bKept = PendingResults::Keep(result, &keepError);
    m_session.Ask<CSittingOutcome>(
        context,
        [result](CDaoDatabase& own) {
            const CSittingOutcome finished = FinishSitting(own, result);
            PendingResults::Forget(result.strUid);
            if (finished.kind == CSittingOutcome::Stored)
                StoreSittingDetail(own, result);
            // Results kept while the database was away follow now.
            PendingResults::Flush(own, result.nUserKey);
            return finished;
        },
        [sitting, result, done](const CSittingOutcome& outcome) {
            done(Shown(sitting, result, outcome, true, {}));
        },
        [sitting, result, done, bKept, keepError](const CDaoException&) {
            done(Shown(sitting, result, std::nullopt, bKept, keepError));
        });
}

void CResultStore::StoreKept(qint64 userKey, std::function<void(const QStringList&)> refused) const
{
    if (!QFile::exists(PendingResults::FileName()))
        return;
    m_session.Post([userKey, refused](CDaoDatabase& own) {
        QStringList refusals;
        PendingResults::Flush(own, userKey, &refusals);
        if (refusals.isEmpty() || !refused)
            return;
        QMetaObject::invokeMethod(QCoreApplication::instance(),
                                  [refused, refusals] { refused(refusals); });
    });
}
