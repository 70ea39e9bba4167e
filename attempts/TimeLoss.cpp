#include "attempts/TimeLoss.h"

#include "attempts/Metrics.h"

#include <QStringList>

using namespace Qt::Literals::StringLiterals;

namespace TimeLoss {

CTimeLoss Of(const QList<CCommitUnit>& commits, int backspaces)
{
    CTimeLoss loss;
    QList<double> perChar;
    QList<double> perKey;
    for (const CCommitUnit& unit : commits) {
        const int length = KeyDetail::Characters(unit.strCommitted);
        if (length > 0)
            perChar.append(double(unit.nElapsedMs) / length);
        if (unit.nKeyCount > 0)
            perKey.append(double(unit.nElapsedMs) / unit.nKeyCount);
    }
    const double pace = Metrics::Median(perChar);
    for (const CCommitUnit& unit : commits) {
        const int length = KeyDetail::Characters(unit.strCommitted);
        if (length == 0)
            continue;
        const qint64 ms = unit.nElapsedMs;
        loss.nRevisedMs += ms * unit.nDeleted / length;
        if (pace > 0 && double(ms) / length > PauseFactor * pace)
            loss.nPauseMs += ms - qint64(pace * length);
        int wrong = 0;
        for (int i = 0; i < length - unit.nDeleted && i < unit.strCommitted.size(); ++i)
            wrong +=
                i >= unit.strExpected.size() || unit.strCommitted[i] != unit.strExpected[i] ? 1 : 0;
        loss.nWrongMs += ms * wrong / length;
    }
    loss.nBackspaceMs = qint64(qMax(backspaces, 0) * Metrics::Median(perKey));
    return loss;
}

QString Line(const CTimeLoss& loss, int kind, int correct, qint64 elapsedMs)
{
    QStringList parts;
    const auto part = [&](const QString& name, qint64 ms) {
        if (ms <= 0)
            return;
        const Metrics::Speed without =
            Metrics::KindSpeed(kind, correct, qMax<qint64>(elapsedMs - ms, 1));
        const QString spent = ms < 60000 ? u"%1 秒"_s.arg(double(ms) / 1000, 0, 'f', 1)
                                         : u"%1 分钟"_s.arg(double(ms) / 60000, 0, 'f', 1);
        parts.append(u"%1 %2(不然 %3)"_s.arg(name, spent, Metrics::SpeedText(without)));
    };
    part(u"回改"_s, loss.nRevisedMs);
    part(u"退格"_s, loss.nBackspaceMs);
    part(u"停顿"_s, loss.nPauseMs);
    part(u"错字"_s, loss.nWrongMs);
    return parts.isEmpty() ? QString() : u"时间花在:"_s + parts.join(u"  "_s);
}

} // namespace TimeLoss
