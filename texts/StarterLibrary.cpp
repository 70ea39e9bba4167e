#include "texts/StarterLibrary.h"

#include "attempts/PracticeKind.h"
#include "platform/Dao.h"
#include "texts/TextRules.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace Qt::Literals::StringLiterals;

namespace {

QByteArray ReadResource(const QString& name)
{
    QFile file(u":/library/"_s + name);
    if (!file.open(QIODevice::ReadOnly))
        throw CDaoException(u"the starter text %1 is missing from the program"_s.arg(name));
    return file.readAll();
}

int KindOf(const QString& name)
{
    if (name == "chinese"_L1)
        return PracticeKind::Chinese;
    if (name == "english"_L1)
        return PracticeKind::English;
    if (name == "number"_L1)
        return PracticeKind::Number;
    if (name == "symbol"_L1)
        return PracticeKind::Symbol;
    throw CDaoException(u"the starter library names an unknown kind %1"_s.arg(name));
}

} // namespace

namespace StarterLibrary {

QList<CPracticeText> Texts()
{
    const QJsonDocument list = QJsonDocument::fromJson(ReadResource(u"library.json"_s));
    QList<CPracticeText> texts;
    for (const QJsonValue& value : list.object().value("texts"_L1).toArray()) {
        const QJsonObject entry = value.toObject();
        // A practice file is GBK (chinese.txt) or ASCII; our own texts are UTF-8.
        const QString name = entry.contains("practice"_L1) ? entry.value("practice"_L1).toString()
                                                           : entry.value("file"_L1).toString();
        const std::optional<QString> body = TextRules::DecodeFile(ReadResource(name));
        if (!body)
            throw CDaoException(u"the starter text %1 cannot be read"_s.arg(name));
        CPracticeText text;
        text.strTitle = entry.value("title"_L1).toString();
        text.nKind = KindOf(entry.value("kind"_L1).toString());
        text.strBody = TextRules::Normalise(*body, text.nKind);
        texts.append(text);
    }
    if (texts.isEmpty())
        throw CDaoException(u"the program's starter library is empty"_s);
    return texts;
}

void Seed(CDaoDatabase& db)
{
    for (const CPracticeText& text : Texts())
        TextStore::SaveText(db, text);
}

} // namespace StarterLibrary
