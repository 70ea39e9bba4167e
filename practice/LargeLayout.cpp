#include "practice/LargeLayout.h"

#include "practice/QeDoc.h"
#include "practice/ViewPainter.h"

#include <algorithm>

namespace {

constexpr int Margin = 4;
constexpr int GridColumns = CQeDoc::Columns;
// A text line is 1.1 of the font's size (a CJK face's glyphs stand in
// about 1.0), the strip under it 0.56: the wrong character typed is shown
// at half the text's size at least, large enough for a child to read. The
// rows take nearly all of the height, so that the text is as large as a
// laptop's display allows.
constexpr int TextLinePercent = 110;
constexpr int StripPercent = 56;
constexpr int SmallestPixelSize = 8;

} // namespace

CLargeLayout CLargeLayout::For(const QSize& client, Band band)
{
    CLargeLayout layout;
    const int bandHeight = band == Band::Figures ? std::clamp(client.height() / 20, 24, 48)
                                                 : std::clamp(client.height() / 7, 72, 120);
    layout.band = QRect(0, 0, client.width(), bandHeight);
    layout.nBandPixelSize = std::clamp(client.height() / 35, 13, 20);
    const int width = client.width() - 2 * Margin;
    const int height = client.height() - bandHeight - 2 * Margin;
    // The largest even size whose rows fit both ways: two grid columns are
    // one character, so the column is half the size.
    const int byWidth = 2 * (width / GridColumns);
    const int byHeight = height * 100 / (CQeDoc::Rows * (TextLinePercent + StripPercent));
    layout.nPixelSize = std::max(SmallestPixelSize, std::min(byWidth, byHeight) / 2 * 2);
    layout.nColumnWidth = layout.nPixelSize / 2;
    layout.nTextHeight = layout.nPixelSize * TextLinePercent / 100;
    layout.nStripHeight = layout.nPixelSize * StripPercent / 100;
    const QSize rows(GridColumns * layout.nColumnWidth, CQeDoc::Rows * layout.RowPitch());
    const int left = std::max(Margin, (client.width() - rows.width()) / 2);
    const int top =
        bandHeight + std::max(Margin, (client.height() - bandHeight - rows.height()) / 2);
    layout.text = QRect(QPoint(left, top), rows);
    return layout;
}

QRect CLargeLayout::Cells(int line, int column, int count) const
{
    const int top = text.top() + line / 2 * RowPitch() + (line % 2 == 1 ? nTextHeight : 0);
    return QRect(text.left() + column * nColumnWidth, top, count * nColumnWidth,
                 line % 2 == 1 ? nStripHeight : nTextHeight);
}

QRect CLargeLayout::Row(int row, int column, int count) const
{
    return QRect(text.left() + column * nColumnWidth, text.top() + row * RowPitch(),
                 count * nColumnWidth, RowPitch());
}

QFont CLargeLayout::TextFont() const
{
    QFont font = CViewPainter::PracticeFont();
    font.setPixelSize(nPixelSize);
    return font;
}

QFont CLargeLayout::StripFont() const
{
    QFont font = CViewPainter::PracticeFont();
    // Even, as the grid needs, and not below half the text's size; bold,
    // so that a small glyph reads from a pupil's seat.
    font.setPixelSize(std::max(6, (nPixelSize / 2 + 1) / 2 * 2));
    font.setBold(true);
    return font;
}

QFont CLargeLayout::BandFont() const
{
    QFont font;
    font.setFamilies({QStringLiteral("Noto Sans CJK SC")});
    font.setPixelSize(nBandPixelSize);
    return font;
}
