#include "practice/TypingInput.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QWidget>

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

CTypingInput::CTypingInput(QWidget* pScreen, Takes takes, CTarget target)
    : m_bInputMethod(takes == Takes::KeysAndInputMethod), m_target(std::move(target)),
      m_composition(pScreen)
{
    pScreen->setAttribute(Qt::WA_InputMethodEnabled, m_bInputMethod);
    pScreen->setFocusPolicy(Qt::StrongFocus);
    pScreen->setInputMethodHints(Qt::ImhNoPredictiveText);
    m_composition.SetCommit([this](const QString& text) { m_target.text(text, true); });
}

bool CTypingInput::KeyPress(QKeyEvent& event)
{
    if (m_composition.IsOpen()) {
        event.accept();
        return true;
    }
    switch (event.key()) {
    case Qt::Key_Escape:
        m_target.key(Key::Escape);
        return true;
    case Qt::Key_Backspace:
        m_target.key(Key::Backspace);
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        m_target.key(Key::Enter);
        return true;
    default:
        break;
    }
    const QString text = event.text();
    if (text.isEmpty() || ProducesNoCharacter(event.key()))
        return false;
    m_target.text(text, CComposition::BeyondAscii(text));
    return true;
}

bool CTypingInput::InputMethod(QInputMethodEvent& event)
{
    event.accept();
    const bool atWork = m_composition.OnInputMethodEvent(event);
    TellCursor();
    return atWork;
}

// The screen always takes input-method text: an input method that is told
// "disabled" while the screen has the focus is not told "enabled" again by
// Qt (IBus then keeps the focus and the cursor of the last edit field).
QVariant CTypingInput::Query(Qt::InputMethodQuery query) const
{
    switch (query) {
    case Qt::ImEnabled:
        return m_bInputMethod;
    case Qt::ImCursorRectangle:
        return m_target.cursor();
    case Qt::ImFont:
        return m_target.font();
    default:
        return QVariant();
    }
}

void CTypingInput::FocusIn()
{
    m_composition.OnFocusIn();
    TellCursor();
}

void CTypingInput::FocusOut()
{
    m_composition.OnFocusOut();
}

void CTypingInput::TellCursor()
{
    if (!m_bInputMethod)
        return;
    m_composition.TellCursor(m_target.cursor());
}
