#pragma once

#include <QHash>
#include <QString>

// The 86 chart of 五笔 as res/wubi.json keeps it: the 字根 on each letter
// key, run together as a key shows them ("王一五戋龶" on G).
namespace WubiChart {

// By the key's small letter; empty when the program has no chart.
const QHash<QChar, QString>& RootsByKey();

} // namespace WubiChart
