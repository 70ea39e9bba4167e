#pragma once

#include <QFont>
#include <QRect>
#include <QSize>

// Where the large practice screen of the texts, drills, exams and
// assignments puts things in a client area: a band of figures at the top,
// then the screen's rows, centred, as large as the area allows. Each row
// is a text line and, under it, a narrow strip that shows what was typed
// in a wrong cell. The grid is the practice buffers' own: 92 columns, a
// Chinese character taking two.
struct CLargeLayout
{
    // How tall the band is: the figures while typing, the result and its
    // buttons at the end.
    enum class Band { Figures, Result };

    QRect band;
    QRect text;             // the rows
    int nColumnWidth = 0;   // a grid column: half a Chinese character
    int nTextHeight = 0;    // a text line
    int nStripHeight = 0;   // the strip under it
    int nPixelSize = 0;     // the text's font
    int nBandPixelSize = 0; // the band's

    static CLargeLayout For(const QSize& client, Band band = Band::Figures);

    int RowPitch() const { return nTextHeight + nStripHeight; }
    // count grid columns from column of a buffer line: an even line is the
    // text line of row line / 2, an odd one its strip.
    QRect Cells(int line, int column, int count) const;
    // The text line and the strip of a row together.
    QRect Row(int row, int column, int count) const;

    QFont TextFont() const;
    QFont StripFont() const;
    QFont BandFont() const;
};
