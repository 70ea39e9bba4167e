#include "attempts/ScoreRow.h"

#include "attempts/PracticeKind.h"

namespace ScoreRow {

FieldList Fields(const QString& name, const QString& studentNo, int kind, const QString& speed,
                 const QString& seconds, qint16 accuracy)
{
    const bool practice = PracticeKind::IsPractice(kind);
    FieldList fields = {
        {0, CDaoFieldValue::FromText(name)},
        {1, CDaoFieldValue::FromText(studentNo)},
        {3, CDaoFieldValue::FromText(practice ? PracticeKind::ScoreLabel(kind) : QString())},
        {8, CDaoFieldValue::FromText(seconds)},
        {9, CDaoFieldValue::FromInt16(accuracy)},
    };
    if (practice)
        fields.push_back(
            {FirstSpeedField + kind - PracticeKind::Chinese, CDaoFieldValue::FromText(speed)});
    return fields;
}

} // namespace ScoreRow
