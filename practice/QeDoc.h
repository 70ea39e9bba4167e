#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>

class CDaoDatabase;
struct CDatabaseSteps;
class QIODevice;

// The document: the practice buffers (the practice text and what was typed
// under it) and the database connection, owned for the whole run.
class CQeDoc : public QObject
{
    Q_OBJECT
public:
    static constexpr int Rows = 14;
    static constexpr int Cells = 46;   // double-byte cells of a row
    static constexpr int Columns = 92; // single-byte positions of a row

    // Opens the program's database, upgraded with steps when it is older.
    explicit CQeDoc(const CDatabaseSteps& steps);
    ~CQeDoc() override;

    void ResetPractice();
    bool OnNewDocument();
    void Serialize() {} // the document is never stored in a file

    QString GetTitle() const { return m_strTitle; }
    void SetTitle(const QString& title) { m_strTitle = title; }

    // Reads one screenful from file, one byte a call, by the rule of the
    // layout: line breaks are skipped; the end of the file leaves the rest
    // of the buffers as the reset left them.
    void ReadDoubleByteScreen(QIODevice& file);
    void ReadSingleByteScreen(QIODevice& file);
    // The same rules on buffers of the documents' shape, so that a text can
    // be read screen by screen without a document.
    using DoubleByteCells = char[Rows][Cells + 1][2];
    using SingleByteRows = char[Rows][Columns + 1];
    static void ReadDoubleByteScreen(QIODevice& file, DoubleByteCells& cells,
                                     QList<QByteArray>& lines);
    static void ReadSingleByteScreen(QIODevice& file, SingleByteRows& rows);

    // The typed and practice cell of the double-byte layout as strings (up
    // to the first NUL, at most two bytes).
    QByteArray TextCell(int row, int cell) const;
    QByteArray TypedCell(int row, int cell) const;
    // How many cells of the screen, in reading order, lead up to and
    // include its last visible character: the part a pupil has to type of a
    // text shorter than the screen. 0 for an empty screen.
    int TextUnits(bool bDoubleByte) const;

    QList<QByteArray> m_aTextLine;
    QList<QByteArray> m_aTypedLine;
    char m_cnText[Rows][Cells + 1][2] = {};
    char m_cnTyped[Rows][Cells + 1][2] = {};
    char m_enText[Rows][Columns + 1] = {};
    char m_enTyped[Rows][Columns + 1] = {};
    CDaoDatabase* m_pDB = nullptr;

private:
    QString m_strTitle;
};
