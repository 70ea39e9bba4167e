#pragma once

#include <QFont>
#include <QRect>

class CQeDoc;
class QPainter;

// The two screens of the practice view, drawn from the document's buffers
// and the session position. It is the one paint routine: a full repaint
// and the repaint of the few cells a keystroke changed both come here, so
// they can never disagree.
class CViewPainter
{
public:
    // The practice font: a CJK monospace face at an even pixel size, where a
    // Chinese glyph is exactly two Latin columns wide, small enough for each
    // glyph to stand whole in its text line.
    static QFont PracticeFont();
    // The grid metrics of the practice font, as LineHeight and CharWidth.
    static int PracticeLineHeight();
    static int PracticeCharWidth();

    explicit CViewPainter(const CQeDoc& doc);

    // The practice screen, limited to the cells that meet dirty; sets
    // LineHeight and CharWidth.
    void DrawPractice(QPainter& painter, const QRect& dirty) const;
    // An input method's composition over the practice screen: GBK bytes in
    // grey, underlined, from a grid column of a text line, limited like
    // DrawPractice to the cells that meet dirty.
    void DrawComposition(QPainter& painter, const QRect& dirty, int line, int column,
                         const QByteArray& bytes) const;
    // The credit screen's faces, given by the height of their character
    // cell. Finding them loads fonts: the view keeps them.
    struct CCreditFonts
    {
        QFont title;
        QFont credit;
        QFont footer;
    };
    static CCreditFonts CreditFonts();
    // The credit screen for a client area width pixels wide.
    void DrawCredits(QPainter& painter, int width, const CCreditFonts& fonts) const;

private:
    // Lines firstLine to lastLine, grid columns firstColumn to lastColumn.
    void DrawDoubleByte(QPainter& painter, int firstLine, int lastLine, int firstColumn,
                        int lastColumn) const;
    void DrawSingleByte(QPainter& painter, int firstLine, int lastLine, int firstColumn,
                        int lastColumn) const;
    // The cursor under width grid columns from gridColumn of the current
    // row's typed line ("_" in the single-byte layout, "__" in the other).
    void DrawCursor(QPainter& painter, int gridColumn, int width, int firstColumn,
                    int lastColumn) const;

    const CQeDoc& m_doc;
};
