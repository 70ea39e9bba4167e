#pragma once

#include "attempts/LessonAttempt.h"
#include "attempts/LiveReporter.h"
#include "course/CoursePlan.h"
#include "course/CourseStore.h"
#include "platform/KeyPressCounter.h"
#include "practice/ResultSheet.h"
#include "practice/TypingInput.h"

#include <QDateTime>
#include <QWidget>

#include <functional>
#include <optional>

class CSession;

// What every lesson screen has, whatever it counts: its course and lesson,
// the assignment it was started from, where the pupil goes when it ends
// (the next lesson, the same again, or away), the live view's reports, the
// keys pressed since it was set out, and at its end the attempt of the user
// logged in, kept for a pupil's own account, and its result.
class CLessonScreen : public QWidget
{
    Q_OBJECT
public:
    CLessonScreen(const CSession& session, const CCourse& course, int lesson,
                  QWidget* parent = nullptr);
    ~CLessonScreen() override;

    // What the last finished lesson gave, until the next one ends.
    const std::optional<CLessonRecord>& LastRecord() const { return m_record; }
    // Called when the pupil leaves the lesson, or asks for another one
    // (the number of the lesson) from the result.
    void SetLeave(std::function<void()> leave) { m_leave = std::move(leave); }
    void SetOpenLesson(std::function<void(int)> open) { m_openLesson = std::move(open); }
    // The assignment the lesson was started from, if any.
    void SetGoal(std::optional<CLessonGoal> goal) { m_goal = std::move(goal); }
    const std::optional<CLessonGoal>& Goal() const { return m_goal; }
    // The result shown in place once the lesson ended, until the pupil
    // chooses what comes next.
    const CResultSheet& Result() const { return *m_pResult; }

    // What a lesson's start card asks for: its clock starts with the first
    // key.
    static inline const QString StartPrompt = QStringLiteral("打第一个键就开始计时");

protected:
    // What the live view is told of the lesson; endReason 0 while it runs.
    virtual LiveProgress::CReport LiveReport(int endReason) const = 0;
    // The same lesson once more, from its start.
    virtual void Restart() = 0;

    // The first key: the clock of the attempt and the live view's reports.
    void OnStarted();
    // Set out again: no start yet, the keys counted from now.
    void SetOut();
    // Leaves, after asking whether to when the lesson is under way.
    void Leave(bool bAsk);
    // The current user's attempt, ending now after elapsedMs: the keys
    // pressed where they are counted; the figures of the typing are the
    // caller's.
    CLessonAttempt NewAttempt(qint64 elapsedMs) const;
    // Keeps the attempt and shows its result, with what add puts in the
    // record, in place, once the database's worker answered; the pupil's
    // choice there leads on.
    void End(const CLessonAttempt& attempt, std::function<void(CLessonRecord&)> add = {});
    // While the result shows, Enter and Esc choose there and nothing is
    // typed: true when the key went to the result.
    bool ResultTakes(std::optional<CTypingInput::Key> key);
    LiveProgress::CReport Report(int screenUnits, int typedUnits, int correctUnits,
                                 qint64 elapsedMs, qint64 idleMs, int endReason) const;

    const CSession& m_session;
    const CCourse& m_course;
    const int m_nLesson;
    // The key press counter's totals when the lesson was set out.
    CKeyCounts m_keysAtStart;

private:
    // The record's result in place, with the steps that lead on.
    void Show(CLessonRecord record, const std::function<void(CLessonRecord&)>& add);

    bool m_bRecording = false; // the worker keeps the attempt; keys wait
    std::optional<CLessonGoal> m_goal;
    std::optional<CLessonRecord> m_record;
    std::function<void()> m_leave;
    std::function<void(int)> m_openLesson;
    QDateTime m_startedAt;
    CLiveReporter m_reporter;
    CResultSheet* m_pResult;
};
