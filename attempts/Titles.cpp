#include "attempts/Titles.h"

#include "attempts/Metrics.h"

#include <QFile>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace Qt::Literals::StringLiterals;

namespace Titles {

namespace {

const QHash<int, QList<CTitle>>& Ladders()
{
    static const QHash<int, QList<CTitle>> ladders = [] {
        QHash<int, QList<CTitle>> read;
        QFile file(u":/titles.json"_s);
        if (!file.open(QIODevice::ReadOnly))
            return read;
        const QJsonArray kinds = QJsonDocument::fromJson(file.readAll())[u"titles"_s].toArray();
        for (const QJsonValue& kind : kinds) {
            QList<CTitle>& ladder = read[kind[u"kind"_s].toInt()];
            for (const QJsonValue& rung : kind[u"ladder"_s].toArray())
                ladder.append({rung[u"name"_s].toString(), rung[u"speed"_s].toDouble(),
                               rung[u"keyAccuracy"_s].toInt()});
        }
        return read;
    }();
    return ladders;
}

} // namespace

QList<CTitle> Ladder(int kind)
{
    return Ladders().value(kind);
}

int Reached(int kind, const QList<CTitleTry>& tries)
{
    const QList<CTitle> ladder = Ladder(kind);
    int reached = -1;
    for (const CTitleTry& attempt : tries) {
        if (attempt.nKind != kind || attempt.nKeyAccuracy < 0)
            continue;
        for (int rung = int(ladder.size()) - 1; rung > reached; --rung) {
            if (attempt.dSpeed >= ladder[rung].dSpeed &&
                attempt.nKeyAccuracy >= ladder[rung].nKeyAccuracy) {
                reached = rung;
                break;
            }
        }
    }
    return reached;
}

QString Text(int kind, const QList<CTitleTry>& tries)
{
    const QList<CTitle> ladder = Ladder(kind);
    if (ladder.isEmpty())
        return {};
    const int reached = Reached(kind, tries);
    QString text = u"%1:%2。"_s.arg(Metrics::KindName(kind),
                                    reached < 0 ? u"还没有称号"_s : ladder[reached].strName);
    if (reached + 1 < ladder.size()) {
        const CTitle& next = ladder[reached + 1];
        text += u"下一个是“%1”:%2 %3,键准 %4%。"_s.arg(next.strName)
                    .arg(next.dSpeed)
                    .arg(Metrics::SpeedUnit(kind))
                    .arg(next.nKeyAccuracy);
    }
    return text;
}

} // namespace Titles
