#include "exams/ExamResult.h"

#include "attempts/Metrics.h"
#include "attempts/PracticeKind.h"
#include "documents/ExportCell.h"
#include "practice/QeDoc.h"

using namespace Qt::Literals::StringLiterals;

namespace {

QString StorageText(CSittingStored::Storage storage, bool bLate, const QString& detail)
{
    switch (storage) {
    case CSittingStored::Storage::Stored:
        return bLate ? u"成绩已保存(补交)。"_s : u"成绩已保存。"_s;
    case CSittingStored::Storage::Kept:
        return u"数据库暂时无法连接,成绩已暂存在本机,数据库恢复后会自动保存。"_s;
    case CSittingStored::Storage::Refused:
        return u"成绩没有被保存:%1。老师会看到这个原因。"_s.arg(detail);
    case CSittingStored::Storage::Lost:
        return u"成绩未能保存,也无法暂存在本机(%1)。请把这里的成绩告诉老师。"_s.arg(detail);
    }
    return {};
}

} // namespace

namespace ExamResult {

CSittingShown Shown(const QString& title, int kind, qint64 limitMs,
                    const ExamScoring::CFigures& figures, CSittingStored::Storage storage,
                    const QString& detail)
{
    CSittingShown shown;
    shown.strHeading = u"考试《%1》结束"_s.arg(title);
    const bool bOverLimit = figures.nSpeedMs >= limitMs;
    shown.lines.append(u"速度:%1(%2)"_s.arg(
        Metrics::SpeedText(Metrics::KindSpeed(kind, figures.nCorrect, figures.nSpeedMs)),
        bOverLimit ? u"按限时 %1 计算"_s.arg(DurationText(limitMs))
                   : u"提前打完一屏,按所用时间计算"_s));
    shown.lines.append(u"正确率:%1"_s.arg(Metrics::AccuracyText(figures.nCorrect, figures.nTyped)));
    shown.lines.append(u"用时:%1"_s.arg(DurationText(figures.nUsedMs)));
    shown.lines.append(u"打字:%1 个,其中 %2 个正确"_s.arg(figures.nTyped).arg(figures.nCorrect));
    const int perRow = kind == PracticeKind::Chinese ? CQeDoc::Cells : CQeDoc::Columns;
    QStringList wrong;
    for (const CMistake& mistake : figures.mistakes.mid(0, MistakesShown))
        wrong.append(u"第 %1 行第 %2 个 %3(打成 %4)"_s.arg(mistake.nPosition / perRow + 1)
                         .arg(mistake.nPosition % perRow + 1)
                         .arg(mistake.strExpected, mistake.strTyped));
    if (figures.mistakes.size() > MistakesShown)
        wrong.append(u"……共 %1 处"_s.arg(figures.mistakes.size()));
    shown.lines.append(wrong.isEmpty() ? u"打错的字:没有"_s : u"打错的字:%1"_s.arg(wrong.first()));
    for (const QString& line : wrong.mid(1))
        shown.lines.append(u"          "_s + line);
    shown.lines.append(StorageText(storage, figures.bLate, detail));
    return shown;
}

} // namespace ExamResult
