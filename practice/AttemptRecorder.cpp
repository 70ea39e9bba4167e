#include "practice/AttemptRecorder.h"

#include "attempts/Metrics.h"
#include "platform/Gbk.h"
#include "platform/Platform.h"
#include "practice/PracticeState.h"
#include "practice/QeDoc.h"
#include "practice/ScreenCells.h"
#include "practice/TypingSession.h"
#include "users/Account.h"

#include <QCryptographicHash>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <utility>

namespace {

constexpr unsigned char Backspace = 0x08;
constexpr unsigned char Escape = 0x1B;

// The screenful as it was read: 1288 bytes in either layout.
QByteArray ScreenBytes(const CQeDoc& doc, bool doubleByte)
{
    QByteArray bytes;
    bytes.reserve(CQeDoc::Rows * CQeDoc::Columns);
    for (int r = 0; r < CQeDoc::Rows; ++r) {
        if (doubleByte) {
            for (int c = 0; c < CQeDoc::Cells; ++c)
                bytes.append(doc.m_cnText[r][c], 2);
        } else {
            bytes.append(doc.m_enText[r], CQeDoc::Columns);
        }
    }
    return bytes;
}

// Each typed cell before the typing position that differs from its
// practice cell. Skipped cells of the double-byte layout were never typed.
QList<CMistake> Mistakes(const CQeDoc& doc, const CTypingSession& session, bool doubleByte)
{
    QList<CMistake> mistakes;
    const int perRow = doubleByte ? CQeDoc::Cells : CQeDoc::Columns;
    for (int r = 0; r <= CurrentRow && r < CQeDoc::Rows; ++r) {
        const int end = r < CurrentRow ? perRow : qMin(CurrentColumn, perRow);
        for (int c = 0; c < end; ++c) {
            QByteArray expected;
            QByteArray typed;
            if (doubleByte) {
                if (session.IsSkipped(r, c))
                    continue;
                expected = doc.TextCell(r, c);
                typed = doc.TypedCell(r, c);
            } else {
                expected = QByteArray(1, doc.m_enText[r][c]);
                typed = QByteArray(1, doc.m_enTyped[r][c]);
            }
            if (typed != expected)
                mistakes.append({r * perRow + c, Gbk::Decode(expected), Gbk::Decode(typed)});
        }
    }
    return mistakes;
}

// The double-byte cell the next character goes to, counted from the start
// of the screen.
int TypingCell()
{
    return CurrentRow * CQeDoc::Cells + CurrentColumn;
}

// The median of the intervals between keys and their median absolute
// deviation; nothing for fewer than ten intervals.
std::pair<int, int> KeyRhythm(QList<qint64> intervals)
{
    if (intervals.size() < 10)
        return {0, 0};
    const qint64 centre = Metrics::Median(intervals);
    for (qint64& interval : intervals)
        interval = std::abs(interval - centre);
    return {int(std::min<qint64>(centre, INT_MAX)),
            int(std::min<qint64>(Metrics::Median(intervals), INT_MAX))};
}

} // namespace

void CAttemptRecorder::OnLoad(int kind, const QString& fileName)
{
    *this = CAttemptRecorder();
    m_nKind = kind;
    m_strFile = fileName;
}

void CAttemptRecorder::SetOrigin(qint64 textId, int screen, qint64 examId)
{
    m_nTextId = textId;
    m_nScreen = screen;
    m_nExamId = examId;
}

void CAttemptRecorder::OnKey(qint64 ms)
{
    if (!m_bStarted || m_bEnded)
        return;
    if (m_nLastKeyMs >= 0)
        m_intervals.append(std::max<qint64>(ms - m_nLastKeyMs, 0));
    m_nLastKeyMs = ms;
}

void CAttemptRecorder::OnFocusLost()
{
    if (m_bStarted && !m_bEnded)
        ++m_nFocusLosses;
}

qint64 CAttemptRecorder::ElapsedMs() const
{
    if (!m_bStarted)
        return 0;
    return qMax<qint64>((m_bEnded ? m_nEndMs : Platform().MonotonicMilliseconds()) - m_nStartMs, 0);
}

qint64 CAttemptRecorder::IdleMs() const
{
    if (!m_bStarted)
        return 0;
    const qint64 last = m_nLastKeyMs >= 0 ? m_nLastKeyMs : m_nStartMs;
    return qMax<qint64>(Platform().MonotonicMilliseconds() - last, 0);
}

qint64 CAttemptRecorder::KeyPressesSoFar() const
{
    if (!CKeyPressCounter::Application().IsAvailable())
        return -1;
    if (!m_bStarted)
        return 0;
    return ((m_bEnded ? m_keysAtEnd : CKeyPressCounter::Application().Counts()) - m_keysAtStart)
        .nPresses;
}

void CAttemptRecorder::OnStart()
{
    m_nLastKeyMs = -1;
    m_intervals.clear();
    m_startedAt = Platform().CurrentDateTime();
    m_nStartMs = Platform().MonotonicMilliseconds();
    m_keysAtStart = CKeyPressCounter::Application().Counts();
    m_nKeysSeen = m_keysAtStart.nPresses;
    m_detail.Start(m_nStartMs);
    m_bStarted = true;
    m_bEnded = false;
}

