#include "course/LessonSession.h"

#include <algorithm>

CLessonSession::CLessonSession(const CLesson& lesson) : m_lesson(lesson)
{
    m_bFinished = m_lesson.lines.isEmpty();
}

QChar CLessonSession::Expected() const
{
    if (m_bFinished)
        return {};
    return m_lesson.lines[m_nLine][m_nColumn];
}

void CLessonSession::Start(qint64 nowMs)
{
    if (m_nStartMs < 0)
        m_nStartMs = nowMs;
    m_nLastMs = nowMs;
}

CLessonSession::Outcome CLessonSession::Type(QChar ch, qint64 nowMs)
{
    if (m_bFinished)
        return Outcome::Ignored;
    if (AwaitsBackspace())
        return Outcome::MustCorrect;
    Start(nowMs);
    const QChar expected = Expected();
    if (ch != expected) {
        ++m_nErrors;
        ++m_misses[{QString(expected), QString(ch)}];
        m_errorCells.insert({m_nLine, m_nColumn});
        m_chWrong = ch;
        return Outcome::Wrong;
    }
    ++m_nCorrect;
    m_chWrong = QChar();
    if (++m_nColumn >= m_lesson.lines[m_nLine].size()) {
        m_nColumn = 0;
        if (++m_nLine >= m_lesson.lines.size()) {
            m_bFinished = true;
            return Outcome::Finished;
        }
    }
    return Outcome::Right;
}

CLessonSession::Outcome CLessonSession::Backspace(qint64 nowMs)
{
    if (m_bFinished || m_chWrong.isNull())
        return Outcome::Ignored;
    Start(nowMs);
    ++m_nBackspaces;
    m_chWrong = QChar();
    return Outcome::Corrected;
}

qint64 CLessonSession::ElapsedMs(qint64 nowMs) const
{
    if (m_nStartMs < 0)
        return 0;
    return (m_bFinished ? m_nLastMs : nowMs) - m_nStartMs;
}

QList<CLessonMiss> MissesByCount(const QMap<QPair<QString, QString>, int>& counts)
{
    QList<CLessonMiss> misses;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        misses.append({it.key().first, it.key().second, it.value()});
    std::stable_sort(misses.begin(), misses.end(), [](const CLessonMiss& a, const CLessonMiss& b) {
        return a.nTimes > b.nTimes;
    });
    return misses;
}

QList<CLessonMiss> CLessonSession::Misses() const
{
    return MissesByCount(m_misses);
}
