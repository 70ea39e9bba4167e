#include "course/CodeLessonView.h"

#include "attempts/Attempt.h"
#include "course/KeyboardView.h"
#include "course/WubiChart.h"
#include "platform/Platform.h"
#include "practice/StartCard.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace {

const QColor DoneText(0x9e, 0x9e, 0x9e);
const QColor NextItems(0x61, 0x61, 0x61);
const QColor CurrentFill(0xff, 0xf1, 0x76);
const QColor TypedText(0x1f, 0x4e, 0xd8);
const QColor CodeText(0xc6, 0x28, 0x28);
// Rows of items shown, the current one first.
constexpr int RowsShown = 3;
// The clock and the code's hint are looked at this often.
constexpr int TickMs = 200;

QFont ItemFont(int pixelSize)
{
    QFont font;
    font.setFamilies({u"Noto Sans CJK SC"_s, u"Noto Sans Mono CJK SC"_s});
    font.setPixelSize(pixelSize);
    return font;
}

// The 码长 of typing a lesson's words one character at a time: each
// character's pinyin (the word's whole pinyin) and a Space for each.
double CharacterByCharacter(const CLesson& lesson)
{
    qsizetype keys = 0;
    qsizetype characters = 0;
    for (const QList<CCodeItem>& line : lesson.items) {
        for (const CCodeItem& item : line) {
            keys += item.FullCode().size() + item.strText.size();
            characters += item.strText.size();
        }
    }
    return characters ? double(keys) / double(characters) : 0.0;
}

} // namespace

CCodeLessonView::CCodeLessonView(const CSession& session, const CCourse& course, int lesson,
                                 QWidget* parent)
    : CLessonScreen(session, course, lesson, parent),
      m_session(course.Lesson(lesson) ? *course.Lesson(lesson) : CLesson()),
      m_input(this, CTypingInput::Takes::KeysAndInputMethod, InputTarget())
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_input.Composition().SetInvalidate([this](int, int, int) { update(); });
    m_pKeyboard = new CKeyboardView(CKeyboardLayout::Standard(), this);
    if (m_course.strId == CoursePlan::Wubi) {
        QHash<int, QString> legends;
        const QHash<QChar, QString>& roots = WubiChart::RootsByKey();
        for (auto it = roots.cbegin(); it != roots.cend(); ++it)
            legends.insert(CKeyboardLayout::Standard().StrokeFor(it.key()).nKey, it.value());
        m_pKeyboard->SetLegends(legends);
    }
    m_nPressesAtCommit = m_keysAtStart.nPresses;
    m_nTimer = startTimer(TickMs);
}

void CCodeLessonView::Layout()
{
    const int header = HeaderRect().height();
    const int keyboard = height() * 46 / 100;
    m_pKeyboard->setGeometry(8, height() - keyboard, width() - 16, keyboard - 4);
    m_headerFont = font();
    m_headerFont.setPixelSize(qMax(12, header * 3 / 5));
    // Three rows of items 2.2 characters high, and two lines of letters
    // (typed, the code) of 1.2 under the first; 16 characters wide.
    const int room = height() - keyboard - header - 8;
    m_nCell = qMax(10, int(qMin(width() * 0.94 / 16, room / (RowsShown * 2.2 + 2.6))));
    m_itemFont = ItemFont(int(m_nCell * 0.9));
    m_codeFont = ItemFont(int(m_nCell * 0.8));
    m_nRowHeight = int(std::lround(2.2 * m_nCell));
    m_nTop = header + m_nCell / 3;
}

QRect CCodeLessonView::HeaderRect() const
{
    return QRect(0, 0, width(), qMax(20, height() / 16));
}

int CCodeLessonView::ItemWidth(const CCodeItem& item) const
{
    // Room for the item and for a four-letter code under it.
    return (qMax(2, int(item.strText.size())) + 1) * m_nCell;
}

QList<QList<CCodeItem>> CCodeLessonView::Rows() const
{
    QList<QList<CCodeItem>> rows;
    const int room = int(width() * 0.94);
    int used = room;
    for (const CCodeItem& item : m_session.Upcoming(RowsShown * 16)) {
        if (used + ItemWidth(item) > room) {
            if (rows.size() == RowsShown)
                break;
            rows.append(QList<CCodeItem>());
            used = 0;
        }
        rows.last().append(item);
        used += ItemWidth(item);
    }
    return rows;
}

QRect CCodeLessonView::CurrentItemRect() const
{
    if (m_session.IsFinished())
        return {};
    const int left = int(width() * 0.03);
    return QRect(left, m_nTop, ItemWidth(*m_session.Current()) - m_nCell / 4, m_nRowHeight);
}

void CCodeLessonView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    Layout();
    update();
}

bool CCodeLessonView::focusNextPrevChild(bool next)
{
    Q_UNUSED(next);
    return false;
}

