#pragma once

#include "platform/CommandTarget.h"
#include "practice/AttemptRecorder.h"
#include "practice/LargeScreen.h"
#include "practice/PracticeReporter.h"
#include "practice/PracticeState.h"
#include "practice/TypingInput.h"
#include "practice/TypingSession.h"
#include "practice/ViewPainter.h"

#include <QFile>
#include <QFont>
#include <QPointer>
#include <QWidget>

#include <optional>

class CQeDoc;
class QPushButton;

// The single view of the main window: the credit screen or the practice
// screen. Keyboard and input-method text reaches OnChar as GBK bytes, one
// call per byte; the view handles the practice commands and the commands
// that open the dialogs of the other parts.
class CQeView : public QWidget, public ICommandTarget
{
    Q_OBJECT
public:
    CQeView(CQeDoc* pDoc, CViewServices services, QWidget* parent = nullptr);
    ~CQeView() override;

    CQeDoc* GetDocument() const { return m_pDocument; }
    CTypingSession& Session() { return m_session; }
    CComposition& Composition() { return m_input.Composition(); }

    void OnChar(unsigned nChar, unsigned nRepCnt = 1, unsigned nFlags = 0);
    // Feeds text as the keyboard or an input method delivers it.
    void OnText(const QString& text);
    void ResetSession();
    void ShowCredits();
    void EndPractice();

    void OnPracticeChinese();
    void OnPracticeEnglish();
    void OnPracticeNumber();
    void OnPracticeSymbol();
    // Loads a screenful of a stored text, a drill or an exam and practises
    // it by the rules of the four practices. A screen of a text that was
    // typed to its last cell is followed by the text's next screen, ready
    // for the space bar.
    void LoadScreen(const CPracticeScreen& screen);
    // What LoadScreen loaded, until the next load or reset.
    const std::optional<CPracticeScreen>& LoadedScreen() const { return m_large.Screen(); }
    // Who records an exam's start and stores its end.
    void SetExamHost(IExamHost* pHost) { m_large.Exam().SetHost(pHost); }
    // A running exam that the pupil leaves (another practice, reset, log
    // off, the end of the program) ends first, and its result is stored.
    void LeaveRunningExam();

    // A screen of another part of the program (a lesson of the course) in
    // the view's place, filling it and taking the keyboard, until it is
    // closed: by itself, or by a practice, a reset, the credits or logging
    // off. The view takes the widget and deletes it when it closes.
    void ShowScreen(QWidget* pScreen);
    void CloseScreen();
    QWidget* ShownScreen() const { return m_pScreen; }

    // Whether the practice shown is on the large screen: a stored text, a
    // drill, an exam or an assignment's text, while it waits, runs and
    // shows its result. The four practices keep the described screen.
    bool IsLarge() const { return !m_bShowCredits && m_large.Screen().has_value(); }
    CLargeLayout LargeLayout() const { return m_large.Layout(); }
    // The large screen's result, once its practice ended, until the next
    // load, reset or the credits.
    bool ShowsResult() const { return m_large.ShowsResult(); }
    // Its band: the figures while typing, the result's once it ended.
    CBandText Band() const { return m_large.Band(); }
    // The card before the first key, as drawn.
    CStartCard Card() const { return m_large.Card(); }
    // The result's buttons, by their text ("保存成绩", "再练一次", "下一屏",
    // "我的作业", "返回").
    QPushButton* ResultButton(const QString& text) const { return m_large.ResultButton(text); }
    // An exam's result over its screen, once it ended, until it is closed.
    const CResultSheet& SittingResult() const { return m_large.SittingResult(); }

    void OnDraw(QPainter& painter, const QRect& dirty);
    // Shows the context menu at a screen point; (-1, -1) asks for the
    // keyboard position, 5 pixels right of and below the client's corner.
    void OnContextMenu(QWidget* pWnd, QPoint point);
    // Where the keyboard context menu opens, in screen coordinates.
    QPoint KeyboardMenuPoint() const;

    // A result was seen and closed (an exam's, a lesson's): what comes
    // next may be offered.
    void OnResultSeen() { emit resultSeen(); }

    bool OnCmdMsg(int nID) override;
    bool HasCommandHandler(int nID) const override;
    bool OnUpdateCmdUI(CCmdUI& cmdUI) override;

    // The pixels of count grid columns of a text line (0-27).
    QRect CellRect(int line, int column, int count) const;
    // What to repaint when those cells change: a column more on each side and
    // two pixels above and below, where glyphs may reach out of their cells.
    QRect DirtyRect(int line, int column, int count) const;

    int m_bShowCredits = 1;
    QFile m_file;
    std::optional<CViewPainter::CCreditFonts> m_creditFonts;

signals:
    void resultSeen();

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void LoadPractice(int kind, const QString& fileName);
    // What every load does first: a running exam stored, the last practice
    // and its result gone, the new one's kind and title recorded.
    void SetOut(int kind, const QString& title);
    // What every load does last: the screen shown, the input method told.
    void ShowSetOut();
    // What the keys and the input method's text do here.
    CTypingInput::CTarget InputTarget();
    // A key event of the pupil's, for the rhythm of the keys.
    void NoteKey();
    void OnApplicationStateChanged(Qt::ApplicationState state);
    // The input method's cursor: the cell the next character goes to.
    QRect TypingCellRect() const;
    // Tells the input method where the typing position is, when it moved
    // since it was last told.
    void TellInputMethod();
    // In pane 0, a notice when no input method can type Chinese into the
    // program.
    void ShowInputMethodNotice();

    CViewServices m_services;
    CQeDoc* m_pDocument;
    CTypingSession m_session;
    CAttemptRecorder m_recorder;
    CTypingInput m_input;
    CLargeScreen m_large;
    bool m_bEnding = false; // EndPractice runs
    QPointer<QWidget> m_pScreen;
    CPracticeReporter m_reporter;

public:
    // The reports of the running practice to the live view (for the suites).
    CLiveReporter& Reporter() { return m_reporter.Live(); }
};
