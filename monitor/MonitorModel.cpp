#include "monitor/MonitorModel.h"

#include "attempts/Metrics.h"
#include "platform/ChineseOrder.h"

#include <QHash>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace MonitorModel {

QList<CLine> Join(const QList<CPupil>& pupils, const QList<LiveProgress::CRow>& rows)
{
    QHash<qint64, const LiveProgress::CRow*> byKey;
    for (const LiveProgress::CRow& row : rows)
        byKey.insert(row.nUserKey, &row);
    QList<CLine> lines;
    for (const CPupil& pupil : pupils) {
        CLine& line = lines.emplace_back();
        line.pupil = pupil;
        if (const LiveProgress::CRow* row = byKey.value(pupil.nKey)) {
            line.bReported = true;
            line.row = *row;
        }
    }
    return lines;
}

QStringList Headings()
{
    return {u"学号"_s,    u"姓名"_s, u"状态"_s,      u"正在做"_s,
            u"进度(%)"_s, u"速度"_s, u"正确率(%)"_s, u"用时"_s};
}

QStringList Cells(const CLine& line, const QDateTime& now)
{
    QStringList cells{line.pupil.strStudentNo, line.pupil.strName,
                      LiveProgress::StateText(line.bReported ? &line.row : nullptr, now)};
    const LiveProgress::CReport& r = line.row.report;
    if (!line.bReported || r.nActivity == LiveProgress::LoggedIn)
        return cells << QString() << QString() << QString() << QString() << QString();
    cells << r.strLabel << QString::number(LiveProgress::ProgressPercent(r))
          << Metrics::SpeedText(Metrics::KindSpeed(r.nKind, r.nCorrectUnits, r.nElapsedMs))
          << QString::number(Metrics::Accuracy(r.nCorrectUnits, r.nTypedUnits))
          << Metrics::ClockText(r.nElapsedMs / 1000);
    return cells;
}

void Sort(QList<CLine>& lines, int column, bool ascending, const QDateTime& now)
{
    QList<std::pair<QString, CLine>> keyed;
    for (const CLine& line : std::as_const(lines))
        keyed.append({Cells(line, now).value(column), line});
    std::stable_sort(keyed.begin(), keyed.end(), [ascending](const auto& a, const auto& b) {
        bool aNumber = false;
        bool bNumber = false;
        const double x = a.first.section(u' ', 0, 0).toDouble(&aNumber);
        const double y = b.first.section(u' ', 0, 0).toDouble(&bNumber);
        int order = 0;
        if (aNumber && bNumber)
            order = x < y ? -1 : x > y;
        else if (a.first.isEmpty() != b.first.isEmpty())
            return b.first.isEmpty(); // empty cells last either way
        else
            order = CompareChinese(a.first, b.first);
        return ascending ? order < 0 : order > 0;
    });
    lines.clear();
    for (const auto& [key, line] : keyed)
        lines.append(line);
}

QList<qint64> RunningExams(const QList<CLine>& lines, const QDateTime& now)
{
    QHash<qint64, int> pupils;
    for (const CLine& line : lines) {
        if (line.bReported && line.row.report.nExamId != 0 &&
            LiveProgress::StateText(&line.row, now) != u"已完成"_s)
            ++pupils[line.row.report.nExamId];
    }
    QList<qint64> exams = pupils.keys();
    std::sort(exams.begin(), exams.end(), [&pupils](qint64 a, qint64 b) {
        return pupils[a] != pupils[b] ? pupils[a] > pupils[b] : a < b;
    });
    return exams;
}

} // namespace MonitorModel
