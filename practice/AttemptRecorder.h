#pragma once

#include "attempts/Attempt.h"
#include "attempts/KeyDetail.h"
#include "platform/KeyPressCounter.h"

#include <QDateTime>
#include <QList>
#include <QString>

struct CAccount;
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
    // The stored text, its screen and the exam the loaded practice comes from.
    void SetOrigin(qint64 textId, int screen, qint64 examId);
    // A key event (a key, or an input method's commit) at the monotonic time
    // ms, while the session runs: the intervals between them give the
    // rhythm of the keys.
    void OnKey(qint64 ms);
    // Text (a key's character, or an input method's commit) reaches the
    // running session at the monotonic time ms, before the session takes
    // it, in the practice's window: what it was to type and the keys
    // behind it go into the attempt's detail.
    void OnTyped(const CQeDoc& doc, const QString& text, qint64 ms, quintptr window);
    // The program lost the focus to another one; counted while the session runs.
    void OnFocusLost();
    int FocusLosses() const { return m_nFocusLosses; }
    // The time since the start (to the end once it ended), and since the
    // last key (or the start), in milliseconds.
    qint64 ElapsedMs() const;
    qint64 IdleMs() const;
    // The physical key presses since the start (to the end once it ended);
    // -1 where the platform does not show them.
    qint64 KeyPressesSoFar() const;
    // How the session ended (EndReason); meaningful once it has.
    int EndReasonCode() const { return m_nEndReason; }

    // The attempt of pupil as the practice leaves it: the document's
    // buffers up to the typing position, the counters and the clocks.
    CAttempt Finish(const CQeDoc& doc, const CTypingSession& session, const CAccount& pupil) const;

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
    qint64 m_nTextId = 0;
    int m_nScreen = 0;
    qint64 m_nExamId = 0;
    int m_nFocusLosses = 0;
    qint64 m_nLastKeyMs = -1;
    QList<qint64> m_intervals;
    CKeyDetailRecorder m_detail;
    qint64 m_nKeysSeen = 0; // the key presses counted before the last commit
    // The key press counter's totals at the start, at Esc and at the end.
    CKeyCounts m_keysAtStart;
    CKeyCounts m_keysAtEscape;
    CKeyCounts m_keysAtEnd;
};
