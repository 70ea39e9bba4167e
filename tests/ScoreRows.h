#pragma once

#include "platform/Dao.h"
#include "users/Database.h"

#include <QString>
#include <QTest>

// Stores a score row the way a finished practice does: name, number, label,
// time and accuracy, and the speed in the field of its kind (4 to 7).
inline void StoreScore(CDaoDatabase* db, const QString& name, const QString& number, int kind,
                       const QString& speed, const QString& seconds, qint16 accuracy)
{
    static const QString labels[] = {QStringLiteral("中文测试"), QStringLiteral("英文测试"),
                                     QStringLiteral("数字测试"), QStringLiteral("符号测试")};
    const int index = kind - 111;
    const FieldList fields = {
        {0, CDaoFieldValue::FromText(name)},          {1, CDaoFieldValue::FromText(number)},
        {3, CDaoFieldValue::FromText(labels[index])}, {4 + index, CDaoFieldValue::FromText(speed)},
        {8, CDaoFieldValue::FromText(seconds)},       {9, CDaoFieldValue::FromInt16(accuracy)},
    };
    QVERIFY(AppendRow(db, QStringLiteral("score"), fields));
}
