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

namespace {

// Keys of the special block (Delete, Insert, the arrows, Home and End, the
// page and function keys, ...) produce no character there, whatever text
// the keyboard layout attaches to them (Delete carries "\x7f"). Tab keeps
// its character; Esc, Backspace and Enter are mapped on their own.
bool ProducesNoCharacter(int key)
{
    return key >= Qt::Key_Escape && key < Qt::Key_unknown && key != Qt::Key_Tab &&
           key != Qt::Key_Backtab;
}

} // namespace

void CQeView::keyPressEvent(QKeyEvent* event)
{
    // While the input method composes, a key it passes on (Space, a digit,
    // Backspace, Enter, Esc) belongs to the composition, not the practice.
    if (m_composition.IsOpen()) {
        event->accept();
        return;
    }
    switch (event->key()) {
    case Qt::Key_Escape:
        NoteKey();
        OnChar(0x1B);
        return;
    case Qt::Key_Backspace:
        NoteKey();
        OnChar(0x08);
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        NoteKey();
        OnChar(0x0D);
        return;
    default:
        break;
    }
    if (event->text().isEmpty() || ProducesNoCharacter(event->key())) {
        QWidget::keyPressEvent(event);
        return;
    }
    OnText(event->text());
}

void CQeView::inputMethodEvent(QInputMethodEvent* event)
{
    // Text from an input method proves one is at work: a notice that none
    // was found goes.
    if (m_composition.OnInputMethodEvent(*event)) {
        if (IPracticeClock* clock = m_services.pClock)
            clock->ShowNotice(QString());
    }
    event->accept();
    TellInputMethod();
}

// The view always takes input-method text: an input method that is told
// "disabled" while the view has the focus is not told "enabled" again by
// Qt (IBus then keeps the focus and the cursor of the last edit field).
QVariant CQeView::inputMethodQuery(Qt::InputMethodQuery query) const
{
    switch (query) {
    case Qt::ImEnabled:
        return true;
    case Qt::ImCursorRectangle:
        return TypingCellRect();
    case Qt::ImFont:
        return IsLarge() ? LargeLayout().TextFont() : CViewPainter::PracticeFont();
    default:
        return QWidget::inputMethodQuery(query);
    }
}

QRect CQeView::TypingCellRect() const
{
    const bool doubleByte = CurrentPracticeKind == PracticeKind::Chinese;
    const int column = doubleByte ? 2 * CurrentColumn : CurrentColumn;
    return CellRect(2 * CurrentRow + 1, column, doubleByte ? 2 : 1);
}

void CQeView::TellInputMethod()
{
    m_composition.TellCursor(TypingCellRect());
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
    m_composition.OnFocusIn();
    QWidget::focusInEvent(event);
    TellInputMethod();
}

void CQeView::focusOutEvent(QFocusEvent* event)
{
    m_composition.OnFocusOut();
    QWidget::focusOutEvent(event);
}
