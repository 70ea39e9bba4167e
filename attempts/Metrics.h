#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>

#include <algorithm>

// A level of stars above a lesson's targets: the accuracy it asks (never
// below the target's) and the share of the target's speed.
struct CStarLevel
{
    int nAccuracy = 0;
    double dSpeedFactor = 1;
};

// The one definition of the figures of a practice, used by every window and
// export so that no two screens disagree. Nothing here divides by zero: no
// time or nothing typed gives 0.
namespace Metrics {

// Correct units per minute: 字/分 for Chinese, CPM for the other kinds.
double UnitsPerMinute(int correct, qint64 elapsedMs);
// Words per minute for English: correct characters / 5 per minute.
double WordsPerMinute(int correct, qint64 elapsedMs);
// The accuracy of every window, list, export and server function:
// correct × 100 / typed in integers (57 of 100 is 57); 0 when nothing was
// typed; negative counts read as 0.
int Accuracy(qint64 correct, qint64 typed);
// "57%", or "—" while nothing is typed.
QString AccuracyText(qint64 correct, qint64 typed);

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
// "1:05": minutes and seconds, as every clock and time limit shows them;
// below 0 reads as 0.
QString ClockText(qint64 seconds);

// The middle of values (of an even count, the upper of the two middle
// ones), as every median of times takes it; T() for none.
template <typename T> T Median(QList<T> values)
{
    if (values.isEmpty())
        return T();
    const auto middle = values.begin() + values.size() / 2;
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

// The described result's speed: correct units a second, whole; 0 before
// the first whole second.
inline int ScoreSpeed(int correct, int seconds)
{
    return seconds <= 0 ? 0 : qMax(correct, 0) / seconds;
}

// An attempt's speed counts as a pupil's best only when it lasted long
// enough to mean something: at least BestSpeedMinimumMs, or the whole
// screen (or lesson) typed in no less than WholeTextMinimumMs (a screen of
// a moment means nothing, a forged one least of all).
inline constexpr qint64 BestSpeedMinimumMs = 30000;
inline constexpr qint64 WholeTextMinimumMs = 5000;
bool CountsForBest(qint64 elapsedMs, bool bWholeText);

// A server's result in doubt (可疑): faster than its class plausibly types,
// or an exam the server doubts. It counts for no best, report or
// assignment until a teacher confirms it; the attempt's checked value is
// then InDoubtChecked. The mark beside it, and what the pupil reads.
inline constexpr int InDoubtChecked = 2;
inline const QString InDoubt = QStringLiteral("可疑");
inline const QString InDoubtUntilConfirmed = QStringLiteral("可疑,老师确认后才计入成绩");
// What a result too short to count says beside its figures.
inline const QString TooShortToCount = QStringLiteral("不足30秒,不计入");

// Whether an attempt reaches a target of speed and accuracy: a lesson's
// passing and stars, an assignment's try and a lesson started from one.
bool MeetsTarget(double speed, int accuracy, double minSpeed, int minAccuracy);
// A lesson's stars: 0 below its targets, 1 at them, 2 and 3 at the higher
// levels.
int LessonStars(int accuracy, double perMinute, int targetAccuracy, double targetSpeed,
                const CStarLevel& two, const CStarLevel& three);

// The figures of the physical key presses. presses < 0 means the platform
// did not show them: the texts then read NotAvailable, never a number.
inline const QString NotAvailable = QStringLiteral("不可用");
// 击键: key presses per second of the practice's time.
double KeysPerSecond(qint64 presses, qint64 elapsedMs);
// 码长: key presses per correct unit (a character, or a key of a lesson).
double KeysPerUnit(qint64 presses, qint64 correct);
// "2.45" (击键) and "3.00" (码长), or NotAvailable.
QString KeysPerSecondText(qint64 presses, qint64 elapsedMs);
QString KeysPerUnitText(qint64 presses, qint64 correct);
// The keystroke accuracy of the English-side practices: of every character
// typed (those that stand at the end and those deleted with Backspace on
// the way, 回改), the share that is right, in percent, truncated.
int KeystrokeAccuracy(int correct, int typed, int deleted);
// The figures of a practice's corrections and input-method commits.
// 回改率: the characters deleted after they were typed (回改) over those
// typed and those deleted, in percent; 0 when there were none.
double RevisedRate(int revised, int typed);
// 键准: of the key presses, the share not wasted, in percent, truncated: a
// Backspace is wasted, and so is every key spent on a character deleted
// afterwards (wasted). -1 where the presses are not known or none was made.
int KeyAccuracy(qint64 presses, qint64 backspaces, qint64 wasted);
// 选重 a hundred characters: the commits whose candidate was not the first
// over the characters typed.
double PicksPerHundred(int picks, int typed);
// 打词率: the characters entered in commits of two or more characters over
// the characters typed, in percent, truncated.
int WordRate(int wordChars, int typed);
// Whether kind's keystroke accuracy means something: one key, one character
// (a lesson's own accuracy already counts every key).
bool HasKeystrokeAccuracy(int kind);

// The short name of a kind ("中文", "英文", "数字", "符号", "课程"); empty
// for others.
QString KindName(int kind);

} // namespace Metrics
