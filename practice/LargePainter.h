#pragma once

#include "practice/LargeLayout.h"

#include <QByteArray>
#include <QColor>
#include <QStringList>

class CQeDoc;
class CTypingSession;
class QPainter;

// What the band over the large screen says: a title and figures while
// typing; at the end a second line (the pupil's best and last) and the
// figures of the corrections as well.
struct CBandText
{
    QString strTitle;
    QStringList figures;
    QString strSecondLine;
    QString strFiguresLine; // the result's corrections and commits, left of its buttons
};

// The large practice screen drawn from the document's buffers and the
// session position, in the layout of the client area. As the described
// screen's painter, it is the one paint routine for a keystroke's few cells
// and a full repaint. A cell typed right keeps the text's colour; a wrong
// one is red on a pale red ground, with the character typed in the strip
// under it; the cell to type is marked.
class CLargePainter
{
public:
    static const QColor Text;
    static const QColor WrongText;
    static const QColor WrongFill;
    static const QColor CursorFill;
    static const QColor CursorBar;
    static const QColor Background;

    CLargePainter(const CQeDoc& doc, const CTypingSession& session, const CLargeLayout& layout,
                  int kind)
        : m_doc(doc), m_session(session), m_layout(layout), m_nKind(kind)
    {
    }

    // The rows that meet dirty; bCursor marks the cell to type.
    void DrawRows(QPainter& painter, const QRect& dirty, bool bCursor) const;
    // An input method's composition in the strip under the cell to type.
    void DrawComposition(QPainter& painter, const QByteArray& bytes) const;
    void DrawBand(QPainter& painter, const CBandText& text) const;

private:
    bool DoubleByte() const;
    // Whether the cell (in the kind's units) lies before the typing position.
    static bool Typed(int row, int cell);
    bool IsWrong(int row, int cell) const;
    QByteArray TextOf(int row, int cell) const;
    QByteArray TypedOf(int row, int cell) const;
    void DrawRow(QPainter& painter, int row, int firstCell, int lastCell, bool bCursor) const;

    const CQeDoc& m_doc;
    const CTypingSession& m_session;
    const CLargeLayout& m_layout;
    int m_nKind;
};
