#pragma once

#include "attempts/Attempt.h"
#include "attempts/ExamSitting.h"
#include "attempts/LiveReporter.h"
#include "practice/ExamHost.h"
#include "practice/PracticeScreen.h"

#include <functional>
#include <optional>

class CQeDoc;
class CTypingSession;

// An exam on the large screen: its screen stays blank until the database
// recorded the sitting's start, the server sees its cells arrive while it
// runs, and at its end it is sent what was typed; its figures are the
// database's.
class CExamRun
{
public:
    // Who records an exam's start and stores its end.
    void SetHost(IExamHost* pHost) { m_pHost = pHost; }
    // The question Esc asks: it names the exam and what ending it means.
    static QString EndQuestion(const CPracticeScreen& screen);

    // The space bar on the exam's card: the start asked for; once it is
    // recorded the screen is loaded into the document and begun(true)
    // follows on context's thread, begun(false) when the exam does not
    // start. A competition not started yet is waited for, waiting(what to
    // show) each second.
    void Begin(QObject* context, const CPracticeScreen& screen, CQeDoc& doc,
               std::function<void(bool bBegun)> begun,
               std::function<void(const QString& notice)> waiting = {});
    bool IsBeginning() const { return m_bBeginning; }
    bool IsRunning() const { return m_sitting.has_value(); }
    const std::optional<CExamSitting>& Sitting() const { return m_sitting; }
    void Reset()
    {
        m_sitting.reset();
        m_bBeginning = false;
    }

    // What the live view is told of the sitting besides the practice's
    // figures: the cells typed so far while it runs.
    void AddToReport(LiveProgress::CReport& report, const CQeDoc& doc,
                     const CTypingSession& session, int kind) const;
    // Sends what was typed, with the keys' figures of the attempt, to be
    // stored; the sitting is over. shown(what to show the pupil) follows on
    // context's thread.
    void Send(QObject* context, const CQeDoc& doc, const CTypingSession& session, int kind,
              const CAttempt& attempt, int focusLosses,
              std::function<void(const CSittingShown&)> shown);

private:
    IExamHost* m_pHost = nullptr;
    std::optional<CExamSitting> m_sitting;
    bool m_bBeginning = false; // asked, not answered yet
    int m_nBeginnings = 0;     // which Begin a wait belongs to
};
