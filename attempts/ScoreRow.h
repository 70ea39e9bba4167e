#pragma once

#include "users/Database.h"

#include <QString>

// The described score row of a practice or an exam sitting, built in one
// place: the name and student number, the kind's label, its speed in the
// kind's own field (Metrics::ScoreSpeed, as text), the whole seconds and
// the accuracy as the number before the percent sign.
namespace ScoreRow {

// The field of the Chinese speed; the other kinds' follow in their order.
constexpr int FirstSpeedField = 4;

FieldList Fields(const QString& name, const QString& studentNo, int kind, const QString& speed,
                 const QString& seconds, qint16 accuracy);

} // namespace ScoreRow
