#include "practice/PracticeScreen.h"

#include "practice/QeDoc.h"

#include <QBuffer>

#include <cstring>

namespace {

// Whether anything but line breaks is left to read.
bool HasTextLeft(const QBuffer& buffer)
{
    const QByteArray& data = buffer.data();
    for (qsizetype i = buffer.pos(); i < data.size(); ++i) {
        if (data[i] != '\r' && data[i] != '\n')
            return true;
    }
    return false;
}

// Reads one screenful into scratch buffers, moving past it.
void SkipScreen(QBuffer& buffer, int kind)
{
    if (kind == PracticeKind::Chinese) {
        CQeDoc::DoubleByteCells cells = {};
        QList<QByteArray> lines(CQeDoc::Rows);
        CQeDoc::ReadDoubleByteScreen(buffer, cells, lines);
    } else {
        CQeDoc::SingleByteRows rows = {};
        CQeDoc::ReadSingleByteScreen(buffer, rows);
    }
}

} // namespace

int ScreenCount(const QByteArray& text, int kind)
{
    QBuffer buffer;
    buffer.setData(text);
    buffer.open(QIODevice::ReadOnly);
    int count = 0;
    while (HasTextLeft(buffer)) {
        SkipScreen(buffer, kind);
        ++count;
    }
    return count;
}

void ReadScreen(CQeDoc& doc, const QByteArray& text, int kind, int screen)
{
    QBuffer buffer;
    buffer.setData(text);
    buffer.open(QIODevice::ReadOnly);
    for (int skipped = 1; skipped < screen; ++skipped)
        SkipScreen(buffer, kind);
    if (kind == PracticeKind::Chinese)
        doc.ReadDoubleByteScreen(buffer);
    else
        doc.ReadSingleByteScreen(buffer);
}

QList<QByteArray> ScreenCellBytes(const QByteArray& text, int kind, int screen)
{
    QBuffer buffer;
    buffer.setData(text);
    buffer.open(QIODevice::ReadOnly);
    for (int skipped = 1; skipped < screen; ++skipped)
        SkipScreen(buffer, kind);
    QList<QByteArray> cells;
    if (kind == PracticeKind::Chinese) {
        CQeDoc::DoubleByteCells read = {};
        QList<QByteArray> lines(CQeDoc::Rows);
        CQeDoc::ReadDoubleByteScreen(buffer, read, lines);
        for (int r = 0; r < CQeDoc::Rows; ++r) {
            for (int c = 0; c < CQeDoc::Cells; ++c) {
                const char* cell = read[r][c];
                cells.append(QByteArray(cell, cell[0] == 0 ? 0 : (cell[1] == 0 ? 1 : 2)));
            }
        }
    } else {
        // As a document's reset leaves them: spaces where no text was read.
        CQeDoc::SingleByteRows read = {};
        for (auto& row : read)
            std::memset(row, ' ', CQeDoc::Columns);
        CQeDoc::ReadSingleByteScreen(buffer, read);
        for (int r = 0; r < CQeDoc::Rows; ++r) {
            for (int c = 0; c < CQeDoc::Columns; ++c)
                cells.append(read[r][c] == 0 ? QByteArray() : QByteArray(1, read[r][c]));
        }
    }
    return cells;
}
