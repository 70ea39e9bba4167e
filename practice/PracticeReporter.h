#pragma once

#include "attempts/LiveReporter.h"

class CAttemptRecorder;
class CLargeScreen;
class CQeDoc;
class CSession;
class CTypingSession;

// What the live view is told of the view's practice: its figures while it
// runs (with an exam's cells), how it ended, and that the program is idle
// again when it is left unfinished.
class CPracticeReporter
{
public:
    // login: the session whose pupil is reported.
    CPracticeReporter(const CSession& login, const CQeDoc& doc, const CTypingSession& session,
                      const CAttemptRecorder& recorder, const CLargeScreen& large)
        : m_login(login), m_doc(doc), m_session(session), m_recorder(recorder), m_large(large),
          m_live(login)
    {
    }

    void Start();
    void Finish(int endReason);
    void Idle();
    // The report of the practice; endReason 0 while it runs.
    LiveProgress::CReport Report(int endReason) const;
    CLiveReporter& Live() { return m_live; }

private:
    const CSession& m_login;
    const CQeDoc& m_doc;
    const CTypingSession& m_session;
    const CAttemptRecorder& m_recorder;
    const CLargeScreen& m_large;
    CLiveReporter m_live;
};
