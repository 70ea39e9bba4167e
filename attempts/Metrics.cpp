#include "attempts/Metrics.h"

#include "attempts/PracticeKind.h"

using namespace Qt::Literals::StringLiterals;

namespace Metrics {

double UnitsPerMinute(int correct, qint64 elapsedMs)
{
    if (correct <= 0 || elapsedMs <= 0)
        return 0;
    return correct * 60000.0 / double(elapsedMs);
}

double WordsPerMinute(int correct, qint64 elapsedMs)
{
    return UnitsPerMinute(correct, elapsedMs) / 5;
}

int Accuracy(qint64 correct, qint64 typed)
{
    correct = qMax<qint64>(correct, 0);
    typed = qMax<qint64>(typed, 0);
    return typed == 0 ? 0 : int(correct * 100 / typed);
}

QString AccuracyText(qint64 correct, qint64 typed)
{
    return typed <= 0 ? u"—"_s : u"%1%"_s.arg(Accuracy(correct, typed));
}

QString SpeedUnit(int kind)
{
    switch (kind) {
    case PracticeKind::Chinese:
        return u"字/分"_s;
    case PracticeKind::English:
        return u"WPM"_s;
    case PracticeKind::Lesson:
        return u"键/分"_s;
    default:
        return u"CPM"_s;
    }
}

Speed KindSpeed(int kind, int correct, qint64 elapsedMs)
{
    const double value = kind == PracticeKind::English ? WordsPerMinute(correct, elapsedMs)
                                                       : UnitsPerMinute(correct, elapsedMs);
    return {value, SpeedUnit(kind)};
}

bool CountsForBest(qint64 elapsedMs, bool bWholeText)
{
    return (bWholeText && elapsedMs >= WholeTextMinimumMs) || elapsedMs >= BestSpeedMinimumMs;
}

bool MeetsTarget(double speed, int accuracy, double minSpeed, int minAccuracy)
{
    return speed >= minSpeed && accuracy >= minAccuracy;
}

int LessonStars(int accuracy, double perMinute, int targetAccuracy, double targetSpeed,
                const CStarLevel& two, const CStarLevel& three)
{
    const auto reaches = [&](double factor, int levelAccuracy) {
        return MeetsTarget(perMinute, accuracy, targetSpeed * factor,
                           qMax(levelAccuracy, targetAccuracy));
    };
    if (!MeetsTarget(perMinute, accuracy, targetSpeed, targetAccuracy))
        return 0;
    if (reaches(three.dSpeedFactor, three.nAccuracy))
        return 3;
    return reaches(two.dSpeedFactor, two.nAccuracy) ? 2 : 1;
}

QString SpeedText(const Speed& speed)
{
    return u"%1 %2"_s.arg(QString::number(speed.dValue, 'f', 1), speed.strUnit);
}

QString ClockText(qint64 seconds)
{
    seconds = qMax<qint64>(seconds, 0);
    return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QChar(u'0'));
}

double KeysPerSecond(qint64 presses, qint64 elapsedMs)
{
    if (presses <= 0 || elapsedMs <= 0)
        return 0;
    return double(presses) * 1000.0 / double(elapsedMs);
}

double KeysPerUnit(qint64 presses, qint64 correct)
{
    if (presses <= 0 || correct <= 0)
        return 0;
    return double(presses) / double(correct);
}

QString KeysPerSecondText(qint64 presses, qint64 elapsedMs)
{
    return presses < 0 ? NotAvailable : QString::number(KeysPerSecond(presses, elapsedMs), 'f', 2);
}

QString KeysPerUnitText(qint64 presses, qint64 correct)
{
    return presses < 0 ? NotAvailable : QString::number(KeysPerUnit(presses, correct), 'f', 2);
}

int KeystrokeAccuracy(int correct, int typed, int deleted)
{
    return Accuracy(correct, qMax(typed, 0) + qMax(deleted, 0));
}

double RevisedRate(int revised, int typed)
{
    const int all = qMax(revised, 0) + qMax(typed, 0);
    return all == 0 ? 0 : 100.0 * qMax(revised, 0) / all;
}

int KeyAccuracy(qint64 presses, qint64 backspaces, qint64 wasted)
{
    if (presses <= 0)
        return -1;
    const qint64 kept = presses - qMax<qint64>(backspaces, 0) - qMax<qint64>(wasted, 0);
    return int(qMax<qint64>(kept, 0) * 100 / presses);
}

double PicksPerHundred(int picks, int typed)
{
    return typed <= 0 ? 0 : 100.0 * qMax(picks, 0) / typed;
}

int WordRate(int wordChars, int typed)
{
    return typed <= 0 ? 0 : int(qint64(qBound(0, wordChars, typed)) * 100 / typed);
}

bool HasKeystrokeAccuracy(int kind)
{
    return kind == PracticeKind::English || kind == PracticeKind::Number ||
           kind == PracticeKind::Symbol;
}

QString KindName(int kind)
{
    switch (kind) {
    case PracticeKind::Chinese:
        return u"中文"_s;
    case PracticeKind::English:
        return u"英文"_s;
    case PracticeKind::Number:
        return u"数字"_s;
    case PracticeKind::Symbol:
        return u"符号"_s;
    case PracticeKind::Lesson:
        return u"课程"_s;
    default:
        return {};
    }
}

} // namespace Metrics
