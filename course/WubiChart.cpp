#include "course/WubiChart.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace Qt::Literals::StringLiterals;

namespace WubiChart {

const QHash<QChar, QString>& RootsByKey()
{
    static const QHash<QChar, QString> roots = [] {
        QHash<QChar, QString> byKey;
        QFile file(u":/wubi.json"_s);
        if (!file.open(QIODevice::ReadOnly))
            return byKey;
        const QJsonArray keys = QJsonDocument::fromJson(file.readAll())[u"keys"_s].toArray();
        for (const QJsonValue& key : keys) {
            const QString letter = key[u"key"_s].toString();
            QString shown;
            for (const QJsonValue& root : key[u"roots"_s].toArray())
                shown += root.toString();
            if (letter.size() == 1)
                byKey.insert(letter.front(), shown);
        }
        return byKey;
    }();
    return roots;
}

} // namespace WubiChart
