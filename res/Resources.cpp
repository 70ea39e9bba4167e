#include "res/Resources.h"

#include <QFile>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QKeySequence>

using namespace Qt::Literals::StringLiterals;

namespace {

QJsonDocument ReadJson(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        qWarning("resource %s missing", qUtf8Printable(path));
        return {};
    }
    QJsonParseError error;
    QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &error);
    if (doc.isNull())
        qWarning("resource %s: %s", qUtf8Printable(path), qUtf8Printable(error.errorString()));
    return doc;
}

// The entry of a list of {"id": ...} objects with that id.
QJsonObject FindById(const QJsonArray& array, int nID)
{
    for (const QJsonValue& value : array) {
        if (value.toObject().value(u"id"_s).toInt() == nID)
            return value.toObject();
    }
    return {};
}

const QHash<int, QString>& StringTable()
{
    static const QHash<int, QString> table = [] {
        QHash<int, QString> strings;
        const QJsonArray array = ReadJson(u":/strings.json"_s).array();
        for (const QJsonValue& value : array) {
            const QJsonObject o = value.toObject();
            strings.insert(o.value(u"id"_s).toInt(), o.value(u"text"_s).toString());
        }
        return strings;
    }();
    return table;
}

QList<MenuItem> MenuItems(const QJsonArray& array)
{
    QList<MenuItem> items;
    for (const QJsonValue& value : array) {
        const QJsonObject o = value.toObject();
        MenuItem item;
        item.bSeparator = o.value(u"separator"_s).toBool();
        item.strText = o.value(u"text"_s).toString();
        item.strLabel = o.value(u"label"_s).toString();
        item.nCommand = o.value(u"command"_s).toInt(ID_SEPARATOR);
        if (o.contains(u"popup"_s)) {
            item.bPopup = true;
            item.children = MenuItems(o.value(u"popup"_s).toArray());
        }
        items.append(item);
    }
    return items;
}

} // namespace

QString LoadString(int nID)
{
    return StringTable().value(nID);
}

QString FigureDefinition(const QString& name)
{
    static const QJsonObject definitions = ReadJson(u":/figures.json"_s).object();
    return definitions.value(name).toString();
}

bool HasString(int nID)
{
    return StringTable().contains(nID);
}

const QList<CommandInfo>& CommandTable()
{
    static const QList<CommandInfo> table = [] {
        QList<CommandInfo> commands;
        const QJsonArray array = ReadJson(u":/commands.json"_s).array();
        for (const QJsonValue& value : array) {
            const QJsonObject o = value.toObject();
            commands.append({o.value(u"id"_s).toInt(), o.value(u"name"_s).toString()});
        }
        std::sort(commands.begin(), commands.end(),
                  [](const CommandInfo& a, const CommandInfo& b) { return a.nID < b.nID; });
        return commands;
    }();
    return table;
}

QString CommandName(int nID)
{
    for (const CommandInfo& command : CommandTable()) {
        if (command.nID == nID)
            return command.strName;
    }
    return {};
}

QString CommandPrompt(int nID)
{
    const QString text = LoadString(nID);
    const qsizetype nBreak = text.indexOf(u'\n');
    return nBreak < 0 ? text : text.left(nBreak);
}

QString CommandTooltip(int nID)
{
    const QString text = LoadString(nID);
    const qsizetype nBreak = text.indexOf(u'\n');
    return nBreak < 0 ? QString() : text.mid(nBreak + 1);
}

QList<MenuItem> LoadMenu(int nID)
{
    const QJsonObject menu = FindById(ReadJson(u":/menus.json"_s).array(), nID);
    return MenuItems(menu.value(u"items"_s).toArray());
}

QList<AcceleratorEntry> LoadAccelerators(int nID)
{
    const QJsonObject table = ReadJson(u":/accelerators.json"_s).object();
    QList<AcceleratorEntry> entries;
    if (table.value(u"id"_s).toInt() != nID)
        return entries;
    const QJsonArray array = table.value(u"entries"_s).toArray();
    for (const QJsonValue& value : array) {
        const QJsonObject o = value.toObject();
        const QKeySequence keys =
            QKeySequence::fromString(o.value(u"key"_s).toString(), QKeySequence::PortableText);
        if (keys.isEmpty()) {
            qWarning("accelerator %s not understood", qUtf8Printable(o.value(u"key"_s).toString()));
            continue;
        }
        entries.append({keys[0], o.value(u"command"_s).toInt()});
    }
    return entries;
}

int FindAccelerator(const QList<AcceleratorEntry>& table, QKeyCombination key)
{
    for (const AcceleratorEntry& entry : table) {
        if (entry.key == key)
            return entry.nCommand;
    }
    return 0;
}

QList<ToolBarButton> LoadToolBar(int nID)
{
    const QJsonObject bar = ReadJson(u":/toolbar.json"_s).object();
    QList<ToolBarButton> buttons;
    if (bar.value(u"id"_s).toInt() != nID)
        return buttons;
    const QJsonArray size = bar.value(u"size"_s).toArray();
    const int nWidth = size.at(0).toInt(16);
    const int nHeight = size.at(1).toInt(16);
    const QPixmap strip = LoadBitmap(bar.value(u"bitmap"_s).toInt(nID));
    int nImage = 0;
    const QJsonArray array = bar.value(u"buttons"_s).toArray();
    for (const QJsonValue& value : array) {
        ToolBarButton button;
        button.nCommand = value.toInt(ID_SEPARATOR);
        if (button.nCommand != ID_SEPARATOR && !strip.isNull())
            button.image = strip.copy(nImage++ * nWidth, 0, nWidth, nHeight);
        buttons.append(button);
    }
    return buttons;
}

QPixmap LoadBitmap(int nID)
{
    return QPixmap(u":/bitmaps/%1.png"_s.arg(nID));
}

QIcon LoadIcon(int nID)
{
    const QString path = u":/icons/%1.png"_s.arg(nID);
    return QFile::exists(path) ? QIcon(path) : QIcon();
}
