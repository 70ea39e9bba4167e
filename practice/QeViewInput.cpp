#include "practice/QeView.h"

#include "attempts/PracticeKind.h"
#include "platform/MainWindow.h"
#include "platform/Platform.h"
#include "practice/PracticeState.h"
#include "practice/ViewPainter.h"

#include <QInputMethodEvent>
#include <QKeyEvent>

using namespace Qt::Literals::StringLiterals;

// The view's keyboard, input-method and focus side: keys and committed text
// become OnChar bytes, and the input method learns where the typing cell is.

CTypingInput::CTarget CQeView::InputTarget()
{
    CTypingInput::CTarget target;
    target.key = [this](CTypingInput::Key key) {
        NoteKey();
        OnChar(key == CTypingInput::Key::Escape      ? 0x1B
               : key == CTypingInput::Key::Backspace ? 0x08
                                                     : 0x0D);
    };
    target.text = [this](const QString& text, bool) { OnText(text); };
    target.cursor = [this] { return TypingCellRect(); };
    target.font = [this] {
        return IsLarge() ? LargeLayout().TextFont() : CViewPainter::PracticeFont();
    };
    return target;
}

void CQeView::keyPressEvent(QKeyEvent* event)
{
    if (!m_input.KeyPress(*event))
        QWidget::keyPressEvent(event);
}

void CQeView::inputMethodEvent(QInputMethodEvent* event)
{
    // Text from an input method proves one is at work: a notice that none
    // was found goes.
    if (m_input.InputMethod(*event)) {
        if (IPracticeClock* clock = m_services.pClock)
            clock->ShowNotice(QString());
    }
}

QVariant CQeView::inputMethodQuery(Qt::InputMethodQuery query) const
{
    const QVariant answer = m_input.Query(query);
    return answer.isValid() ? answer : QWidget::inputMethodQuery(query);
}

QRect CQeView::TypingCellRect() const
{
    const bool doubleByte = CurrentPracticeKind == PracticeKind::Chinese;
    const int column = doubleByte ? 2 * CurrentColumn : CurrentColumn;
    return CellRect(2 * CurrentRow + 1, column, doubleByte ? 2 : 1);
}

void CQeView::TellInputMethod()
{
    m_input.TellCursor();
}

void CQeView::ShowInputMethodNotice()
{
    // One sentence for the pupil, whatever is missing; the manual tells the
    // teacher what each cause is and how to mend it.
    if (Platform().InputMethod() == InputMethodState::Active)
        return;
    if (IPracticeClock* clock = m_services.pClock)
        clock->ShowNotice(u"现在打不出汉字,请告诉老师。"_s);
}

bool CQeView::focusNextPrevChild(bool next)
{
    Q_UNUSED(next);
    return false; // Tab is a character of the practice, not a focus move
}

void CQeView::focusInEvent(QFocusEvent* event)
{
    m_input.Composition().OnFocusIn();
    QWidget::focusInEvent(event);
    TellInputMethod();
}

void CQeView::focusOutEvent(QFocusEvent* event)
{
    m_input.FocusOut();
    QWidget::focusOutEvent(event);
}
