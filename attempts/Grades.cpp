#include "attempts/Grades.h"

#include "attempts/PracticeKind.h"
#include "attempts/Progress.h"
#include "platform/CheckedQuery.h"
#include "platform/Dao.h"

#include <QSqlQuery>

using namespace Qt::Literals::StringLiterals;
using namespace CheckedQuery;

namespace Grades {

QString Name(Grade grade)
{
    switch (grade) {
    case Grade::Excellent:
        return u"优秀"_s;
    case Grade::Good:
        return u"良好"_s;
    case Grade::Pass:
        return u"及格"_s;
    case Grade::Fail:
        break;
    }
    return u"不及格"_s;
}

CGradeRule Default(int kind)
{
    // Speeds in the kind's unit: 字/分, WPM, CPM and CPM.
    switch (kind) {
    case PracticeKind::English:
        return {{{{40, 95}, {30, 90}, {20, 85}}}};
    case PracticeKind::Number:
        return {{{{150, 95}, {100, 90}, {60, 85}}}};
    case PracticeKind::Symbol:
        return {{{{100, 95}, {70, 90}, {40, 85}}}};
    default:
        return {{{{50, 95}, {35, 90}, {20, 85}}}};
    }
}

Grade Of(const CGradeRule& rule, double speed, int accuracy)
{
    for (size_t i = 0; i < Barred.size(); ++i)
        if (speed >= rule.bars[i].nSpeed && accuracy >= rule.bars[i].nAccuracy)
            return Barred[i];
    return Grade::Fail;
}

std::optional<Grade> Best(const CGradeRule& rule, const QList<CAttemptSummary>& attempts)
{
    std::optional<Grade> best;
    for (const CAttemptSummary& attempt : attempts)
        if (attempt.CountsForBest())
            best =
                std::max(best.value_or(Grade::Fail), Of(rule, attempt.Speed(), attempt.Accuracy()));
    return best;
}

QString Problem(const CGradeRule& rule)
{
    for (size_t i = 0; i < Barred.size(); ++i) {
        const CGradeBar& bar = rule.bars[i];
        if (bar.nSpeed < 1 || bar.nSpeed > MaxSpeed)
            return u"%1的速度应为 1 到 %2 之间的整数。"_s.arg(Name(Barred[i])).arg(MaxSpeed);
        if (bar.nAccuracy < 0 || bar.nAccuracy > 100)
            return u"%1的正确率应为 0 到 100 之间的整数。"_s.arg(Name(Barred[i]));
        if (i > 0 &&
            (bar.nSpeed > rule.bars[i - 1].nSpeed || bar.nAccuracy > rule.bars[i - 1].nAccuracy))
            return u"%1的要求不能高于%2的要求。"_s.arg(Name(Barred[i]), Name(Barred[i - 1]));
    }
    return {};
}

} // namespace Grades

void CGradeRules::Set(const QString& className, int kind, const CGradeRule& rule)
{
    m_rules.insert({className, kind}, rule);
}

std::optional<CGradeRule> CGradeRules::Own(const QString& className, int kind) const
{
    const auto found = m_rules.constFind({className, kind});
    if (found == m_rules.cend())
        return {};
    return *found;
}

CGradeRule CGradeRules::Fallback(const QString& className, int kind) const
{
    if (!className.isEmpty())
        if (const std::optional<CGradeRule> school = Own({}, kind))
            return *school;
    return Grades::Default(kind);
}

CGradeRule CGradeRules::For(const QString& className, int kind) const
{
    return Own(className, kind).value_or(Fallback(className, kind));
}

namespace GradeStore {

CGradeRules Load(CDaoDatabase& db)
{
    QSqlQuery& query =
        db.Prepared(u"SELECT class_name, kind, excellent_speed, excellent_accuracy, good_speed, "
                    "good_accuracy, pass_speed, pass_accuracy FROM grade_rule"_s);
    Exec(query);
    CGradeRules rules;
    while (query.next()) {
        CGradeRule rule;
        for (int i = 0; i < 3; ++i)
            rule.bars[i] = {query.value(2 + 2 * i).toInt(), query.value(3 + 2 * i).toInt()};
        rules.Set(query.value(0).toString(), query.value(1).toInt(), rule);
    }
    CheckRead(query);
    query.finish();
    return rules;
}

void Save(CDaoDatabase& db, const QString& className, int kind, const CGradeRule& rule)
{
    // The school's row has the empty name, never NULL.
    const QString name = className.isEmpty() ? u""_s : className;
    if (rule == Load(db).Fallback(name, kind)) {
        Run(db, u"DELETE FROM grade_rule WHERE class_name = ? AND kind = ?"_s, {name, kind});
        return;
    }
    QVariantList values{name, kind};
    for (const CGradeBar& bar : rule.bars)
        values << bar.nSpeed << bar.nAccuracy;
    Run(db,
        u"INSERT INTO grade_rule (class_name, kind, excellent_speed, excellent_accuracy, "
        "good_speed, good_accuracy, pass_speed, pass_accuracy) VALUES (?, ?, ?, ?, ?, ?, ?, ?) "
        "ON CONFLICT (class_name, kind) DO UPDATE SET excellent_speed = excluded.excellent_speed, "
        "excellent_accuracy = excluded.excellent_accuracy, good_speed = excluded.good_speed, "
        "good_accuracy = excluded.good_accuracy, pass_speed = excluded.pass_speed, "
        "pass_accuracy = excluded.pass_accuracy"_s,
        values);
}

} // namespace GradeStore