QString CCodeLessonView::HeaderText() const
{
    const qint64 seconds = m_session.ElapsedMs(Platform().MonotonicMilliseconds()) / 1000;
    QString text = u"第 %1 课  %2    已打 %3    用时 %4:%5"_s.arg(m_nLesson)
                       .arg(m_session.Lesson().strTitle)
                       .arg(m_session.CharactersTyped())
                       .arg(seconds / 60)
                       .arg(seconds % 60, 2, 10, QChar(u'0'));
    if (m_session.Keystrokes() > 0)
        text += u"    错 %1"_s.arg(m_session.Errors());
    return text;
}

void CCodeLessonView::paintEvent(QPaintEvent* event)
{
    Q_UNUSED(event);
    QPainter painter(this);
    painter.fillRect(rect(), palette().base());
    const QRect header = HeaderRect().adjusted(10, 0, -10, 0);
    painter.fillRect(HeaderRect(), palette().window());
    painter.setFont(m_headerFont);
    painter.setPen(palette().windowText().color());
    painter.drawText(header, Qt::AlignVCenter | Qt::AlignLeft, HeaderText());
    painter.setPen(DoneText);
    painter.drawText(header, Qt::AlignVCenter | Qt::AlignRight,
                     m_course.strId == CoursePlan::Wubi ? u"打编码,简码后按空格  Esc 离开"_s
                                                        : u"整个词组一起打  Esc 离开"_s);

    const qint64 now = Platform().MonotonicMilliseconds();
    const QList<QList<CCodeItem>> rows = Rows();
    const int left = int(width() * 0.03);
    // The first row has the typed letters and the code under it.
    const int letters = int(std::lround(1.3 * m_nCell));
    for (int r = 0; r < rows.size(); ++r) {
        const int top = m_nTop + r * m_nRowHeight + (r > 0 ? 2 * letters : 0);
        int x = left;
        for (int i = 0; i < rows[r].size(); ++i) {
            const CCodeItem& item = rows[r][i];
            const QRect box(x, top, ItemWidth(item) - m_nCell / 4, m_nRowHeight);
            const bool current = r == 0 && i == 0;
            if (current)
                painter.fillRect(box, CurrentFill);
            painter.setFont(m_itemFont);
            painter.setPen(current ? palette().text().color() : NextItems);
            painter.drawText(box, Qt::AlignCenter, item.strText);
            if (current) {
                painter.setFont(m_codeFont);
                painter.setPen(TypedText);
                const QRect typed(box.left(), box.bottom() + 1, box.width(), letters);
                painter.drawText(typed, Qt::AlignCenter,
                                 m_input.Composition().IsOpen() ? m_input.Composition().Text()
                                                                : m_session.Typed());
                if (m_session.ShowsCode(now)) {
                    painter.setPen(CodeText);
                    const QString shortest = item.ShortestCode();
                    const QString code = shortest == item.FullCode()
                                             ? shortest
                                             : shortest + u" / "_s + item.FullCode();
                    // Large, right under the item it types.
                    painter.drawText(
                        typed.translated(0, letters).adjusted(-3 * m_nCell, 0, 3 * m_nCell, 0),
                        Qt::AlignHCenter | Qt::AlignVCenter, code);
                }
            }
            x += ItemWidth(item);
        }
    }
    if (!m_session.IsStarted())
        DrawStartCard(painter);
}

void CCodeLessonView::DrawStartCard(QPainter& painter) const
{
    // What a child does first, over the rows after the first until the
    // first key.
    const CStartCard card = {
        m_course.strId == CoursePlan::Wubi
            ? QStringList{u"按字根所在的键,简码后按空格"_s, u"打错了会显示编码,照着打就行"_s}
            : QStringList{u"用输入法把整个词组一起打出来"_s, u"打错了会显示拼音,照着打就行"_s},
        CLessonScreen::StartPrompt};
    const int rowsTop = m_nTop + m_nRowHeight + 2 * int(std::lround(1.3 * m_nCell));
    card.Draw(painter, QRect(0, rowsTop, width(), m_pKeyboard->y() - rowsTop), m_headerFont);
}

CTypingInput::CTarget CCodeLessonView::InputTarget()
{
    CTypingInput::CTarget target;
    target.key = [this](CTypingInput::Key key) {
        if (ResultTakes(key))
            return;
        if (key == CTypingInput::Key::Escape) {
            Leave(m_session.IsStarted() && !m_session.IsFinished());
        } else if (key == CTypingInput::Key::Backspace) {
            m_session.Backspace(Platform().MonotonicMilliseconds());
            update();
        }
    };
    target.text = [this](const QString& text, bool bCommitted) {
        if (ResultTakes(std::nullopt))
            return;
        if (bCommitted)
            OnCommit(text);
        else if (text.size() == 1 && (text.front().isLetter() || text.front() == u' '))
            OnKey(text.front());
    };
    target.cursor = [this] { return CurrentItemRect(); };
    target.font = [this] { return m_itemFont; };
    return target;
}

