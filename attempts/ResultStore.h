#pragma once

#include "attempts/ExamSitting.h"
#include "attempts/LessonAttempt.h"
#include "users/Database.h"

#include <QString>
#include <QStringList>

#include <functional>

struct CAttempt;
class CDaoDatabase;

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
// its score row, a lesson of the course, an exam's sitting. Each store runs
// on a worker thread with a connection of its own, as the session's
// account, while the windows keep painting (OffThread::Run): a database
// held by another program freezes nothing, and one that does not answer is
// given up after OffThread::TimeoutMs(). An exam's result the database
// cannot take is kept on this machine (PendingResults) and stored at the
// pupil's next login. A practice or a lesson is not kept: a server times
// it by its own clock from the attempt's begin (BeginAttempt, at the space
// bar) to its store, so a later store would be refused. The
// result dialog stays open to store a practice again; a lesson that could
// not be stored is reported and shown unstored.
class CResultStore
{
public:
    // The store of db, the session's database (nullptr: none connected).
    explicit CResultStore(CDaoDatabase* db) : m_db(db) {}

    // A practice or a lesson of a pupil's own login (bOwnLogin) begins on
    // a server's clock, on the background thread (the first key waits for
    // nothing); its store, on the server, takes the time from there.
    // Nothing on a file, nor for another login.
    void BeginAttempt(bool bOwnLogin) const;

    // A practice's score row and its attempt (when given): both or
    // neither. Throws CDaoException (nothing connected, refused, no
    // answer); nothing is stored then.
    void StorePractice(const FieldList& scoreFields, const CAttempt* pAttempt) const;

    // A finished lesson with its misses; on a server the server decides the
    // stars and the pass, and attempt receives them. Throws CDaoException.
    void StoreLesson(CLessonAttempt& attempt) const;

    // An exam's end: stored and scored by the database, or kept on this
    // machine while it is away. Never throws.
    CSittingStored StoreSitting(const CExamSitting& sitting, const CSittingResult& result) const;

    // The exam results of the pupil with key userKey kept on this machine,
    // stored now on a thread nobody waits for; refused(reasons) runs on the
    // windows' thread when the database refused some.
    void StoreKept(qint64 userKey, std::function<void(const QStringList&)> refused) const;

private:
    CDaoDatabase* m_db;
};
