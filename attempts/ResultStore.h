#pragma once

#include "attempts/ExamSitting.h"
#include "attempts/LessonAttempt.h"
#include "users/Database.h"
#include "users/Session.h"

#include <QString>
#include <QStringList>

#include <functional>

struct CAttempt;
class CDaoDatabase;
class QObject;

// How an exam's result went, and the figures the pupil is shown.
struct CSittingStored
{
    enum class Storage { Stored, Kept, Refused, Lost };

    Storage storage = Storage::Lost;
    // The database's figures when it stored the result, this machine's
    // (scored as a database file scores it) otherwise; the mistakes always.
    ExamScoring::CFigures figures;
    QString strDetail; // why it was refused or could not be kept
};

// The one road of every finished attempt to the database: a practice (the
// four described ones, a library text, a drill, an assignment's text) with
// its score row, and an exam's sitting (a lesson of the course goes with
// the reads around it, CourseStore::RecordLesson). Each store runs on the
// session's worker and answers on the windows' thread: a database held by
// another program freezes nothing, and one that does not answer is given
// up after OffThread::TimeoutMs(). An exam's result the database cannot
// take is kept on this machine (PendingResults) and stored at the pupil's
// next login. A practice is not kept: a server times it by its own clock
// from the attempt's begin (BeginAttempt, at the space bar) to its store,
// so a later store would be refused; the result stays open to store it
// again.
class CResultStore
{
public:
    explicit CResultStore(const CSession& session) : m_session(session) {}

    // A practice or a lesson of the session's own login begins on a
    // server's clock, on the worker (the first key waits for nothing); its
    // store, on the server, takes the time from there. Nothing on a file,
    // nor for another login.
    void BeginAttempt() const;

    // A practice's score row and its attempt (when given): both or
    // neither. stored() or failed(error) follows on context's thread.
    void StorePractice(QObject* context, const FieldList& scoreFields, const CAttempt* pAttempt,
                       std::function<void()> stored, CDaoWorker::Failed failed) const;

    // An exam's end: stored and scored by the database, or kept on this
    // machine while it is away; done(how it went) follows on context's
    // thread.
    void StoreSitting(QObject* context, const CExamSitting& sitting, const CSittingResult& result,
                      std::function<void(const CSittingStored&)> done) const;

    // The exam results of the pupil with key userKey kept on this machine,
    // stored now by the worker; refused(reasons) runs on the windows'
    // thread when the database refused some.
    void StoreKept(qint64 userKey, std::function<void(const QStringList&)> refused) const;

private:
    const CSession& m_session;
};