void CCodeLessonView::keyPressEvent(QKeyEvent* event)
{
    if (!m_input.KeyPress(*event))
        QWidget::keyPressEvent(event);
}

void CCodeLessonView::inputMethodEvent(QInputMethodEvent* event)
{
    m_input.InputMethod(*event);
    update();
}

QVariant CCodeLessonView::inputMethodQuery(Qt::InputMethodQuery query) const
{
    const QVariant answer = m_input.Query(query);
    return answer.isValid() ? answer : QWidget::inputMethodQuery(query);
}

void CCodeLessonView::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    m_input.FocusIn();
}

void CCodeLessonView::focusOutEvent(QFocusEvent* event)
{
    m_input.FocusOut();
    QWidget::focusOutEvent(event);
}

void CCodeLessonView::OnKey(QChar ch)
{
    if (m_session.IsFinished())
        return;
    if (CKeyPressCounter::Application().IsAvailable())
        m_nPressesAtCommit = CKeyPressCounter::Application().Counts().nPresses;
    AfterInput(m_session.Type(ch, Platform().MonotonicMilliseconds()), ch);
}

void CCodeLessonView::OnCommit(const QString& text)
{
    if (m_session.IsFinished())
        return;
    // The keys since the last commit, where they are counted.
    int keys = -1;
    if (CKeyPressCounter::Application().IsAvailable()) {
        const qint64 presses = CKeyPressCounter::Application().Counts().nPresses;
        keys = int(presses - m_nPressesAtCommit);
        m_nPressesAtCommit = presses;
    }
    AfterInput(m_session.Commit(text, keys, Platform().MonotonicMilliseconds()), QChar());
}

void CCodeLessonView::AfterInput(CCodeSession::Outcome outcome, QChar typed)
{
    if (!m_bStarted && m_session.IsStarted()) {
        m_bStarted = true;
        OnStarted();
    }
    if (outcome == CCodeSession::Outcome::Wrong && !typed.isNull())
        m_pKeyboard->ShowWrong(typed);
    ShowCodeOnKeyboard();
    update();
    if (outcome == CCodeSession::Outcome::Finished)
        Finish();
}

void CCodeLessonView::ShowCodeOnKeyboard()
{
    const qint64 now = Platform().MonotonicMilliseconds();
    m_bCodeShown = m_session.ShowsCode(now);
    m_pKeyboard->SetCode(m_bCodeShown ? m_session.Current()->FullCode() : QString());
}

void CCodeLessonView::timerEvent(QTimerEvent* event)
{
    if (event->timerId() != m_nTimer)
        return;
    // The header changes with the clock's seconds only.
    if (const QString header = HeaderText(); header != m_strShownHeader) {
        m_strShownHeader = header;
        update(HeaderRect());
    }
    if (m_session.ShowsCode(Platform().MonotonicMilliseconds()) != m_bCodeShown) {
        ShowCodeOnKeyboard();
        update();
    }
}

void CCodeLessonView::Finish()
{
    const CLesson& lesson = m_session.Lesson();
    CLessonAttempt attempt = NewAttempt(m_session.ElapsedMs(Platform().MonotonicMilliseconds()));
    // The course's rules count the lesson's characters as its keys: each
    // typed right once, the wrong codes as the errors.
    attempt.nCorrectKeys = lesson.Keystrokes();
    attempt.nErrors = m_session.Errors();
    attempt.nKeystrokes = attempt.nCorrectKeys + attempt.nErrors;
    attempt.nBackspaces = m_session.Backspaces();
    attempt.misses = m_session.Misses();
    End(attempt, [this, &lesson](CLessonRecord& record) {
        record.weakItems = m_session.StillWeak();
        for (const CCodeItem& item : m_session.LongerThanShortest())
            record.longerCodes.append(u"%1(%2)"_s.arg(item.strText, item.ShortestCode()));
        if (m_course.strId == CoursePlan::Pinyin)
            record.dCharacterByCharacter = CharacterByCharacter(lesson);
    });
}

LiveProgress::CReport CCodeLessonView::LiveReport(int endReason) const
{
    const qint64 now = Platform().MonotonicMilliseconds();
    return Report(m_session.Lesson().Keystrokes(), m_session.CharactersTyped() + m_session.Errors(),
                  m_session.CharactersTyped(), m_session.ElapsedMs(now), m_session.IdleMs(now),
                  endReason);
}

void CCodeLessonView::Restart()
{
    m_session = CCodeSession(m_session.Lesson());
    m_bStarted = false;
    SetOut();
    m_nPressesAtCommit = m_keysAtStart.nPresses;
    ShowCodeOnKeyboard();
    update();
}
