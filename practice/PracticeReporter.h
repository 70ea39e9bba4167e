#pragma once

#include "attempts/LiveReporter.h"

class CAttemptRecorder;
class CLargeScreen;
class CQeDoc;
class CTypingSession;

// What the live view is told of the view's practice: its figures while it
// runs (with an exam's cells), how it ended, and that the program is idle
// again when it is left unfinished.
class CPracticeReporter
{
public:
    CPracticeReporter(const CQeDoc& doc, const CTypingSession& session,
                      const CAttemptRecorder& recorder, const CLargeScreen& large)
        : m_doc(doc), m_session(session), m_recorder(recorder), m_large(large)
    {
    }

    void Start();
    void Finish(int endReason);
    void Idle();
    // The report of the practice; endReason 0 while it runs.
    LiveProgress::CReport Report(int endReason) const;
    CLiveReporter& Live() { return m_live; }

private:
    const CQeDoc& m_doc;
    const CTypingSession& m_session;
    const CAttemptRecorder& m_recorder;
    const CLargeScreen& m_large;
    CLiveReporter m_live;
};
