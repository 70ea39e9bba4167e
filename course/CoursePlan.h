#pragma once

#include "attempts/Metrics.h"

#include <QList>
#include <QString>
#include <QStringList>

// The lessons of a course as data/course/<id>.json keeps them (made by
// tools/make-course): what each lesson teaches, its lines and the targets
// that open the next lesson.
struct CLessonTargets
{
    int nAccuracy = 90; // per cent of the keys typed
    int nSpeed = 20;    // keys typed right a minute
};

// What a 五笔 lesson shows for one item (a 字根, a character or a word)
// and every code that types it, shortest first.
struct CCodeItem
{
    QString strText;
    QStringList codes;

    bool operator==(const CCodeItem&) const = default;
    QString ShortestCode() const { return codes.value(0); }
    // The first of the longest codes: the full code a learner is taught.
    QString FullCode() const;
};

struct CLesson
{
    int nNumber = 0; // from 1
    QString strTitle;
    // "keys", "words", "sentences", "pinyin"; "wubi" and "words-im" are
    // typed by codes.
    QString strKind;
    QStringList newKeys; // key ids the lesson introduces
    CLessonTargets targets;
    QString strUnit;         // what its speed counts, when not the course's
    bool bBackspace = false; // a wrong key must be taken back with Backspace
    QStringList lines;
    // For each line, the characters shown above its space-separated words
    // (the pinyin lessons); empty when the lesson shows none.
    QList<QStringList> ruby;
    // The items of each line of a lesson typed by codes (the 五笔 lessons);
    // its lines then hold the items' texts, space-separated.
    QList<QList<CCodeItem>> items;

    // The characters of all lines; the items of a lesson typed by codes.
    int Keystrokes() const;
};

// How much more than the targets two and three stars ask.
struct CCourse
{
    QString strId;
    QString strTitle;
    // What the course's speed counts a minute: keys, or characters for a
    // course typed by codes.
    QString strUnit = QStringLiteral("键");
    CStarLevel twoStars;
    CStarLevel threeStars;
    QList<CLesson> lessons;

    bool IsEmpty() const { return lessons.isEmpty(); }
    QString UnitOf(const CLesson& lesson) const
    {
        return lesson.strUnit.isEmpty() ? strUnit : lesson.strUnit;
    }
    const CLesson* Lesson(int number) const;
    // The unit of lesson number's speed; the course's for a number it has not.
    QString UnitOf(int number) const
    {
        const CLesson* lesson = Lesson(number);
        return lesson ? UnitOf(*lesson) : strUnit;
    }
};

namespace CoursePlan {

inline const QString Fingering = QStringLiteral("fingering");
inline const QString Pinyin = QStringLiteral("pinyin");
inline const QString Wubi = QStringLiteral("wubi");

// The courses in the order the course window lists them.
QStringList CourseIds();
// A course of the resources, read once; empty when the program has none.
const CCourse& Course(const QString& id);
// A course from the text of a course file; empty when it cannot be read.
CCourse FromJson(const QByteArray& json);

} // namespace CoursePlan
