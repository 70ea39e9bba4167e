#include "practice/QeDoc.h"

#include "platform/Dao.h"
#include "users/Session.h"

#include <QIODevice>

#include <cstring>

namespace {

bool IsLineBreak(char byte)
{
    return byte == '\r' || byte == '\n';
}

// One byte of the file; false at its end (the target is left unchanged).
bool ReadByte(QIODevice& file, char& target)
{
    return file.getChar(&target);
}

QByteArray CellString(const char (&cell)[2])
{
    return QByteArray(cell, cell[0] == 0 ? 0 : (cell[1] == 0 ? 1 : 2));
}

} // namespace

CQeDoc::CQeDoc(const CDatabaseSteps& steps)
{
    ResetPractice();
    // The session owns the connection; the document uses it as its own.
    m_pDB = CSession::Instance().OpenDatabase(steps);
}

CQeDoc::~CQeDoc()
{
    m_pDB = nullptr;
    CSession::Instance().CloseDatabase();
}

void CQeDoc::ResetPractice()
{
    for (int r = 0; r < Rows; ++r) {
        std::memset(m_enText[r], ' ', Columns);
        std::memset(m_enTyped[r], ' ', Columns);
        std::memset(m_cnText[r], 0, sizeof(m_cnText[r][0]) * Cells);
        std::memset(m_cnTyped[r], 0, sizeof(m_cnTyped[r][0]) * Cells);
    }
    m_aTextLine = QList<QByteArray>(Rows);
    m_aTypedLine = QList<QByteArray>(Rows);
}

bool CQeDoc::OnNewDocument()
{
    SetTitle(QStringLiteral("qe"));
    return true;
}

void CQeDoc::ReadDoubleByteScreen(QIODevice& file)
{
    ReadDoubleByteScreen(file, m_cnText, m_aTextLine);
}

void CQeDoc::ReadSingleByteScreen(QIODevice& file)
{
    ReadSingleByteScreen(file, m_enText);
}

void CQeDoc::ReadDoubleByteScreen(QIODevice& file, DoubleByteCells& cells, QList<QByteArray>& lines)
{
    for (int r = 0; r < Rows; ++r) {
        for (int c = 0; c < Cells; ++c) {
            char(&cell)[2] = cells[r][c];
            ReadByte(file, cell[0]);
            while (IsLineBreak(cell[0])) {
                cell[0] = ' ';
                ReadByte(file, cell[0]);
            }
            ReadByte(file, cell[1]);
            lines[r] += CellString(cell);
        }
        cells[r][Cells][0] = 0;
    }
}

void CQeDoc::ReadSingleByteScreen(QIODevice& file, SingleByteRows& rows)
{
    for (int r = 0; r < Rows; ++r) {
        for (int c = 0; c < Columns; ++c) {
            char& byte = rows[r][c];
            ReadByte(file, byte);
            while (IsLineBreak(byte)) {
                byte = ' ';
                ReadByte(file, byte);
            }
        }
        rows[r][Columns] = 0;
    }
}

QByteArray CQeDoc::TextCell(int row, int cell) const
{
    return CellString(m_cnText[row][cell]);
}

int CQeDoc::TextUnits(bool bDoubleByte) const
{
    const int perRow = bDoubleByte ? Cells : Columns;
    for (int unit = Rows * perRow - 1; unit >= 0; --unit) {
        const int row = unit / perRow;
        const int column = unit % perRow;
        const QByteArray cell =
            bDoubleByte ? TextCell(row, column) : QByteArray(1, m_enText[row][column]);
        if (!cell.trimmed().isEmpty() && cell != QByteArray(1, '\0'))
            return unit + 1;
    }
    return 0;
}

QByteArray CQeDoc::TypedCell(int row, int cell) const
{
    return CellString(m_cnTyped[row][cell]);
}
