#include "practice/ScreenCells.h"

#include "attempts/PracticeKind.h"
#include "platform/Gbk.h"
#include "practice/PracticeScreen.h"
#include "practice/PracticeState.h"
#include "practice/QeDoc.h"
#include "practice/TypingSession.h"

namespace {

void Add(CScreenCells& cells, const QByteArray& bytes)
{
    cells.hex.append(QString::fromLatin1(bytes.toHex()));
    // A NUL (the end of a short text) is no character of a text.
    QString text = Gbk::Decode(bytes);
    text.remove(QChar(0));
    cells.texts.append(text);
}

} // namespace

CScreenCells ScreenOfText(const QByteArray& text, int kind, int screen)
{
    CScreenCells cells;
    for (const QByteArray& bytes : ScreenCellBytes(text, kind, screen))
        Add(cells, bytes);
    return cells;
}

CScreenCells PracticeCells(const CQeDoc& doc, int kind)
{
    CScreenCells cells;
    const bool doubleByte = kind == PracticeKind::Chinese;
    for (int r = 0; r < CQeDoc::Rows; ++r) {
        for (int c = 0; c < (doubleByte ? CQeDoc::Cells : CQeDoc::Columns); ++c)
            Add(cells, doubleByte ? doc.TextCell(r, c) : QByteArray(1, doc.m_enText[r][c]));
    }
    return cells;
}

CScreenCells TypedCells(const CQeDoc& doc, const CTypingSession& session, int kind)
{
    CScreenCells cells;
    const bool doubleByte = kind == PracticeKind::Chinese;
    const int perRow = doubleByte ? CQeDoc::Cells : CQeDoc::Columns;
    for (int r = 0; r <= CurrentRow && r < CQeDoc::Rows; ++r) {
        int end = r < CurrentRow ? perRow : qMin(CurrentColumn, perRow);
        // A row's NUL end the practice stopped at was passed over with it.
        while (r == CurrentRow && end < perRow && session.IsRowEnd(r, end))
            ++end;
        for (int c = 0; c < end; ++c) {
            if (session.IsRowEnd(r, c)) {
                cells.hex.append(QString());
                cells.texts.append(QString());
            } else if (!doubleByte) {
                Add(cells, QByteArray(1, doc.m_enTyped[r][c]));
            } else if (session.IsSkipped(r, c)) {
                cells.hex.append(QString());
                cells.texts.append(QString());
            } else {
                Add(cells, doc.TypedCell(r, c));
            }
        }
    }
    return cells;
}

void LoadScreenCells(CQeDoc& doc, int kind, const QStringList& hex)
{
    // The cells' bytes are the screen as the loader read it, each cell in
    // its place: an empty one (where a row ends early, or after the end of a
    // short text) is NUL, as the loader leaves it.
    const qsizetype width = kind == PracticeKind::Chinese ? 2 : 1;
    QByteArray bytes;
    for (const QString& cell : hex)
        bytes += QByteArray::fromHex(cell.toLatin1()).leftJustified(width, '\0', true);
    while (bytes.endsWith('\0'))
        bytes.chop(1);
    ReadScreen(doc, bytes, kind, 1);
}
