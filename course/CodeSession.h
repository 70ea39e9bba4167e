#pragma once

#include "course/CoursePlan.h"
#include "course/LessonSession.h"

#include <QHash>
#include <QList>
#include <QMap>
#include <QSet>
#include <QString>

// Typing a lesson of codes (五笔) without an input method, without a
// widget: the pupil types an item's code letters and any code the table
// gives the item counts. A code ends by itself when no longer code of the
// item begins with it (a 字根's key, a full code's fourth letter), and with
// Space otherwise (工 is a and Space, or aaaa). A letter that no code of
// the item begins with is a slip: the letter is dropped, the letters typed
// before it stay, the item stays, and its code is shown until it is typed;
// wrong letters in a row count as one error. Space after letters that are
// no code is a wrong code: counted, the letters dropped. So the code shows
// after a pause of 3 s too. An item typed wrong or after such a pause comes back a few
// items later, up to twice. Times come from the
// caller; the clock starts at the first key.
class CCodeSession
{
public:
    enum class Outcome {
        Ignored,  // nothing changed
        Pending,  // a letter of a code not yet ended
        Right,    // the item was typed; the next one is due
        Wrong,    // a wrong code, counted; the item stays
        Finished, // the last item was typed
    };

    // A pause this long shows the item's code, and makes the item weak.
    static constexpr qint64 HintAfterMs = 3000;
    // Items an item typed wrong or slowly comes back after, at most.
    static constexpr int ComesBackAfter = 4;
    static constexpr int MostReturns = 2;
    // A wrong commit is kept as a miss of at most this many characters.
    static constexpr int MostMissChars = 8;

    explicit CCodeSession(const CLesson& lesson);

    Outcome Type(QChar ch, qint64 nowMs);
    // Text an input method committed, with the keys pressed for it (-1
    // when unknown): each item it begins with is typed, a word's first
    // characters wait for the rest; anything else is a wrong code. An item
    // committed alone with more keys than its shortest code and one key to
    // commit it (a word typed character by character) took a longer code.
    Outcome Commit(const QString& text, int keys, qint64 nowMs);
    // Takes the last letter of the code being typed back.
    Outcome Backspace(qint64 nowMs);

    const CLesson& Lesson() const { return m_lesson; }
    // The items still to type, the current one first.
    QList<CCodeItem> Upcoming(int count) const;
    const CCodeItem* Current() const;
    QString Typed() const { return m_strTyped; }
    // Whether the current item's code is to be shown: after a wrong code,
    // or when no key came for HintAfterMs.
    bool ShowsCode(qint64 nowMs) const;

    bool IsStarted() const { return m_nStartMs >= 0; }
    bool IsFinished() const { return m_nNext >= m_queue.size(); }
    qint64 ElapsedMs(qint64 nowMs) const;
    qint64 IdleMs(qint64 nowMs) const { return m_nLastMs < 0 ? 0 : nowMs - m_nLastMs; }
    int ItemsTyped() const { return m_nItemsTyped; }
    // The characters of the lesson typed so far, each item once however
    // often it came back: the lesson's Keystrokes() at its end.
    int CharactersTyped() const { return m_nCharactersTyped; }
    int Keystrokes() const { return m_nKeystrokes; }
    int Errors() const { return m_nErrors; }
    int Backspaces() const { return m_nBackspaces; }
    // The wrong codes by item and what was typed, most often first.
    QList<CLessonMiss> Misses() const;
    // Items whose last turn was wrong or slow, in the lesson's order.
    QStringList StillWeak() const;
    // Items typed with a longer code than their shortest one, in order.
    QList<CCodeItem> LongerThanShortest() const { return m_longer; }

private:
    void Start(qint64 nowMs);
    // codeKeys: the letters of the code typed, -1 for the shortest.
    Outcome Accept(int codeKeys);
    // bKeepTyped: a wrong letter, dropped alone; else the code typed goes.
    Outcome Refuse(const QString& typed, bool bKeepTyped);

    CLesson m_lesson;
    QList<CCodeItem> m_queue;
    QList<bool> m_comesBack; // by queue position: an item brought back
    int m_nNext = 0;
    QString m_strTyped;
    // A word's first characters committed, and the keys for them (-1 when
    // unknown).
    QString m_strCommitted;
    int m_nCommittedKeys = 0;
    bool m_bWrongHere = false;
    bool m_bInSlip = false;     // the last key was a wrong letter
    bool m_bPausedHere = false; // a pause of HintAfterMs within the item
    qint64 m_nStartMs = -1;
    qint64 m_nLastMs = -1;
    int m_nItemsTyped = 0;
    int m_nCharactersTyped = 0;
    int m_nKeystrokes = 0;
    int m_nErrors = 0;
    int m_nBackspaces = 0;
    QHash<QString, int> m_returns;
    QMap<QPair<QString, QString>, int> m_misses;
    QStringList m_weakOrder;
    QSet<QString> m_weak;
    QList<CCodeItem> m_longer;
};
