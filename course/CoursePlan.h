#pragma once

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

struct CLesson
{
    int nNumber = 0; // from 1
    QString strTitle;
    QString strKind;     // "keys", "words", "sentences", "pinyin"
    QStringList newKeys; // key ids the lesson introduces
    CLessonTargets targets;
    bool bBackspace = false; // a wrong key must be taken back with Backspace
    QStringList lines;
    // For each line, the characters shown above its space-separated words
    // (the pinyin lessons); empty when the lesson shows none.
    QList<QStringList> ruby;

    int Keystrokes() const; // the characters of all lines
};

// How much more than the targets two and three stars ask.
struct CStarLevel
{
    int nAccuracy = 0;
    double dSpeedFactor = 1;
};

struct CCourse
{
    QString strId;
    QString strTitle;
    CStarLevel twoStars;
    CStarLevel threeStars;
    QList<CLesson> lessons;

    bool IsEmpty() const { return lessons.isEmpty(); }
    const CLesson* Lesson(int number) const;
};

namespace CoursePlan {

inline const QString Fingering = QStringLiteral("fingering");
inline const QString Pinyin = QStringLiteral("pinyin");

// The courses in the order the course window lists them.
QStringList CourseIds();
// A course of the resources, read once; empty when the program has none.
const CCourse& Course(const QString& id);
// A course from the text of a course file; empty when it cannot be read.
CCourse FromJson(const QByteArray& json);

} // namespace CoursePlan
