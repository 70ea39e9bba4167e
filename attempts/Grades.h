#pragma once

#include <QHash>
#include <QList>
#include <QString>

#include <array>
#include <optional>
#include <utility>

class CDaoDatabase;
struct CAttemptSummary;

// 等级: a result's grade from its speed and accuracy. A teacher sets, per
// practice kind, what 优秀, 良好 and 及格 each ask, for the whole school or
// for one class; a result that meets none of them is 不及格. Every window
// and export that shows a grade takes it from here.

// In rising order, so that the better of two grades is the greater.
enum class Grade { Fail, Pass, Good, Excellent };

// What one grade asks: at least this speed, in the kind's own unit
// (Metrics::KindSpeed), and this accuracy (Metrics::Accuracy).
struct CGradeBar
{
    int nSpeed = 0;
    int nAccuracy = 0;

    bool operator==(const CGradeBar&) const = default;
};

struct CGradeRule
{
    // 优秀, 良好, 及格, in that order.
    std::array<CGradeBar, 3> bars;

    bool operator==(const CGradeRule&) const = default;
};

namespace Grades {

inline constexpr int MaxSpeed = 2000;

// "优秀", "良好", "及格", "不及格".
QString Name(Grade grade);
// The grades a rule names, best first: 优秀, 良好, 及格.
inline constexpr std::array<Grade, 3> Barred{Grade::Excellent, Grade::Good, Grade::Pass};

// The program's rule for a practice kind when neither the class nor the
// school has one.
CGradeRule Default(int kind);
// The best grade whose speed and accuracy are both met.
Grade Of(const CGradeRule& rule, double speed, int accuracy);
// The best grade of the attempts that count for a best (CountsForBest: long
// enough and not in doubt), each graded by its own speed and accuracy;
// nothing when none counts.
std::optional<Grade> Best(const CGradeRule& rule, const QList<CAttemptSummary>& attempts);
// Why a teacher's rule cannot be kept, in the teacher's words; empty when
// it can: speeds from 1 to MaxSpeed, accuracies from 0 to 100, and no
// grade asking less than the one below it.
QString Problem(const CGradeRule& rule);

} // namespace Grades

// The rules as kept: each class's own and the school's (the empty class
// name), per practice kind.
class CGradeRules
{
public:
    void Set(const QString& className, int kind, const CGradeRule& rule);
    // The class's own rule for the kind, or nothing.
    std::optional<CGradeRule> Own(const QString& className, int kind) const;
    // What a class without its own rule gets: the school's, else the
    // default. For the school itself, the default.
    CGradeRule Fallback(const QString& className, int kind) const;
    // The rule that grades the class's results: its own, else Fallback.
    CGradeRule For(const QString& className, int kind) const;

private:
    QHash<std::pair<QString, int>, CGradeRule> m_rules;
};

// The grade rules' storage; every function throws CDaoException.
namespace GradeStore {

CGradeRules Load(CDaoDatabase& db);
// Keeps a class's (or, for the empty name, the school's) rule for a kind;
// a rule equal to what the class would get without it is not kept, so
// that the class follows the school's rule again.
void Save(CDaoDatabase& db, const QString& className, int kind, const CGradeRule& rule);

} // namespace GradeStore
