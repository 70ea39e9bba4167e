#include "course/LessonView.h"

#include "attempts/Attempt.h"

#include "course/KeyboardView.h"
#include "platform/Platform.h"

#include <QKeyEvent>

#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace {

QFont MonoFont(int pixelSize)
{
    QFont font;
    font.setFamilies({u"Noto Sans Mono CJK SC"_s, u"Noto Sans CJK SC"_s});
    font.setPixelSize(pixelSize);
    return font;
}

} // namespace

CLessonView::CLessonView(const CSession& session, const CCourse& course, int lesson,
                         QWidget* parent)
    : CLessonScreen(session, course, lesson, parent),
      m_session(course.Lesson(lesson) ? *course.Lesson(lesson) : CLesson()),
      m_input(this, CTypingInput::Takes::Keys, InputTarget())
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_pKeyboard = new CKeyboardView(CKeyboardLayout::Standard(), this);
    ShowNextOnKeyboard();
}

void CLessonView::Layout()
{
    const int header = qMax(20, height() / 16);
    const int keyboard = height() * 46 / 100;
    m_pKeyboard->setGeometry(8, height() - keyboard, width() - 16, keyboard - 4);
    m_headerFont = font();
    m_headerFont.setPixelSize(qMax(12, header * 3 / 5));

    const bool ruby = !m_session.Lesson().ruby.isEmpty();
    int longest = 1;
    for (const QString& line : m_session.Lesson().lines)
        longest = qMax(longest, int(line.size()));
    const int room = height() - keyboard - header - 8;
    // Four rows of text 2.6 cells high, three ruby rows of 2.4 cells.
    const double rows = 4 * 2.6 + (ruby ? 3 * 2.4 : 0) + 0.5;
    m_nCellWidth = qMax(6, int(qMin(width() * 0.94 / longest, room / rows)));
    m_font = MonoFont(2 * m_nCellWidth);
    m_cellImages.clear();
    m_rubyFont = MonoFont(2 * m_nCellWidth);
    m_nRowHeight = int(std::lround(2.6 * m_nCellWidth));
    m_nRubyHeight = ruby ? int(std::lround(2.4 * m_nCellWidth)) : 0;
    m_textOrigin = QPoint((width() - longest * m_nCellWidth) / 2, header + m_nCellWidth / 2);
}

QRect CLessonView::HeaderRect() const
{
    return QRect(0, 0, width(), qMax(20, height() / 16));
}

QRect CLessonView::CellRect(int row, int column) const
{
    // Ruby rows stand above rows 0, 2 and 3.
    static constexpr int rubiesAbove[] = {1, 1, 2, 3};
    static constexpr int rowsAbove[] = {0, 1, 2, 3};
    const int y =
        m_textOrigin.y() + rubiesAbove[row] * m_nRubyHeight + rowsAbove[row] * m_nRowHeight;
    return QRect(m_textOrigin.x() + column * m_nCellWidth, y, m_nCellWidth, m_nRowHeight);
}

void CLessonView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    Layout();
    update();
}

bool CLessonView::focusNextPrevChild(bool next)
{
    Q_UNUSED(next);
    return false;
}

CTypingInput::CTarget CLessonView::InputTarget()
{
    CTypingInput::CTarget target;
    target.key = [this](CTypingInput::Key key) {
        if (ResultTakes(key))
            return;
        if (key == CTypingInput::Key::Escape)
            Leave(m_session.IsStarted() && !m_session.IsFinished());
        else if (key == CTypingInput::Key::Backspace)
            OnBackspace();
    };
    target.text = [this](const QString& text, bool) {
        if (ResultTakes(std::nullopt))
            return;
        for (const QChar ch : text) {
            if (ch.unicode() >= 0x20 && ch.unicode() != 0x7F)
                OnKey(ch);
        }
    };
    target.cursor = [this] { return CellRect(1, m_session.Column()); };
    target.font = [this] { return m_font; };
    return target;
}

