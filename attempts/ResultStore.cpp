#include "attempts/ResultStore.h"

#include "attempts/AttemptStore.h"
#include "attempts/LessonAttemptStore.h"
#include "attempts/PendingResults.h"
#include "platform/DaoBackground.h"
#include "platform/DaoOffThread.h"

#include <QCoreApplication>
#include <QFile>
#include <QSqlQuery>

using namespace Qt::Literals::StringLiterals;

namespace {

// How long a store waits for its attempt's begin still on the background thread.
constexpr int BeginWaitMs = 2000;

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

CDaoDatabase& Connected(CDaoDatabase* db)
{
    if (!db)
        throw CDaoException(u"数据库未正确连接。"_s);
    return *db;
}

} // namespace

void CResultStore::BeginAttempt(bool bOwnLogin) const
{
    if (m_db && m_db->IsPostgres() && bOwnLogin)
        DaoBackground::Post(m_db->Target(), BeginOnServer);
}

void CResultStore::StorePractice(const FieldList& scoreFields, const CAttempt* pAttempt) const
{
    const std::optional<CAttempt> attempt =
        pAttempt ? std::optional<CAttempt>(*pAttempt) : std::nullopt;
    OffThread::RunFor(Connected(m_db).Target(), [scoreFields, attempt](CDaoDatabase& own) {
        // The attempt's begin goes first (it is long done but for a
        // practice of a moment).
        DaoBackground::Wait(BeginWaitMs);
        StoreScoreWithAttempt(own, scoreFields, attempt ? &*attempt : nullptr);
    });
}

void CResultStore::StoreLesson(CLessonAttempt& attempt) const
{
    attempt = OffThread::Run<CLessonAttempt>(Connected(m_db).Target(),
                                             [attempt](CDaoDatabase& own) mutable {
                                                 DaoBackground::Wait(BeginWaitMs);
                                                 LessonAttemptStore::Store(own, attempt);
                                                 return attempt;
                                             });
}

CSittingStored CResultStore::StoreSitting(const CExamSitting& sitting,
                                          const CSittingResult& result) const
{
    std::optional<CSittingOutcome> outcome;
    if (m_db) {
        try {
            outcome = OffThread::Run<CSittingOutcome>(m_db->Target(), [result](CDaoDatabase& own) {
                const CSittingOutcome finished = FinishSitting(own, result);
                if (finished.kind == CSittingOutcome::Stored)
                    StoreSittingDetail(own, result);
                // Results kept while the database was away follow now.
                PendingResults::Flush(own, result.nUserKey);
                return finished;
            });
        } catch (const CDaoException&) {
            // Kept on this machine below (a server that answers too late
            // finds it stored already when it is sent again).
        }
    }
    // What was typed, scored as a database file scores it: the mistakes to
    // show, and the figures when the database could not be reached.
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
        stored.storage = PendingResults::Keep(result, &stored.strDetail)
                             ? CSittingStored::Storage::Kept
                             : CSittingStored::Storage::Lost;
    }
    return stored;
}

void CResultStore::StoreKept(qint64 userKey, std::function<void(const QStringList&)> refused) const
{
    if (!m_db || !QFile::exists(PendingResults::FileName()))
        return;
    DaoBackground::Post(m_db->Target(), [userKey, refused](CDaoDatabase& own) {
        QStringList refusals;
        PendingResults::Flush(own, userKey, &refusals);
        if (refusals.isEmpty() || !refused)
            return;
        QMetaObject::invokeMethod(QCoreApplication::instance(),
                                  [refused, refusals] { refused(refusals); });
    });
}
