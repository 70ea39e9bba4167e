#pragma once

#include "attempts/ClassReport.h"

#include <QDate>
#include <QString>

// The ranges of days a teacher picks a report by, in the order of the
// report's range list.
namespace ReportRange {

enum Preset : int { ThisWeek = 0, ThisMonth, ThisTerm, All, Custom };

// The days of preset up to today: the week from Monday, the month from its
// first, the term from 1 September (autumn, to January) or 1 February
// (spring, to August). Custom takes from..to as given (swapped if reversed).
CDayRange Of(int preset, const QDate& today, const QDate& from = {}, const QDate& to = {});
// "2024-09-02 至 2024-09-08", or "全部日期".
QString Text(const CDayRange& range);

} // namespace ReportRange
