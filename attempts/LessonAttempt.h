#pragma once

#include "attempts/KeyDetail.h"

#include <QDateTime>
#include <QList>
#include <QString>

// One key missed in a lesson: the key the lesson asked for, what was typed
// instead, and how often.
struct CLessonMiss
{
    QString strExpected;
    QString strTyped;
    int nTimes = 0;

    bool operator==(const CLessonMiss&) const = default;
};

// A finished lesson of the typing course. Its figures follow Metrics: the
// keys typed right (every character of the lesson) over the time from the
// first key to the last, and their share of all keys typed.
struct CLessonAttempt
{
    qint64 nUserKey = 0; // the hidden key of the pupil's own user row
    QString strUserName;
    QString strClass;
    QString strStudentNo;
    QString strCourse; // "fingering", "pinyin" or "wubi"
    int nLesson = 0;   // from 1
    // What its speed counts: "键" (指法), "字" (a lesson typed by codes). On
    // a lab's server the server's own lessons say.
    QString strUnit = QStringLiteral("键");
    QDateTime startedAt;
    QDateTime endedAt;
    qint64 nElapsedMs = 0;
    int nKeystrokes = 0; // every key typed but Backspace
    int nCorrectKeys = 0;
    int nErrors = 0; // wrong keys
    int nBackspaces = 0;
    int nStars = 0; // 0 when the lesson's targets were not reached
    bool bPassed = false;
    QList<CLessonMiss> misses; // most frequent first
    // The physical key presses, as CAttempt's; -1 where not known.
    int nKeyPresses = -1;
    int nBackspacePresses = -1;
    // What each key of the lesson told (KeyDetail.h).
    QList<CKeyFigures> keys;

    double KeysPerMinute() const;
    double WordsPerMinute() const;
    int Accuracy() const;
};
