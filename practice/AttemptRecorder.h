#pragma once

#include "attempts/Attempt.h"

#include <QDateTime>
#include <QString>

class CQeDoc;
class CTypingSession;

// Collects, beside the typing session, what the attempt record of a
// practice needs: the text, the clocks, the Backspace presses and how it
// ended. It only watches; the session and the screen never depend on it.
class CAttemptRecorder
{
public:
    // A practice of kind was loaded from fileName; what came before is dropped.
    void OnLoad(int kind, const QString& fileName);
    // The start key started the session.
    void OnStart();
    // A byte reaches the running session, before the session handles it.
    void OnRunningByte(unsigned char byte);
    // The session ends for reason (EndReason).
    void OnEnd(int reason);

    // The attempt as the practice leaves it: the document's buffers up to
    // the typing position, the counters, the clocks and the current user.
    CAttempt Finish(const CQeDoc& doc, const CTypingSession& session) const;

private:
    int m_nKind = 0;
    QString m_strFile;
    QDateTime m_startedAt;
    qint64 m_nStartMs = 0;
    QDateTime m_escapeAt;
    qint64 m_nEscapeMs = 0;
    QDateTime m_endedAt;
    qint64 m_nEndMs = 0;
    int m_nBackspaces = 0;
    int m_nEndReason = EndReason::Escape;
    bool m_bStarted = false;
    bool m_bEnded = false;
};
