#include "practice/TypingSession.h"

#include "attempts/Attempt.h"
#include "platform/Gbk.h"
#include "platform/Platform.h"
#include "practice/PracticeState.h"
#include "practice/QeDoc.h"

#include <cstring>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr unsigned char Backspace = 0x08;
constexpr unsigned char Enter = 0x0D;
constexpr unsigned char Escape = 0x1B;
constexpr unsigned char Space = 0x20;

bool IsVisibleAscii(unsigned char byte)
{
    return byte >= 0x21 && byte <= 0x7E;
}

bool IsDoubleByteLayout()
{
    return CurrentPracticeKind == PracticeKind::Chinese;
}

} // namespace

CTypingSession::CTypingSession(CQeDoc& doc, QWidget* owner, IPracticeClock* clock)
    : m_doc(doc), m_pOwner(owner), m_pClock(clock)
{
}

void CTypingSession::Reset()
{
    m_doc.ResetPractice();
    m_bRunning = false;
    CurrentRow = 0;
    CurrentColumn = 0;
    TypedCount = 0;
    CorrectCount = 0;
    PendingUnit.clear();
    PendingBytes = 0;
    SkipPending = 0;
    std::memset(m_bSkipped, 0, sizeof m_bSkipped);
    m_bBackspaceAllowed = true;
    m_bTimeUpPending = false;
    m_strEndQuestion.clear();
    m_bDefaultGoOn = false;
}

void CTypingSession::TimeUp()
{
    if (!m_bRunning)
        return;
    if (m_bAsking) {
        m_bTimeUpPending = true;
        return;
    }
    if (m_endPractice)
        m_endPractice(EndReason::TimeLimit);
}

void CTypingSession::OnChar(unsigned char byte)
{
    if (!m_bRunning) {
        if (CurrentPracticeKind == PracticeKind::None)
            return;
        if (byte == Space)
            Start();
        else
            Platform().MessageBox(m_pOwner, u"准备就绪,按空格键开始计时!"_s, u"提示"_s,
                                  MB_OK | MB_ICONINFORMATION);
        return;
    }
    // A NUL cannot be kept in the NUL-terminated cells; a position past the
    // screen cannot occur, but is never written.
    if (byte == 0 || byte == Enter || CurrentRow >= CQeDoc::Rows)
        return;
    if (byte == Escape) {
        m_bAsking = true;
        const int answer = Platform().MessageBox(
            m_pOwner, m_strEndQuestion.isEmpty() ? u"确定要结束练习吗?"_s : m_strEndQuestion,
            u"提示!"_s,
            MB_OKCANCEL | MB_ICONQUESTION | (m_bDefaultGoOn ? unsigned(MB_DEFBUTTON2) : 0u));
        m_bAsking = false;
        // The time ran out while the question was open: that ends it,
        // whatever the answer.
        const int reason = m_bTimeUpPending ? EndReason::TimeLimit : EndReason::Escape;
        m_bTimeUpPending = false;
        if ((answer == IDOK || reason == EndReason::TimeLimit) && m_bRunning && m_endPractice)
            m_endPractice(reason);
        return;
    }
    if (byte == Backspace && !m_bBackspaceAllowed) {
        Platform().Beep();
        return;
    }
    if (IsDoubleByteLayout()) {
        if (byte == Backspace)
            DoubleByteBackspace();
        else
            FormUnit(byte);
    } else {
        if (byte == Backspace)
            SingleByteBackspace();
        else
            SingleByte(byte);
    }
}

void CTypingSession::Start()
{
    m_bRunning = true;
    if (IPracticeClock* clock = m_pClock) {
        clock->StartClock();
        clock->MarkStartTime();
        clock->ShowPracticeRunning();
    }
    InvalidateTyped(0, IsDoubleByteLayout() ? 2 : 1);
}

void CTypingSession::SingleByte(unsigned char byte)
{
    const int r = CurrentRow;
    const int c = CurrentColumn;
    ++TypedCount;
    m_doc.m_enTyped[r][c] = char(byte);
    InvalidateTyped(c, 2);
    if (m_doc.m_enTyped[r][c] == m_doc.m_enText[r][c]) {
        ++CorrectCount;
        InvalidatePractice(c, 1);
    }
    if (++CurrentColumn == CQeDoc::Columns || IsRowEnd(r, CurrentColumn))
        NextRow(CQeDoc::Columns);
}

void CTypingSession::SingleByteBackspace()
{
    if (CurrentColumn == 0) {
        Platform().Beep();
        return;
    }
    --TypedCount;
    const int c = --CurrentColumn;
    const int r = CurrentRow;
    if (m_doc.m_enTyped[r][c] == m_doc.m_enText[r][c])
        --CorrectCount;
    m_doc.m_enTyped[r][c] = ' ';
    InvalidateTyped(c, 2);
    InvalidatePractice(c, 1);
}

