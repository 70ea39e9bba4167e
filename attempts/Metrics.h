#pragma once

#include <QString>
#include <QtGlobal>

// The one definition of the figures of a practice, used by every window and
// export so that no two screens disagree. Nothing here divides by zero: no
// time or nothing typed gives 0.
namespace Metrics {

// Correct units per minute: 字/分 for Chinese, CPM for the other kinds.
double UnitsPerMinute(int correct, qint64 elapsedMs);
// Words per minute for English: correct characters / 5 per minute.
double WordsPerMinute(int correct, qint64 elapsedMs);
// The accuracy as the result dialog computes it: correct / typed × 100,
// truncated; 0 when nothing was typed; negative counts read as 0.
int Accuracy(int correct, int typed);

// The speed of a practice in its kind's own unit: 字/分 (Chinese), WPM
// (English), CPM (digits and symbols), 键/分 (a lesson of the course: its
// keys typed right a minute).
struct Speed
{
    double dValue = 0;
    QString strUnit;
};
Speed KindSpeed(int kind, int correct, qint64 elapsedMs);
QString SpeedUnit(int kind);
// "25.3 字/分": the value with one decimal and its unit.
QString SpeedText(const Speed& speed);

// An attempt's speed counts as a pupil's best only when it lasted long
// enough to mean something: at least BestSpeedMinimumMs, or the whole
// screen (or lesson) typed.
inline constexpr qint64 BestSpeedMinimumMs = 30000;
bool CountsForBest(qint64 elapsedMs, bool bWholeText);

// The short name of a kind ("中文", "英文", "数字", "符号", "课程"); empty
// for others.
QString KindName(int kind);

} // namespace Metrics
