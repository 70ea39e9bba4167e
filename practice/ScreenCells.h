#pragma once

#include <QStringList>

class CQeDoc;
class CTypingSession;

// A screen as cells in reading order (row by row): each cell its GBK bytes in
// hex, and the same cell as text. A double-byte cell is what the session
// compares (up to its first NUL); a single-byte cell is its one byte. This is
// how an exam's screen is kept and how what was typed is sent, so that the
// database scores it cell for cell.
struct CScreenCells
{
    QStringList hex;
    QStringList texts;
};

// Every cell of screen (from 1) of text, read without a document.
CScreenCells ScreenOfText(const QByteArray& text, int kind, int screen);
// Every cell of the document's practice screen, as the session compares it.
CScreenCells PracticeCells(const CQeDoc& doc, int kind);
// The typed cells before the typing position; a double-byte cell that was
// passed over is "" (it was never counted).
CScreenCells TypedCells(const CQeDoc& doc, const CTypingSession& session, int kind);
// Fills the document's practice buffers (in their reset state) with a
// screen kept as cells, as the loader would have read it.
void LoadScreenCells(CQeDoc& doc, int kind, const QStringList& hex);
