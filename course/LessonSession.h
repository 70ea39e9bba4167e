#pragma once

#include "attempts/LessonAttempt.h"
#include "course/CoursePlan.h"

#include <QList>
#include <QMap>
#include <QPair>
#include <QSet>

// Misses counted by the key (or item) asked for and what was typed, most
// often first (equal counts in that order).
QList<CLessonMiss> MissesByCount(const QMap<QPair<QString, QString>, int>& counts);

// Typing one lesson, without a widget: the cursor on the next character, a
// wrong key counted and kept at the cursor without advancing, and the
// figures of the lesson. By default the right key then goes on; a lesson
// that asks for it first wants the wrong key taken back with Backspace.
// The clock starts at the first key; times come from the caller.
class CLessonSession
{
public:
    enum class Outcome {
        Ignored,     // nothing changed
        Right,       // the cursor moved on
        Wrong,       // a wrong key, counted; the cursor stays
        MustCorrect, // a key while a wrong one waits for Backspace
        Corrected,   // Backspace took the wrong key back
        Finished,    // the last character was typed
    };

    explicit CLessonSession(const CLesson& lesson);

    Outcome Type(QChar ch, qint64 nowMs);
    Outcome Backspace(qint64 nowMs);

    const CLesson& Lesson() const { return m_lesson; }
    int Line() const { return m_nLine; }
    int Column() const { return m_nColumn; }
    // The character at the cursor; null when the lesson is done.
    QChar Expected() const;
    // The wrong key shown at the cursor until the right one (or Backspace)
    // replaces it; null when none.
    QChar WrongAtCursor() const { return m_chWrong; }
    bool AwaitsBackspace() const { return m_lesson.bBackspace && !m_chWrong.isNull(); }
    // Whether a wrong key was typed at a cell before the right one.
    bool HadError(int line, int column) const { return m_errorCells.contains({line, column}); }

    bool IsStarted() const { return m_nStartMs >= 0; }
    bool IsFinished() const { return m_bFinished; }
    qint64 ElapsedMs(qint64 nowMs) const;
    // Since the last key (or the start), 0 before the first.
    qint64 IdleMs(qint64 nowMs) const
    {
        return m_nLastMs < 0 ? 0 : qMax<qint64>(nowMs - m_nLastMs, 0);
    }
    int Keystrokes() const { return m_nCorrect + m_nErrors; }
    int CorrectKeys() const { return m_nCorrect; }
    int Errors() const { return m_nErrors; }
    int Backspaces() const { return m_nBackspaces; }
    // The keys missed, most often first (equal counts in key order).
    QList<CLessonMiss> Misses() const;

private:
    void Start(qint64 nowMs);

    CLesson m_lesson;
    int m_nLine = 0;
    int m_nColumn = 0;
    QChar m_chWrong;
    QSet<QPair<int, int>> m_errorCells;
    QMap<QPair<QString, QString>, int> m_misses;
    qint64 m_nStartMs = -1;
    qint64 m_nLastMs = -1;
    int m_nCorrect = 0;
    int m_nErrors = 0;
    int m_nBackspaces = 0;
    bool m_bFinished = false;
};
