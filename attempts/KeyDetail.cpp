#include "attempts/KeyDetail.h"

#include "attempts/Metrics.h"

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace KeyDetail {

QString KeyOf(QChar c)
{
    static const QString Shifted = u"~!@#$%^&*()_+{}|:\"<>?"_s;
    static const QString Unshifted = u"`1234567890-=[]\\;',./"_s;
    if (c.unicode() < 0x20 || c.unicode() > 0x7e)
        return {};
    if (c.isUpper())
        return QString(c.toLower());
    const qsizetype shifted = Shifted.indexOf(c);
    return QString(shifted >= 0 ? Unshifted[shifted] : c);
}

QString KeysText(const QList<quint32>& keysyms)
{
    QString text;
    for (const quint32 keysym : keysyms) {
        if (keysym == 0x20)
            text += u'␣';
        else if (keysym > 0x20 && keysym <= 0x7e)
            text += QChar(char16_t(keysym));
        else if (keysym == 0xff08)
            text += u'⌫';
        else if (keysym == 0xff0d || keysym == 0xff8d)
            text += u'⏎';
        else if (keysym >= 0xff51 && keysym <= 0xff56)
            text += u"←↑→↓⇞⇟"_s[keysym - 0xff51];
    }
    return text.left(MostKeysText);
}

int Characters(const QString& text)
{
    return int(text.size() -
               std::count_if(text.begin(), text.end(), [](QChar c) { return c.isLowSurrogate(); }));
}

CCommitUnit::Picked PickedBy(const QList<quint32>& keysyms)
{
    const auto digit = [](quint32 k) { return k >= u'1' && k <= u'9'; };
    const auto arrow = [](quint32 k) { return k >= 0xff51 && k <= 0xff56; };
    if (std::any_of(keysyms.begin(), keysyms.end(), digit))
        return CCommitUnit::ByDigit;
    if (std::any_of(keysyms.begin(), keysyms.end(), arrow))
        return CCommitUnit::ByArrow;
    return CCommitUnit::First;
}

} // namespace KeyDetail

void CKeyDetailRecorder::Start(qint64 ms)
{
    *this = CKeyDetailRecorder();
    m_nLastMs = ms;
}

int CKeyDetailRecorder::SinceLast(qint64 ms)
{
    const qint64 since = m_nLastMs < 0 ? -1 : ms - m_nLastMs;
    m_nLastMs = ms;
    return since < 0 || since > KeyDetail::PauseMs ? -1 : int(since);
}

void CKeyDetailRecorder::OnKeyCell(QChar expected, QChar typed, qint64 ms)
{
    const int since = SinceLast(ms);
    const QString expectedKey = KeyDetail::KeyOf(expected);
    const QString typedKey = KeyDetail::KeyOf(typed);
    if (expectedKey.isEmpty() || typedKey.isEmpty()) {
        m_previous = QChar();
        return;
    }
    CKeyTally& wanted = m_keys[expectedKey];
    ++wanted.nExpected;
    CKeyTally& pressed = m_keys[typedKey];
    ++pressed.nPresses;
    if (typed != expected) {
        ++pressed.nWrong;
        m_previous = QChar();
        return;
    }
    if (since >= 0) {
        wanted.timesMs.append(since);
        if (m_previous.isLetter() && expected.isLetter())
            m_keys[KeyDetail::KeyOf(m_previous) + expectedKey].timesMs.append(since);
    }
    m_previous = expected;
}

void CKeyDetailRecorder::DeleteFrom(QList<CCommitUnit>& commits, const QList<int>& cells, int cell)
{
    if (cell < 0)
        return;
    // What stands typed is a run of cells from the start: the commits still
    // standing beyond cell lose their characters from it on.
    for (qsizetype i = commits.size() - 1; i >= 0; --i) {
        CCommitUnit& unit = commits[i];
        const int length = KeyDetail::Characters(unit.strCommitted);
        const int standing = length - unit.nDeleted;
        if (standing == 0)
            continue;
        if (cells[i] < 0 || cells[i] + standing <= cell)
            break;
        unit.nDeleted = length - std::max(cell - cells[i], 0);
    }
}

void CKeyDetailRecorder::OnCommit(const QString& expected, const QString& committed,
                                  const QList<quint32>* keysyms, qint64 ms, int cell)
{
    DeleteFrom(m_commits, m_commitCells, cell);
    if (m_commits.size() >= KeyDetail::MostCommits)
        return;
    CCommitUnit unit;
    unit.strExpected = expected.left(KeyDetail::MostCommitText);
    unit.strCommitted = committed.left(KeyDetail::MostCommitText);
    const int since = SinceLast(ms);
    unit.nElapsedMs = std::max(since, 0);
    if (keysyms) {
        unit.strKeys = KeyDetail::KeysText(*keysyms);
        unit.nKeyCount = int(keysyms->size());
        unit.nPicked = KeyDetail::PickedBy(*keysyms);
    }
    // A digit or a mark typed as itself chose no candidate.
    if (std::all_of(committed.begin(), committed.end(), [](QChar c) { return c.unicode() < 0x80; }))
        unit.nPicked = CCommitUnit::First;
    m_commits.append(unit);
    m_commitCells.append(cell);
}

CKeyDetail CKeyDetailRecorder::Detail(int endCell) const
{
    CKeyDetail detail;
    QList<CKeyFigures> pairs;
    for (const auto& [key, tally] : m_keys) {
        CKeyFigures figures{key, tally.nExpected, tally.nPresses, tally.nWrong, -1};
        if (!tally.timesMs.isEmpty())
            figures.nMedianMs = Metrics::Median(tally.timesMs);
        if (key.size() == 2) {
            // A pair is only timed: its counts are the times it was typed.
            figures.nExpected = figures.nPresses = int(tally.timesMs.size());
            pairs.append(figures);
        } else {
            detail.keys.append(figures);
        }
    }
    detail.keys += pairs;
    if (detail.keys.size() > KeyDetail::MostKeys)
        detail.keys.resize(KeyDetail::MostKeys);
    detail.commits = m_commits;
    DeleteFrom(detail.commits, m_commitCells, endCell);
    return detail;
}
