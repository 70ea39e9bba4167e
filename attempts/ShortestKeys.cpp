#include "attempts/ShortestKeys.h"

#include "attempts/Metrics.h"

#include <QFile>
#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <climits>

using namespace Qt::Literals::StringLiterals;

namespace ShortestKeys {

namespace {

struct CReadings
{
    QHash<QString, QString> codes; // a character's or a word's typed pinyin
    int nLongestWord = 1;
};

const CReadings& Readings()
{
    static const CReadings readings = [] {
        CReadings read;
        QFile file(u":/readings/readings.json"_s);
        if (!file.open(QIODevice::ReadOnly))
            return read;
        const QJsonObject all = QJsonDocument::fromJson(file.readAll()).object();
        for (const QString& part : {u"characters"_s, u"words"_s}) {
            const QJsonObject table = all.value(part).toObject();
            for (auto it = table.begin(); it != table.end(); ++it) {
                read.codes.insert(it.key(), it.value().toString());
                read.nLongestWord = std::max(read.nLongestWord, int(it.key().size()));
            }
        }
        return read;
    }();
    return readings;
}

} // namespace

int Pinyin(const QString& text)
{
    const CReadings& readings = Readings();
    const qsizetype n = text.size();
    // The fewest keys up to each place of the text.
    QList<int> fewest(n + 1, INT_MAX);
    fewest[0] = 0;
    for (qsizetype i = 0; i < n; ++i) {
        if (fewest[i] == INT_MAX)
            continue;
        const auto reach = [&](qsizetype length, int keys) {
            fewest[i + length] = std::min(fewest[i + length], fewest[i] + keys);
        };
        if (text[i].script() != QChar::Script_Han) {
            reach(1, 1);
            continue;
        }
        for (int length = 1; length <= readings.nLongestWord && i + length <= n; ++length) {
            const auto code = readings.codes.constFind(text.mid(i, length));
            if (code != readings.codes.constEnd())
                reach(length, int(code->size()) + 1); // and the Space that commits it
        }
    }
    return fewest[n] == INT_MAX ? -1 : fewest[n];
}

QString TypedText(const QList<CCommitUnit>& commits)
{
    QString text;
    for (const CCommitUnit& unit : commits)
        text += unit.strExpected.left(qMax<qsizetype>(unit.strCommitted.size() - unit.nDeleted, 0));
    return text;
}

QString Line(const QString& text, qint64 presses, int correct)
{
    const int fewest = Pinyin(text);
    if (fewest < 0 || text.isEmpty() || presses < 0 || correct <= 0)
        return {};
    const double least = double(fewest) / text.size();
    const double actual = Metrics::KeysPerUnit(presses, correct);
    QString line = u"理论码长(全拼) %1,码长 %2"_s.arg(least, 0, 'f', 2).arg(actual, 0, 'f', 2);
    if (actual > least)
        line += u",每字可以少按 %1 个键"_s.arg(actual - least, 0, 'f', 2);
    return line;
}

} // namespace ShortestKeys
