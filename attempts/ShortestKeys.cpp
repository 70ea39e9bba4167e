#include "attempts/ShortestKeys.h"

#include "attempts/Metrics.h"

#include <QFile>
#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

#include <algorithm>
#include <climits>

using namespace Qt::Literals::StringLiterals;

namespace ShortestKeys {

namespace {

struct CTable
{
    QHash<QString, QString> codes; // a character's or a word's keys
    int nLongestWord = 1;
};

CTable Load(const QString& path)
{
    CTable table;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return table;
    const QJsonObject all = QJsonDocument::fromJson(file.readAll()).object();
    for (const QString& part : {u"characters"_s, u"words"_s}) {
        const QJsonObject entries = all.value(part).toObject();
        for (auto it = entries.begin(); it != entries.end(); ++it) {
            table.codes.insert(it.key(), it.value().toString());
            table.nLongestWord = std::max(table.nLongestWord, int(it.key().size()));
        }
    }
    return table;
}

const CTable& TableOf(Method method)
{
    static const CTable pinyin = Load(u":/readings/readings.json"_s);
    static const CTable wubi = Load(u":/readings/wubi-codes.json"_s);
    return method == Pinyin ? pinyin : wubi;
}

// The keys that type code and commit it: a Space after pinyin, and after a
// 五笔 code shorter than the four keys that commit by themselves.
int KeysOf(Method method, const QString& code)
{
    return int(code.size()) + (method == Pinyin || code.size() < 4 ? 1 : 0);
}

} // namespace

int Fewest(Method method, const QString& text)
{
    const CTable& table = TableOf(method);
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
        for (int length = 1; length <= table.nLongestWord && i + length <= n; ++length) {
            const auto code = table.codes.constFind(text.mid(i, length));
            if (code != table.codes.constEnd())
                reach(length, KeysOf(method, *code));
        }
    }
    return fewest[n] == INT_MAX ? -1 : fewest[n];
}

QString CodeOf(Method method, const QString& text)
{
    return TableOf(method).codes.value(text);
}

std::optional<Method> MethodOf(const QString& keys, const QString& text)
{
    QString letters;
    for (const QChar key : QStringView(keys).mid(keys.lastIndexOf(u'⌫') + 1)) {
        if (key >= u'a' && key <= u'z')
            letters += key;
    }
    if (letters.isEmpty() || text.isEmpty())
        return std::nullopt;
    // The whole pinyin (a 词组 word's own, or its characters') and the 简拼.
    QString whole;
    QString initials;
    for (const QChar c : text) {
        const QString reading = CodeOf(Pinyin, QString(c));
        whole += reading;
        initials += reading.left(1);
    }
    const QString word = CodeOf(Pinyin, text);
    if (letters == whole || letters == initials || (!word.isEmpty() && letters == word))
        return Pinyin;
    const bool wubiKeys =
        std::all_of(letters.begin(), letters.end(), [](QChar c) { return c != u'z'; });
    return letters.size() <= 4 && wubiKeys ? std::optional(Wubi) : std::nullopt;
}

QString TypedText(const QList<CCommitUnit>& commits)
{
    QString text;
    for (const CCommitUnit& unit : commits)
        text += unit.strExpected.left(
            qMax(KeyDetail::Characters(unit.strCommitted) - unit.nDeleted, 0));
    return text;
}

QString Line(const QString& text, qint64 presses, int correct)
{
    if (text.isEmpty() || presses < 0 || correct <= 0)
        return {};
    const double actual = Metrics::KeysPerUnit(presses, correct);
    QStringList methods;
    for (const auto& [method, name] : {std::pair{Pinyin, u"全拼"_s}, std::pair{Wubi, u"五笔"_s}}) {
        const int fewest = Fewest(method, text);
        if (fewest < 0)
            continue;
        const double least = double(fewest) / text.size();
        methods.append(actual > least ? u"%1 %2(每字可以少按 %3 个键)"_s.arg(name)
                                            .arg(least, 0, 'f', 2)
                                            .arg(actual - least, 0, 'f', 2)
                                      : u"%1 %2"_s.arg(name).arg(least, 0, 'f', 2));
    }
    if (methods.isEmpty())
        return {};
    return u"码长 %1;理论码长:%2"_s.arg(actual, 0, 'f', 2).arg(methods.join(u","_s));
}

} // namespace ShortestKeys
