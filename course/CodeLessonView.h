#pragma once

#include "course/CodeSession.h"
#include "course/LessonScreen.h"
#include "practice/TypingInput.h"

#include <QFont>

class CKeyboardView;
class CSession;
class QPainter;

// The screen of a lesson typed by codes (五笔) in the main window's view:
// the items still to type in rows, the current one framed with the letters
// typed under it, the keyboard below with each key's 字根. The code letters
// come as keys, or through the pupil's own 五笔 input method, whose
// commits are checked and whose keys are counted. After a wrong code, or
// 3 s without a key, the item's code shows under it and its keys light up.
// Esc leaves after asking; the end shows the result, with the items still
// weak and those typed with a longer code than their shortest, and keeps it
// for a logged-in pupil.
class CCodeLessonView : public CLessonScreen
{
    Q_OBJECT
public:
    CCodeLessonView(const CSession& session, const CCourse& course, int lesson,
                    QWidget* parent = nullptr);

    const CCodeSession& Session() const { return m_session; }
    CKeyboardView* Keyboard() const { return m_pKeyboard; }

    // The rows of items shown, the current one first; and the frame of the
    // current item.
    QList<QList<CCodeItem>> Rows() const;
    QRect CurrentItemRect() const;
    QRect HeaderRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
    void resizeEvent(QResizeEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    CTypingInput::CTarget InputTarget();
    void OnKey(QChar ch);
    void OnCommit(const QString& text);
    void AfterInput(CCodeSession::Outcome outcome, QChar typed);
    void Finish();
    void Restart() override;
    void Layout();
    void ShowCodeOnKeyboard();
    void DrawStartCard(QPainter& painter) const;
    int ItemWidth(const CCodeItem& item) const;
    QString HeaderText() const;
    LiveProgress::CReport LiveReport(int endReason) const override;

    CCodeSession m_session;
    CTypingInput m_input;
    CKeyboardView* m_pKeyboard = nullptr;
    int m_nTimer = 0;
    bool m_bStarted = false;
    bool m_bCodeShown = false;
    QString m_strShownHeader;
    qint64 m_nPressesAtCommit = 0;
    QFont m_itemFont;
    QFont m_codeFont;
    QFont m_headerFont;
    int m_nCell = 24; // the width of a character of an item
    int m_nRowHeight = 60;
    int m_nTop = 40;
};