void CTypingSession::DoubleByteBackspace()
{
    if (CurrentColumn == 0) {
        Platform().Beep();
        return;
    }
    const int c = --CurrentColumn;
    const int r = CurrentRow;
    // A skipped cell was never counted, so taking it back counts nothing.
    if (!m_bSkipped[r][c]) {
        --TypedCount;
        if (m_doc.TypedCell(r, c) == m_doc.TextCell(r, c))
            --CorrectCount;
    }
    m_bSkipped[r][c] = false;
    m_doc.m_cnTyped[r][c][0] = 0;
    m_doc.m_cnTyped[r][c][1] = 0;
    m_doc.m_aTypedLine[r].remove(2 * c, 2);
    InvalidateTyped(2 * c, 4);
    InvalidatePractice(2 * c, CQeDoc::Columns - 2 * c);
}

void CTypingSession::FormUnit(unsigned char byte)
{
    // A pending GBK lead byte takes the next byte whatever it is, so that a
    // character with a second byte in 0x40-0x7E forms one two-byte unit.
    const bool leadPending = PendingBytes == 1 && PendingUnit.size() == 1 &&
                             Gbk::IsLeadByte(static_cast<unsigned char>(PendingUnit[0]));
    PendingUnit.append(char(byte));
    ++PendingBytes;
    if (!leadPending && IsVisibleAscii(byte)) {
        PendingUnit.append(' ');
        PendingBytes = 2;
    } else if (PendingBytes != 2) {
        return;
    }
    CompleteUnit();
}

void CTypingSession::CompleteUnit()
{
    const int r = CurrentRow;
    const int c = CurrentColumn;
    // The unit goes into the current cell only; a third byte (a lone byte
    // followed by a visible character) has no cell of its own.
    char(&cell)[2] = m_doc.m_cnTyped[r][c];
    cell[0] = PendingUnit.size() > 0 ? PendingUnit[0] : '\0';
    cell[1] = PendingUnit.size() > 1 ? PendingUnit[1] : '\0';
    const char b0 = cell[0];
    const char b1 = cell[1];
    PendingUnit.clear();

    if ((b0 == ' ' && b1 != ' ') || (b0 != ' ' && b1 == 0)) {
        cell[0] = ' ';
        cell[1] = ' ';
        InvalidateTyped(2 * c, 2);
        if (SkipPending) {
            SkipPending = 0;
            PendingBytes = 0;
            return;
        }
        m_bSkipped[r][c] = true;
        m_doc.m_aTypedLine[r] += QByteArray(cell, 2);
        SkipPending = 1;
        PendingBytes = 1;
        AdvanceCell();
        return;
    }

    ++TypedCount;
    const QByteArray typed = m_doc.TypedCell(r, c);
    InvalidateTyped(2 * c, 4);
    if (typed == m_doc.TextCell(r, c)) {
        ++CorrectCount;
        InvalidatePractice(2 * c, 2);
    }
    m_doc.m_aTypedLine[r] += typed;
    PendingBytes = 0;
    SkipPending = 0;
    AdvanceCell();
}

void CTypingSession::AdvanceCell()
{
    ++CurrentColumn;
    InvalidateTyped(2 * CurrentColumn, 2);
    if (CurrentColumn == CQeDoc::Cells || IsRowEnd(CurrentRow, CurrentColumn))
        NextRow(CQeDoc::Columns);
}

void CTypingSession::NextRow(int gridColumns)
{
    const int cursorWidth = IsDoubleByteLayout() ? 2 : 1;
    InvalidateTyped(gridColumns, cursorWidth);
    // The screen has 14 rows: once its last cell is typed the practice ends,
    // as if Esc had been confirmed.
    if (CurrentRow == CQeDoc::Rows - 1) {
        if (m_endPractice)
            m_endPractice(EndReason::EndOfScreen);
        return;
    }
    ++CurrentRow;
    CurrentColumn = 0;
    InvalidateTyped(0, cursorWidth);
}

bool CTypingSession::IsRowEnd(int row, int cell) const
{
    if (!IsEmptyCell(row, cell))
        return false;
    if (!IsDoubleByteLayout())
        return true; // a text file holds no NUL
    return cell == CQeDoc::Cells - 1 && (row == CQeDoc::Rows - 1 || HasTextFrom(row + 1));
}

bool CTypingSession::IsEmptyCell(int row, int cell) const
{
    if (IsDoubleByteLayout())
        return cell < CQeDoc::Cells && m_doc.m_cnText[row][cell][0] == 0;
    return cell < CQeDoc::Columns && m_doc.m_enText[row][cell] == 0;
}

bool CTypingSession::HasTextFrom(int row) const
{
    const int perRow = IsDoubleByteLayout() ? CQeDoc::Cells : CQeDoc::Columns;
    for (int r = row; r < CQeDoc::Rows; ++r) {
        for (int c = 0; c < perRow; ++c) {
            if (!IsEmptyCell(r, c))
                return true;
        }
    }
    return false;
}

void CTypingSession::InvalidateTyped(int column, int count)
{
    if (m_invalidate)
        m_invalidate(2 * CurrentRow + 1, column, count);
}

void CTypingSession::InvalidatePractice(int column, int count)
{
    if (m_invalidate)
        m_invalidate(2 * CurrentRow, column, count);
}
