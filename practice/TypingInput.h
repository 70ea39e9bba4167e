#pragma once

#include "practice/Composition.h"

#include <QFont>
#include <QRect>
#include <QVariant>

#include <functional>

class QInputMethodEvent;
class QKeyEvent;
class QWidget;

// The one input path of the typing screens: the keys, and an input
// method's commits with its composition, turned into what a screen acts on.
// While the input method composes, the keys it passes on (Space, a digit,
// Backspace, Enter, Esc) belong to the composition, not to the typing.
// Text beyond ASCII that arrives as keys is an input method speaking X's
// own protocol: it is committed text.
class CTypingInput
{
public:
    enum class Key { Escape, Backspace, Enter };
    struct CTarget
    {
        std::function<void(Key key)> key;
        // The characters of a key, or text an input method committed.
        std::function<void(const QString& text, bool bCommitted)> text;
        // Where the next character goes, and in what type: the input
        // method's window is placed and sized by them.
        std::function<QRect()> cursor;
        std::function<QFont()> font;
    };

    // What a screen takes: the keys alone (an input method's letters
    // would be pinyin, not keys), or an input method's text as well.
    enum class Takes { Keys, KeysAndInputMethod };

    // Takes the screen's input method and keyboard focus settings.
    CTypingInput(QWidget* pScreen, Takes takes, CTarget target);

    CComposition& Composition() { return m_composition; }
    const CComposition& Composition() const { return m_composition; }

    // The screen's events: false when a key is not the typing's, for the
    // screen to pass on.
    bool KeyPress(QKeyEvent& event);
    // True when the event shows an input method at work.
    bool InputMethod(QInputMethodEvent& event);
    // The answer to an input method's query; invalid for the screen's own.
    QVariant Query(Qt::InputMethodQuery query) const;
    void FocusIn();
    void FocusOut();
    // Tells the input method where the typing position is, when it moved.
    void TellCursor();

private:
    bool m_bInputMethod;
    CTarget m_target;
    CComposition m_composition;
};
