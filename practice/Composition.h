#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QWindow>

#include <functional>

class QInputMethodEvent;

// The input-method side of the practice view. What an input method is
// composing (the pinyin letters before a candidate is chosen) is shown at
// the typing position but never typed: only committed text goes on to the
// character handler. A composition open when the view loses the focus is
// cancelled, and what the input method hands in on its way out is dropped.
// The input method is told where the typing position is.
class CComposition : public QObject
{
public:
    using CommitFn = std::function<void(const QString& text)>;
    // The grid area to repaint: text line, first grid column, column count.
    using InvalidateFn = std::function<void(int line, int column, int count)>;

    explicit CComposition(QWidget* view) : m_pView(view) {}

    // Whether text has a character beyond ASCII: only an input method
    // delivers such text.
    static bool BeyondAscii(const QString& text);

    void SetCommit(CommitFn commit) { m_commit = std::move(commit); }
    void SetInvalidate(InvalidateFn invalidate) { m_invalidate = std::move(invalidate); }

    // Types what the event commits, then shows its new composition. True
    // when the event shows that an input method is at work (a composition
    // or committed text beyond ASCII).
    bool OnInputMethodEvent(const QInputMethodEvent& event);
    // Drops an open composition, on the screen and in the input method.
    void Cancel();
    void OnFocusIn();
    void OnFocusOut();
    // Tells the input method the cursor rectangle, when it moved since.
    void TellCursor(const QRect& cursor);

    bool IsOpen() const { return !m_strText.isEmpty(); }
    const QString& Text() const { return m_strText; }
    // The composition as it is drawn: GBK bytes from grid column Column() of
    // text line Line(), the typed line of the current row.
    const QByteArray& Bytes() const { return m_baText; }
    int Line() const { return m_nLine; }
    int Column() const { return m_nColumn; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Show(const QString& text);
    void Invalidate();

    QWidget* m_pView;
    QString m_strText;
    QByteArray m_baText;
    int m_nLine = 0;
    int m_nColumn = 0;
    bool m_bDiscarding = false;
    QRect m_rectToldCursor;
    QPointer<QWindow> m_pFocusWindow; // the window whose focus loss is watched
    CommitFn m_commit;
    InvalidateFn m_invalidate;
};
