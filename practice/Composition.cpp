#include "practice/Composition.h"

#include "platform/Gbk.h"
#include "practice/PracticeState.h"
#include "practice/QeDoc.h"

#include <QGuiApplication>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QWidget>

#include <algorithm>

bool CComposition::BeyondAscii(const QString& text)
{
    return std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() > 0x7F; });
}

bool CComposition::OnInputMethodEvent(const QInputMethodEvent& event)
{
    // What arrives between losing and regaining the focus is the composition
    // that was cancelled, handed in by the input method.
    if (m_bDiscarding) {
        Show(QString());
        return false;
    }
    const QString commit = event.commitString();
    // The commit takes the composition's place; the position it moves to
    // is where the next composition is shown.
    Show(QString());
    if (!commit.isEmpty() && m_commit)
        m_commit(commit);
    Show(event.preeditString());
    return IsOpen() || BeyondAscii(commit);
}

void CComposition::Cancel()
{
    if (!IsOpen())
        return;
    Show(QString());
    // The input method drops it too. Its reset may hand the text back as a
    // commit, which is dropped here; and as it hands it to the focus
    // object, it is reset only while that is the view or nothing.
    const QObject* focus = QGuiApplication::focusObject();
    if (focus != nullptr && focus != m_pView)
        return;
    const bool discarding = m_bDiscarding;
    m_bDiscarding = true;
    QGuiApplication::inputMethod()->reset();
    m_bDiscarding = discarding;
}

void CComposition::OnFocusIn()
{
    QWindow* window = m_pView->window()->windowHandle();
    if (window && window != m_pFocusWindow) {
        window->installEventFilter(this);
        m_pFocusWindow = window;
    }
    m_bDiscarding = false;
}

// A composition open when the pupil clicks elsewhere is cancelled: none of
// it is typed, now or when the input method hands it in on its way out.
void CComposition::OnFocusOut()
{
    m_bDiscarding = true;
    Cancel();
}

void CComposition::TellCursor(const QRect& cursor)
{
    // Without the focus the input method asks the view itself when it gets
    // the focus.
    if (cursor == m_rectToldCursor || !m_pView->hasFocus())
        return;
    m_rectToldCursor = cursor;
    QGuiApplication::inputMethod()->update(Qt::ImCursorRectangle);
}

// Before the window hands the focus on, Qt has the input method commit its
// composition into the view, and only then tells the view; so the
// cancelling starts as the window hears of it.
bool CComposition::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_pFocusWindow && event->type() == QEvent::FocusAboutToChange) {
        m_bDiscarding = true;
        Show(QString());
    }
    return QObject::eventFilter(watched, event);
}

void CComposition::Show(const QString& text)
{
    // At the cursor on the typed line; a composition too long for the rest
    // of the row ends at the row's last column instead.
    const QByteArray bytes = Gbk::Encode(text);
    const int cursor =
        CurrentPracticeKind == PracticeKind::Chinese ? 2 * CurrentColumn : CurrentColumn;
    const int line = 2 * CurrentRow + 1;
    const int column = std::max(0, std::min(cursor, CQeDoc::Columns - int(bytes.size())));
    if (text == m_strText && line == m_nLine && column == m_nColumn)
        return;
    Invalidate();
    m_strText = text;
    m_baText = bytes;
    m_nLine = line;
    m_nColumn = column;
    Invalidate();
}

void CComposition::Invalidate()
{
    if (!m_strText.isEmpty() && m_invalidate)
        m_invalidate(m_nLine, m_nColumn, int(m_baText.size()));
}