void CAttemptRecorder::OnTyped(const CQeDoc& doc, const QString& text, qint64 ms, quintptr window)
{
    if (m_nKind != PracticeKind::Chinese) {
        for (qsizetype i = 0; i < text.size(); ++i) {
            const int column = CurrentColumn + int(i);
            if (CurrentRow < CQeDoc::Rows && column < CQeDoc::Columns)
                m_detail.OnKeyCell(QChar::fromLatin1(doc.m_enText[CurrentRow][column]), text[i],
                                   ms);
        }
        return;
    }
    // The cells the commit fills, from the typing cell on.
    QString expected;
    const int start = TypingCell();
    for (int i = 0, cell = start; i < text.size() && cell < CQeDoc::Rows * CQeDoc::Cells;
         ++i, ++cell)
        expected += Gbk::Decode(doc.TextCell(cell / CQeDoc::Cells, cell % CQeDoc::Cells));
    const CKeyPressCounter& counter = CKeyPressCounter::Application();
    if (!counter.IsAvailable()) {
        m_detail.OnCommit(expected, text, nullptr, ms, start);
        return;
    }
    const QList<quint32> keysyms = counter.PressesSince(&m_nKeysSeen, window);
    m_detail.OnCommit(expected, text, &keysyms, ms, start);
}

void CAttemptRecorder::OnRunningByte(unsigned char byte)
{
    if (byte == Backspace) {
        ++m_nBackspaces;
    } else if (byte == Escape) {
        // The practice ends when Esc is pressed, not when the question that
        // follows is answered.
        m_escapeAt = Platform().CurrentDateTime();
        m_nEscapeMs = Platform().MonotonicMilliseconds();
        m_keysAtEscape = CKeyPressCounter::Application().Counts();
    }
}

void CAttemptRecorder::OnEnd(int reason)
{
    m_nEndReason = reason;
    if (reason == EndReason::Escape && m_escapeAt.isValid()) {
        m_endedAt = m_escapeAt;
        m_nEndMs = m_nEscapeMs;
        m_keysAtEnd = m_keysAtEscape;
    } else {
        m_endedAt = Platform().CurrentDateTime();
        m_nEndMs = Platform().MonotonicMilliseconds();
        m_keysAtEnd = CKeyPressCounter::Application().Counts();
    }
    m_bEnded = true;
}

CAttempt CAttemptRecorder::Finish(const CQeDoc& doc, const CTypingSession& session,
                                  const CAccount& pupil) const
{
    const bool doubleByte = m_nKind == PracticeKind::Chinese;
    CAttempt attempt;
    attempt.nUserKey = pupil.nKey;
    attempt.strUserName = pupil.strName;
    attempt.strClass = pupil.strClass;
    attempt.strStudentNo = pupil.strStudentNo;
    attempt.nKind = m_nKind;
    attempt.strTextFile = m_strFile;
    attempt.strTextHash = QString::fromLatin1(
        QCryptographicHash::hash(ScreenBytes(doc, doubleByte), QCryptographicHash::Sha256).toHex());
    const QDateTime now = Platform().CurrentDateTime();
    attempt.endedAt = m_bEnded ? m_endedAt : now;
    attempt.startedAt = m_bStarted ? m_startedAt : attempt.endedAt;
    if (m_bStarted)
        attempt.nElapsedMs = qMax<qint64>(
            (m_bEnded ? m_nEndMs : Platform().MonotonicMilliseconds()) - m_nStartMs, 0);
    attempt.nTypedUnits = qMax(TypedCount, 0);
    attempt.nCorrectUnits = qMax(CorrectCount, 0);
    attempt.nBackspaces = m_nBackspaces;
    attempt.nEndReason = m_nEndReason;
    attempt.mistakes = Mistakes(doc, session, doubleByte);
    attempt.nTextId = m_nTextId;
    attempt.nScreen = m_nScreen;
    attempt.nExamId = m_nExamId;
    const auto [median, spread] = KeyRhythm(m_intervals);
    attempt.nKeyMedianMs = median;
    attempt.nKeySpreadMs = spread;
    attempt.detail = m_detail.Detail(doubleByte ? TypingCell() : -1);
    if (m_bStarted && CKeyPressCounter::Application().IsAvailable()) {
        const CKeyCounts keys =
            (m_bEnded ? m_keysAtEnd : CKeyPressCounter::Application().Counts()) - m_keysAtStart;
        attempt.nKeyPresses = int(keys.nPresses);
        attempt.nBackspacePresses = int(keys.nBackspaces);
    }
    const CScreenCells screen = PracticeCells(doc, m_nKind);
    const CScreenCells typed = TypedCells(doc, session, m_nKind);
    attempt.screenCells = screen.hex;
    attempt.screenTexts = screen.texts;
    attempt.typedCells = typed.hex;
    attempt.typedTexts = typed.texts;
    return attempt;
}
