#include "course/CodeSession.h"

#include <algorithm>

CCodeSession::CCodeSession(const CLesson& lesson) : m_lesson(lesson)
{
    for (const QList<CCodeItem>& line : m_lesson.items)
        m_queue.append(line);
    m_comesBack.fill(false, m_queue.size());
}

const CCodeItem* CCodeSession::Current() const
{
    return IsFinished() ? nullptr : &m_queue[m_nNext];
}

QList<CCodeItem> CCodeSession::Upcoming(int count) const
{
    return m_queue.mid(m_nNext, count);
}

void CCodeSession::Start(qint64 nowMs)
{
    if (m_nStartMs < 0)
        m_nStartMs = nowMs;
    else if (nowMs - m_nLastMs >= HintAfterMs)
        m_bPausedHere = true; // the code was shown: the pupil needed it
    m_nLastMs = nowMs;
}

bool CCodeSession::ShowsCode(qint64 nowMs) const
{
    if (IsFinished())
        return false;
    const qint64 since = m_nLastMs < 0 ? 0 : nowMs - m_nLastMs;
    return m_bWrongHere || since >= HintAfterMs;
}

CCodeSession::Outcome CCodeSession::Type(QChar ch, qint64 nowMs)
{
    if (IsFinished())
        return Outcome::Ignored;
    const QChar letter = ch.toLower();
    const bool space = ch == u' ';
    if (!space && (letter < u'a' || letter > u'z'))
        return Outcome::Ignored;
    if (space && m_strTyped.isEmpty())
        return Outcome::Ignored;
    Start(nowMs);
    ++m_nKeystrokes;
    const QStringList& codes = m_queue[m_nNext].codes;
    if (space) {
        if (!codes.contains(m_strTyped))
            return Refuse(m_strTyped + u'␣', false);
        return Accept(int(m_strTyped.size()));
    }
    const QString typed = m_strTyped + letter;
    const auto begins = [&typed](const QString& code) { return code.startsWith(typed); };
    if (std::none_of(codes.begin(), codes.end(), begins))
        return Refuse(typed, true);
    m_bInSlip = false;
    m_strTyped = typed;
    const bool longer = std::any_of(codes.begin(), codes.end(), [&typed](const QString& code) {
        return code.size() > typed.size() && code.startsWith(typed);
    });
    return codes.contains(typed) && !longer ? Accept(int(typed.size())) : Outcome::Pending;
}

CCodeSession::Outcome CCodeSession::Backspace(qint64 nowMs)
{
    if (IsFinished() || m_strTyped.isEmpty())
        return Outcome::Ignored;
    Start(nowMs);
    ++m_nKeystrokes;
    ++m_nBackspaces;
    m_bInSlip = false;
    m_strTyped.chop(1);
    return Outcome::Pending;
}

CCodeSession::Outcome CCodeSession::Refuse(const QString& typed, bool bKeepTyped)
{
    // Wrong keys in a row are one slip: one error, one miss.
    if (!m_bInSlip) {
        ++m_nErrors;
        ++m_misses[{m_queue[m_nNext].strText, typed}];
    }
    m_bInSlip = bKeepTyped;
    if (!bKeepTyped)
        m_strTyped.clear();
    m_bWrongHere = true;
    return Outcome::Wrong;
}

CCodeSession::Outcome CCodeSession::Commit(const QString& text, int keys, qint64 nowMs)
{
    if (IsFinished() || text.isEmpty())
        return Outcome::Ignored;
    Start(nowMs);
    m_nKeystrokes += keys >= 0 ? keys : int(text.size());
    m_strTyped.clear();
    QString rest = text;
    Outcome outcome = Outcome::Ignored;
    bool first = true;
    while (!rest.isEmpty() && !IsFinished()) {
        const CCodeItem& item = m_queue[m_nNext];
        const QString wanted = item.strText.mid(m_strCommitted.size());
        if (wanted.startsWith(rest) && wanted.size() > rest.size()) {
            // A word's first characters, committed one by one.
            m_strCommitted += rest;
            m_nCommittedKeys = keys >= 0 && m_nCommittedKeys >= 0 ? m_nCommittedKeys + keys : -1;
            return Outcome::Pending;
        }
        if (!rest.startsWith(wanted)) {
            m_strCommitted.clear();
            m_nCommittedKeys = 0;
            m_bInSlip = false; // each wrong commit counts
            return Refuse(rest.left(MostMissChars), false);
        }
        rest.remove(0, wanted.size());
        // The keys tell the code only of commits of this item alone; one
        // key (Space) commits it.
        const int itemKeys = keys >= 0 && m_nCommittedKeys >= 0 ? m_nCommittedKeys + keys : -1;
        const bool alone = first && rest.isEmpty() && itemKeys > 0;
        m_strCommitted.clear();
        m_nCommittedKeys = 0;
        outcome = Accept(alone ? itemKeys - 1 : -1);
        first = false;
    }
    return outcome;
}

CCodeSession::Outcome CCodeSession::Accept(int codeKeys)
{
    const CCodeItem item = m_queue[m_nNext];
    if (codeKeys > item.ShortestCode().size() && !m_longer.contains(item))
        m_longer.append(item);
    const bool slow = m_bPausedHere;
    const bool weak = m_bWrongHere || slow;
    if (weak) {
        if (!m_weak.contains(item.strText))
            m_weakOrder.append(item.strText);
        m_weak.insert(item.strText);
        // The worse it went, the sooner it comes back.
        int& returns = m_returns[item.strText];
        if (returns < MostReturns) {
            ++returns;
            const int after = ComesBackAfter - (m_bWrongHere && slow ? 2 : 0);
            const int at = qMin(m_nNext + 1 + after, int(m_queue.size()));
            m_queue.insert(at, item);
            m_comesBack.insert(at, true);
        }
    } else {
        m_weak.remove(item.strText);
    }
    ++m_nItemsTyped;
    if (!m_comesBack[m_nNext])
        m_nCharactersTyped += int(item.strText.size());
    ++m_nNext;
    m_strTyped.clear();
    m_bWrongHere = m_bPausedHere = m_bInSlip = false;
    return IsFinished() ? Outcome::Finished : Outcome::Right;
}

qint64 CCodeSession::ElapsedMs(qint64 nowMs) const
{
    if (m_nStartMs < 0)
        return 0;
    return (IsFinished() ? m_nLastMs : nowMs) - m_nStartMs;
}

QList<CLessonMiss> CCodeSession::Misses() const
{
    return MissesByCount(m_misses);
}

QStringList CCodeSession::StillWeak() const
{
    QStringList weak;
    for (const QString& text : m_weakOrder) {
        if (m_weak.contains(text))
            weak.append(text);
    }
    return weak;
}
