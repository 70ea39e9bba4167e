#include "course/LessonResult.h"

#include "attempts/Metrics.h"

using namespace Qt::Literals::StringLiterals;

namespace {

// How many of the keys missed most the result names.
constexpr int MissesShown = 5;
// How many of the items still weak, or typed with a long code, it names.
constexpr int WeakShown = 12;

QString Shown(const QString& key)
{
    return key == u" "_s ? u"空格"_s : key;
}

} // namespace

namespace LessonResult {

QString Stars(const CLessonRecord& record)
{
    const int stars = record.attempt.nStars;
    if (stars == 0)
        return u"还没有过关"_s;
    return QString(stars, QChar(u'★')) + QString(3 - stars, QChar(u'☆'));
}

QStringList Summary(const CCourse& course, const CLessonRecord& record, bool bKept)
{
    const CLessonAttempt& attempt = record.attempt;
    const CLesson* lesson = course.Lesson(attempt.nLesson);
    QStringList lines;
    lines.append(
        u"第 %1 课 %2 完成了!"_s.arg(attempt.nLesson).arg(lesson ? lesson->strTitle : QString()));
    // A lesson of an assignment is measured against the assignment's own
    // targets, the others against the lesson's.
    const std::optional<CLessonGoal>& goal = record.goal;
    // A course typed by codes counts characters (字) where the others
    // count keys.
    const QString unit = course.UnitOf(attempt.nLesson);
    const bool byKeys = unit == u"键"_s;
    const QString speedWanted =
        goal ? u"作业要求 %1 %2/分"_s.arg(goal->dKeysPerMinute, 0, 'g', 6).arg(unit)
             : u"要求 %1 %2/分"_s.arg(record.targets.nSpeed).arg(unit);
    const QString accuracyWanted =
        goal ? u"作业要求 %1%"_s.arg(goal->nAccuracy) : u"要求 %1%"_s.arg(record.targets.nAccuracy);
    const QString speed = QString::number(attempt.KeysPerMinute(), 'f', 1);
    lines.append(byKeys ? u"速度:%1 键/分(%2 WPM),%3"_s.arg(
                              speed, QString::number(attempt.WordsPerMinute(), 'f', 1), speedWanted)
                        : u"速度:%1 %2/分,%3"_s.arg(speed, unit, speedWanted));
    lines.append(byKeys ? u"正确率:%1%(共打 %2 键,错 %3 键),%4"_s.arg(attempt.Accuracy())
                              .arg(attempt.nKeystrokes)
                              .arg(attempt.nErrors)
                              .arg(accuracyWanted)
                        : u"正确率:%1%(%2 个%3,打错编码 %4 次),%5"_s.arg(attempt.Accuracy())
                              .arg(attempt.nCorrectKeys)
                              .arg(unit)
                              .arg(attempt.nErrors)
                              .arg(accuracyWanted));
    if (goal)
        lines.append(goal->IsMet(attempt)
                         ? u"作业“%1”:这一课达到了作业的要求。"_s.arg(goal->strTitle)
                         : u"作业“%1”:这一课还没有达到作业的要求。"_s.arg(goal->strTitle));
    const QString keysPerSecond =
        Metrics::KeysPerSecondText(attempt.nKeyPresses, attempt.nElapsedMs);
    lines.append(u"击键:%1   码长:%2   回改:%3"_s.arg(
        attempt.nKeyPresses < 0 ? keysPerSecond : keysPerSecond + u" 次/秒"_s,
        Metrics::KeysPerUnitText(attempt.nKeyPresses, attempt.nCorrectKeys),
        QString::number(attempt.nBackspaces)));
    QStringList misses;
    for (const CLessonMiss& miss : attempt.misses.mid(0, MissesShown))
        misses.append(u"%1(打成 %2)×%3"_s.arg(Shown(miss.strExpected), Shown(miss.strTyped))
                          .arg(miss.nTimes));
    if (byKeys)
        lines.append(misses.isEmpty() ? u"一个键也没有打错!"_s
                                      : u"打错最多的键:%1"_s.arg(misses.join(u"  "_s)));
    else if (!misses.isEmpty())
        lines.append(u"打错最多的编码:%1"_s.arg(misses.join(u"  "_s)));
    if (!record.weakItems.isEmpty())
        lines.append(u"还要多练:%1"_s.arg(record.weakItems.mid(0, WeakShown).join(u' ')));
    if (!record.longerCodes.isEmpty())
        lines.append(u"可以打得更短:%1"_s.arg(record.longerCodes.mid(0, WeakShown).join(u' ')));
    if (record.dCharacterByCharacter > 0)
        lines.append(u"一个字一个字打,码长约 %1"_s.arg(record.dCharacterByCharacter, 0, 'f', 2));
    if (record.bLastLesson)
        lines.append(attempt.bPassed ? u"这是最后一课,整个课程都学完了!"_s : u"这是最后一课。"_s);
    else if (!bKept)
        lines.append(u"没有登录个人账号,成绩不保存;下一课可以直接试。"_s);
    else if (record.bNextOpen)
        lines.append(u"第 %1 课已经开放。"_s.arg(attempt.nLesson + 1));
    else
        lines.append(u"还没有达到要求,第 %1 课没有开放。再练一次吧!"_s.arg(attempt.nLesson + 1));
    return lines;
}

} // namespace LessonResult
