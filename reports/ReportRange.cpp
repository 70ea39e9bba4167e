#include "reports/ReportRange.h"

using namespace Qt::Literals::StringLiterals;

namespace ReportRange {

CDayRange Of(int preset, const QDate& today, const QDate& from, const QDate& to)
{
    switch (preset) {
    case ThisWeek:
        return {today.addDays(1 - today.dayOfWeek()), today};
    case ThisMonth:
        return {QDate(today.year(), today.month(), 1), today};
    case ThisTerm:
        if (today.month() >= 9)
            return {QDate(today.year(), 9, 1), today};
        if (today.month() == 1)
            return {QDate(today.year() - 1, 9, 1), today};
        return {QDate(today.year(), 2, 1), today};
    case Custom:
        return from <= to ? CDayRange{from, to} : CDayRange{to, from};
    default:
        return {};
    }
}

QString Text(const CDayRange& range)
{
    if (range.from.isNull() && range.to.isNull())
        return u"全部日期"_s;
    const auto day = [](const QDate& date) { return date.toString(u"yyyy-MM-dd"_s); };
    if (range.to.isNull())
        return u"%1 起"_s.arg(day(range.from));
    if (range.from.isNull())
        return u"至 %1"_s.arg(day(range.to));
    return u"%1 至 %2"_s.arg(day(range.from), day(range.to));
}

} // namespace ReportRange
