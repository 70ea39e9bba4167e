#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

class CQeDoc;
class IPracticeClock;
class QWidget;

// The rules of a typing session: what each character byte does to the
// document's typed buffers, the position and the counters. It paints
// nothing itself; it reports the cells a byte changed, and the view repaints
// them from the buffers.
class CTypingSession
{
public:
    // The changed area on the screen's character grid: text line (0-27),
    // first grid column (one single-byte column each) and column count.
    using InvalidateFn = std::function<void(int line, int column, int count)>;

    // The clock may be null (no window shows one).
    CTypingSession(CQeDoc& doc, QWidget* owner, IPracticeClock* clock);

    void SetInvalidate(InvalidateFn invalidate) { m_invalidate = std::move(invalidate); }
    // Called when the practice is to end, with the reason (EndReason: Esc
    // confirmed, or the screen full).
    void SetEndPractice(std::function<void(int reason)> endPractice)
    {
        m_endPractice = std::move(endPractice);
    }

    void OnChar(unsigned char byte);
    // The session part of a reset: buffers, flag, position, counters, unit.
    void Reset();
    bool IsRunning() const { return m_bRunning; }
    void Stop() { m_bRunning = false; }

    // An exam may refuse Backspace: it then beeps and changes nothing. A
    // reset allows it again.
    void SetBackspaceAllowed(bool bAllowed) { m_bBackspaceAllowed = bAllowed; }
    // The question Esc asks instead of "确定要结束练习吗?" (an exam's), and
    // whether going on is its default answer. A reset asks the described
    // question again.
    void SetEndQuestion(const QString& text, bool bDefaultGoOn)
    {
        m_strEndQuestion = text;
        m_bDefaultGoOn = bDefaultGoOn;
    }
    // The time allowed ran out: a running session ends at once, without a
    // question; while the end question is open, as soon as it is answered.
    void TimeUp();

    // A cell of the double-byte layout that was skipped (blank, no count).
    bool IsSkipped(int row, int cell) const { return m_bSkipped[row][cell]; }
    // Whether (row, cell) lies in the NUL end of a row laid out by words (a
    // library text in English) or of a Chinese row whose last character
    // went down with a closing mark: never typed, passed over to the next
    // row. A Chinese text's own end is not one: its cells stay as they were.
    bool IsRowEnd(int row, int cell) const;

    bool m_bRunning = false;

private:
    void Start();
    void SingleByte(unsigned char byte);
    void SingleByteBackspace();
    void DoubleByteBackspace();
    void FormUnit(unsigned char byte);
    void CompleteUnit();
    void AdvanceCell();
    void NextRow(int columnsPerRow);
    bool IsEmptyCell(int row, int cell) const;
    bool HasTextFrom(int row) const;
    void InvalidateTyped(int column, int count);
    void InvalidatePractice(int column, int count);

    CQeDoc& m_doc;
    QWidget* m_pOwner;
    IPracticeClock* m_pClock;
    InvalidateFn m_invalidate;
    std::function<void(int reason)> m_endPractice;
    bool m_bSkipped[14][46] = {};
    bool m_bBackspaceAllowed = true;
    QString m_strEndQuestion;
    bool m_bDefaultGoOn = false;
    bool m_bAsking = false;        // the end question is open
    bool m_bTimeUpPending = false; // the time ran out while it was
};
