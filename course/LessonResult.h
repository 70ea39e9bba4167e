#pragma once

#include "course/CourseStore.h"

#include <QString>
#include <QStringList>

// The words of a finished lesson's result: the stars against the lesson's
// targets, then speed (keys a minute and WPM, or 字 a minute for a lesson
// typed by codes), the accuracy, the keys or codes missed most, what to
// practise more, and whether the next lesson is open (bKept: the result
// was kept for a pupil's own account).
namespace LessonResult {

// "★★☆", or "还没有过关".
QString Stars(const CLessonRecord& record);
QStringList Summary(const CCourse& course, const CLessonRecord& record, bool bKept);

} // namespace LessonResult
