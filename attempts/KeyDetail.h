#pragma once

#include <QList>
#include <QString>

#include <map>

// What the keys behind an attempt tell, kept beside it instead of the keys
// themselves: per key of the layout (the single-byte practices), and per
// input-method commit (Chinese).

// One key of a US keyboard ("a", ";", " "), or two letters typed one after
// the other ("th"), in one attempt.
struct CKeyFigures
{
    QString strKey;
    int nExpected = 0;  // times it was the key to type
    int nPresses = 0;   // times it was pressed
    int nWrong = 0;     // times it was pressed where another key was expected
    int nMedianMs = -1; // median time from the key before, over its right presses; -1 none

    // Times it was the key to type and another was pressed.
    int Missed() const { return nExpected - (nPresses - nWrong); }
    bool operator==(const CKeyFigures&) const = default;
};

// What one input-method commit brought, against the text it was to type.
struct CCommitUnit
{
    enum Picked : int { First = 0, ByDigit = 1, ByArrow = 2 };

    QString strExpected;
    QString strCommitted;
    QString strKeys;     // the keys pressed for it, as shown ("de␣", "wo␣men␣")
    int nKeyCount = -1;  // how many; -1 where the platform does not show them
    int nElapsedMs = 0;  // from the commit (or the key) before
    int nPicked = First; // how the candidate was chosen
    int nDeleted = 0;    // of its characters, how many were deleted afterwards (回改)

    bool operator==(const CCommitUnit&) const = default;
};

struct CKeyDetail
{
    QList<CKeyFigures> keys; // in key order, the single keys before the pairs
    QList<CCommitUnit> commits;

    bool IsEmpty() const { return keys.isEmpty() && commits.isEmpty(); }
};

namespace KeyDetail {

// The limits a stored attempt's detail keeps to (a server refuses more).
constexpr int MostKeys = 800;
constexpr int MostCommits = 1288;
constexpr int MostCommitText = 16;
constexpr int MostKeysText = 64;
// A gap longer than this is a pause, not the time a key took.
constexpr int PauseMs = 5000;

// The key of a US keyboard that types c ("A" and "!" are typed on "a" and
// "1"); empty for what no key types.
QString KeyOf(QChar c);
// The keys of X keysyms as a pupil reads them: letters, digits and marks as
// themselves, Space "␣", Backspace "⌫", Enter "⏎", the arrows and page keys
// as arrows; Shift and the like show nothing.
QString KeysText(const QList<quint32>& keysyms);
// The characters of text as the database counts them (a character beyond
// the Basic Multilingual Plane is one, not two).
int Characters(const QString& text);
// How the keysyms chose a candidate: a digit, else an arrow or page key.
CCommitUnit::Picked PickedBy(const QList<quint32>& keysyms);

} // namespace KeyDetail

// Collects the detail while a practice runs.
class CKeyDetailRecorder
{
public:
    // Starts over, the practice starting at the monotonic time ms.
    void Start(qint64 ms);
    // A character typed where expected stood, at the monotonic time ms.
    void OnKeyCell(QChar expected, QChar typed, qint64 ms);
    // An input method's commit over the text expected, from the typing cell
    // cell on, the keysyms pressed for it (nullptr where the platform does
    // not show them). The characters of earlier commits from that cell on
    // were deleted in between.
    void OnCommit(const QString& expected, const QString& committed, const QList<quint32>* keysyms,
                  qint64 ms, int cell = -1);
    // The detail, the typing cell standing at endCell (the characters of
    // commits from there on were deleted; -1 when nothing was).
    CKeyDetail Detail(int endCell = -1) const;

private:
    struct CKeyTally
    {
        int nExpected = 0;
        int nPresses = 0;
        int nWrong = 0;
        QList<int> timesMs;
    };
    int SinceLast(qint64 ms);
    // Marks the commits' characters from cell on as deleted.
    static void DeleteFrom(QList<CCommitUnit>& commits, const QList<int>& cells, int cell);

    std::map<QString, CKeyTally> m_keys;
    QList<CCommitUnit> m_commits;
    QList<int> m_commitCells; // the typing cell each commit started at
    qint64 m_nLastMs = -1;
    QChar m_previous; // the letter typed right just before, if any
};
