#pragma once

#include "attempts/KeyDetail.h"
#include "course/LessonScreen.h"
#include "course/LessonSession.h"
#include "practice/TypingInput.h"

#include <QFont>
#include <QHash>
#include <QPixmap>

class CKeyboardView;
class CSession;

// The screen of a lesson in the main window's view: the lesson's lines in
// large type with what was typed under the current one, the cursor on the
// next character, the keyboard below. A wrong key does not advance: it is
// counted, shown red at the cursor and on the keyboard. Esc leaves after
// asking; the end shows the result and keeps it for a logged-in pupil.
class CLessonView : public CLessonScreen
{
    Q_OBJECT
public:
    CLessonView(const CSession& session, const CCourse& course, int lesson,
                QWidget* parent = nullptr);

    const CLessonSession& Session() const { return m_session; }
    CKeyboardView* Keyboard() const { return m_pKeyboard; }

    // The pixels of a cell: row 0 is the current line, 1 what was typed
    // under it, 2 and 3 the next lines.
    QRect CellRect(int row, int column) const;
    QRect HeaderRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    CTypingInput::CTarget InputTarget();
    void OnKey(QChar ch);
    void OnBackspace();
    void Finish();
    void Restart() override;
    void Layout();
    void AfterKey(int line, int column);
    void ShowNextOnKeyboard();
    void DrawHeader(QPainter& painter) const;
    void DrawLine(QPainter& painter, const QRect& dirty, int row, int line) const;
    void DrawTyped(QPainter& painter, const QRect& dirty) const;
    void DrawCell(QPainter& painter, const QRect& cell, QChar ch, const QColor& text,
                  const QColor& fill) const;
    const QPixmap& CellImage(QChar ch, const QColor& text, const QColor& fill) const;
    void PrepareCellImages() const;
    // Whether every rectangle asked for lies in cells of the text's rows.
    bool OnlyCells(const QRegion& dirty) const;
    QString HeaderText() const;
    LiveProgress::CReport LiveReport(int endReason) const override;

    CLessonSession m_session;
    CTypingInput m_input;
    CKeyDetailRecorder m_keyDetail;
    CKeyboardView* m_pKeyboard = nullptr;
    int m_nClockTimer = 0;
    int m_nShownErrors = 0; // what the header shows
    bool m_bShownHint = false;
    // The text's grid, set by Layout.
    QFont m_font;
    QFont m_rubyFont;
    QFont m_headerFont;
    int m_nCellWidth = 16;
    int m_nRowHeight = 32;
    int m_nRubyHeight = 0;
    QPoint m_textOrigin;
    // Each cell's image by character and colours, for the cell size.
    mutable QHash<quint64, QPixmap> m_cellImages;
};
