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

int Accuracy(int correct, int typed)
{
    correct = qMax(correct, 0);
    typed = qMax(typed, 0);
    return typed == 0 ? 0 : int(static_cast<double>(correct) / typed * 100);
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
    return bWholeText || elapsedMs >= BestSpeedMinimumMs;
}

QString SpeedText(const Speed& speed)
{
    return u"%1 %2"_s.arg(QString::number(speed.dValue, 'f', 1), speed.strUnit);
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