void CLessonView::keyPressEvent(QKeyEvent* event)
{
    if (!m_input.KeyPress(*event))
        QWidget::keyPressEvent(event);
}

void CLessonView::OnKey(QChar ch)
{
    if (m_session.IsFinished())
        return;
    const int line = m_session.Line();
    const int column = m_session.Column();
    const bool started = m_session.IsStarted();
    const qint64 now = Platform().MonotonicMilliseconds();
    if (!started)
        m_keyDetail.Start(now);
    m_keyDetail.OnKeyCell(m_session.Expected(), ch, now);
    const CLessonSession::Outcome outcome = m_session.Type(ch, now);
    if (!started && m_session.IsStarted()) {
        m_nClockTimer = startTimer(1000);
        OnStarted();
        update(); // the start card goes
    }
    switch (outcome) {
    case CLessonSession::Outcome::Wrong:
        m_pKeyboard->ShowWrong(ch);
        m_pKeyboard->SetCorrection(m_session.AwaitsBackspace());
        break;
    case CLessonSession::Outcome::MustCorrect:
        m_pKeyboard->ShowWrong(ch);
        break;
    case CLessonSession::Outcome::Finished:
        AfterKey(line, column);
        Finish();
        return;
    default:
        break;
    }
    AfterKey(line, column);
}

void CLessonView::OnBackspace()
{
    const int line = m_session.Line();
    const int column = m_session.Column();
    if (m_session.Backspace(Platform().MonotonicMilliseconds()) ==
        CLessonSession::Outcome::Corrected)
        m_pKeyboard->SetCorrection(false);
    AfterKey(line, column);
}

void CLessonView::AfterKey(int line, int column)
{
    // The header's counts follow each second with the clock, and at once
    // when a key was wrong or the Backspace hint comes or goes.
    if (m_session.Errors() != m_nShownErrors || m_session.AwaitsBackspace() != m_bShownHint ||
        m_nClockTimer == 0) {
        m_nShownErrors = m_session.Errors();
        m_bShownHint = m_session.AwaitsBackspace();
        update(HeaderRect());
    }
    if (line != m_session.Line()) {
        update(
            QRect(0, HeaderRect().bottom() + 1, width(), m_pKeyboard->y() - HeaderRect().height()));
    } else {
        for (int row : {0, 1}) {
            update(CellRect(row, column));
            update(CellRect(row, m_session.Column()));
        }
    }
    ShowNextOnKeyboard();
}

void CLessonView::ShowNextOnKeyboard()
{
    m_pKeyboard->SetNext(m_session.Expected());
}

void CLessonView::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == m_nClockTimer)
        update(HeaderRect());
}

void CLessonView::Finish()
{
    killTimer(m_nClockTimer);
    m_nClockTimer = 0;
    CLessonAttempt attempt = NewAttempt(m_session.ElapsedMs(Platform().MonotonicMilliseconds()));
    attempt.nKeystrokes = m_session.Keystrokes();
    attempt.nCorrectKeys = m_session.CorrectKeys();
    attempt.nErrors = m_session.Errors();
    attempt.nBackspaces = m_session.Backspaces();
    attempt.misses = m_session.Misses();
    attempt.keys = m_keyDetail.Detail().keys;
    End(attempt);
}

LiveProgress::CReport CLessonView::LiveReport(int endReason) const
{
    const qint64 now = Platform().MonotonicMilliseconds();
    return Report(m_session.Lesson().Keystrokes(), m_session.Keystrokes(), m_session.CorrectKeys(),
                  m_session.ElapsedMs(now), m_session.IdleMs(now), endReason);
}

void CLessonView::Restart()
{
    m_nShownErrors = 0;
    m_bShownHint = false;
    m_session = CLessonSession(m_session.Lesson());
    SetOut();
    m_pKeyboard->SetCorrection(false);
    ShowNextOnKeyboard();
    update();
}
