#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <atomic>

// How far a reading has got, and whether it is to stop: shared between the
// thread that reads and the window that shows it.
class CReadProgress
{
public:
    void SetPermille(int permille) { m_nPermille.store(permille, std::memory_order_relaxed); }
    int Permille() const { return m_nPermille.load(std::memory_order_relaxed); }
    void Cancel() { m_bCancel.store(true, std::memory_order_relaxed); }
    bool IsCancelled() const { return m_bCancel.load(std::memory_order_relaxed); }

private:
    std::atomic<int> m_nPermille{0};
    std::atomic<bool> m_bCancel{false};
};

// One row of a table read from a spreadsheet or a CSV file: only the cells
// that hold something, by column.
struct CCellRow
{
    int nLine = 0;          // the row's number in the sheet, or its first line in the file
    int nLastLine = 0;      // the line it ends on: later when a quoted field spans lines
    bool bUnclosed = false; // a quote that the file never closes
    QList<int> columns;     // ascending, from 0
    QStringList texts;

    QString Cell(int column) const
    {
        const qsizetype i = columns.indexOf(column);
        return i < 0 ? QString() : texts[i];
    }
    bool IsBlank() const
    {
        for (const QString& text : texts) {
            if (!text.trimmed().isEmpty())
                return false;
        }
        return true;
    }
};

// What a reading keeps at most, checked as it reads, so that a hostile file
// is refused before it costs time or memory.
struct CReadLimits
{
    int nMaxRows = 100000;           // rows of the sheet, records of the file
    int nMaxCells = 500000;          // cells that hold something
    int nMaxFieldChars = 2000;       // characters of one cell
    qint64 nMaxPartBytes = 32 << 20; // bytes of one part of an .xlsx once inflated
};

struct CCellTable
{
    QList<CCellRow> rows;
    QString strError; // why the file could not be read; empty when it was
    bool bCancelled = false;
};
