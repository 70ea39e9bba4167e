#pragma once

#include "practice/ExamHost.h"

#include <QWidget>

#include <map>

class CSession;

// Starts and ends the sittings of the exams the view runs: the start is
// recorded by the database before the screen is shown, the end is stored
// (or kept on this machine while the database is away) and its words for
// the pupil given, for the exam's screen to show. The database work runs on
// the session's worker, so that a database held by another program freezes
// nothing.
class CExamRunner : public IExamHost
{
public:
    // The sittings are the session's pupil's.
    explicit CExamRunner(const CSession& session) : m_session(session) {}

    // Where the pupil's messages and windows belong.
    void SetOwner(QWidget* pOwner) { m_pOwner = pOwner; }

    void BeginSitting(QObject* context, qint64 examId,
                      std::function<void(std::optional<CExamSitting>)> begun,
                      std::function<bool(const QString& notice)> waiting = {}) override;
    void EndSitting(QObject* context, const CExamSitting& sitting, const CSittingResult& result,
                    std::function<void(const CSittingShown&)> shown) override;

private:
    // Shows how long the competition still waits and asks again.
    void WaitForStart(QObject* context, qint64 examId, qint64 waitMs,
                      std::function<void(std::optional<CExamSitting>)> begun,
                      std::function<bool(const QString& notice)> waiting);

    const CSession& m_session;
    QWidget* m_pOwner = nullptr;
    // Starts whose answer did not come, by exam: asked again under the same
    // uid, a start the server recorded late is that sitting.
    std::map<qint64, QString> m_unanswered;
};
