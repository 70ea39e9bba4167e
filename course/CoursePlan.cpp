#include "course/CoursePlan.h"

#include <QFile>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace Qt::Literals::StringLiterals;

namespace {

QStringList Strings(const QJsonValue& value)
{
    QStringList strings;
    for (const QJsonValue& item : value.toArray())
        strings.append(item.toString());
    return strings;
}

CStarLevel Stars(const QJsonObject& object)
{
    return {object.value(u"accuracy"_s).toInt(), object.value(u"speed"_s).toDouble(1.0)};
}

} // namespace

int CLesson::Keystrokes() const
{
    int count = 0;
    if (!items.isEmpty()) {
        // A lesson typed by codes counts the characters of its items: a
        // word of two characters is two.
        for (const QList<CCodeItem>& line : items) {
            for (const CCodeItem& item : line)
                count += int(item.strText.size());
        }
        return count;
    }
    for (const QString& line : lines)
        count += int(line.size());
    return count;
}

QString CCodeItem::FullCode() const
{
    QString full;
    for (const QString& code : codes) {
        if (code.size() > full.size())
            full = code;
    }
    return full;
}

const CLesson* CCourse::Lesson(int number) const
{
    return number >= 1 && number <= lessons.size() ? &lessons[number - 1] : nullptr;
}

namespace CoursePlan {

QStringList CourseIds()
{
    return {Fingering, Pinyin, Wubi};
}

const CCourse& Course(const QString& id)
{
    // All read at once, on first use by whichever thread (the window's or
    // the session's worker): a table that never changes afterwards is safe
    // to share, and what it hands out stays valid.
    static const QHash<QString, CCourse> courses = [] {
        QHash<QString, CCourse> all;
        for (const QString& course : CourseIds()) {
            QFile file(u":/course/%1.json"_s.arg(course));
            all.insert(course,
                       file.open(QIODevice::ReadOnly) ? FromJson(file.readAll()) : CCourse());
        }
        return all;
    }();
    static const CCourse none;
    const auto it = courses.constFind(id);
    return it == courses.constEnd() ? none : *it;
}

CCourse FromJson(const QByteArray& json)
{
    const QJsonObject root = QJsonDocument::fromJson(json).object();
    CCourse course;
    course.strId = root.value(u"course"_s).toString();
    course.strTitle = root.value(u"title"_s).toString();
    course.strUnit = root.value(u"unit"_s).toString(course.strUnit);
    const QJsonObject stars = root.value(u"stars"_s).toObject();
    course.twoStars = Stars(stars.value(u"2"_s).toObject());
    course.threeStars = Stars(stars.value(u"3"_s).toObject());
    for (const QJsonValue& value : root.value(u"lessons"_s).toArray()) {
        const QJsonObject object = value.toObject();
        CLesson lesson;
        lesson.nNumber = object.value(u"number"_s).toInt();
        lesson.strTitle = object.value(u"title"_s).toString();
        lesson.strKind = object.value(u"kind"_s).toString();
        lesson.newKeys = Strings(object.value(u"newKeys"_s));
        const QJsonObject targets = object.value(u"targets"_s).toObject();
        lesson.targets = {targets.value(u"accuracy"_s).toInt(90),
                          targets.value(u"speed"_s).toInt(20)};
        lesson.strUnit = object.value(u"unit"_s).toString();
        lesson.bBackspace = object.value(u"backspace"_s).toBool();
        for (const QJsonValue& line : object.value(u"lines"_s).toArray()) {
            if (!line.isArray()) {
                lesson.lines.append(line.toString());
                continue;
            }
            // A line of items, each its text and then its codes.
            QList<CCodeItem> items;
            QStringList texts;
            for (const QJsonValue& item : line.toArray()) {
                QStringList parts = Strings(item);
                if (parts.size() < 2)
                    continue;
                texts.append(parts.takeFirst());
                items.append({texts.last(), parts});
            }
            lesson.lines.append(texts.join(u' '));
            lesson.items.append(items);
        }
        for (const QJsonValue& line : object.value(u"ruby"_s).toArray())
            lesson.ruby.append(Strings(line));
        course.lessons.append(lesson);
    }
    return course;
}

} // namespace CoursePlan
