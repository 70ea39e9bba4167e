#pragma once

#include "platform/Dao.h"

#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <utility>

// Database work that must not freeze the windows (a long deletion, an exam's
// start and end while another program may hold the database): work runs on
// a worker thread with a connection of its own to target (a database's
// Target(): the same database, as the same account), while the caller waits
// in an event loop that keeps the windows painting and the clock ticking but
// holds back the user's input, and the window system's requests to close a
// window, until the work is over. report(value) may be called by the work
// on its thread; step(value) then runs on the caller's thread. Throws the
// work's CDaoException on the caller's thread.
void RunOffThread(const QString& target, const std::function<void(CDaoDatabase& own)>& work,
                  const std::function<void(int)>& step = {},
                  std::function<void(int)>* report = nullptr);

namespace OffThread {

// What the user is told when the server does not answer in time.
QString NoAnswerMessage();

// How long a window waits for the server before it gives up (Run).
int TimeoutMs();
void SetTimeoutMs(int milliseconds);

// The workers still running that nobody waits for any more (their server
// did not answer): the program ends without waiting for them.
int Abandoned();
// A worker of another kind was left running (delta 1), or has ended since
// (delta -1).
void CountAbandoned(int delta);

// Runs work as RunOffThread does, but waits for it TimeoutMs() at most:
// past that, the work is left to finish or fail on its own, its result is
// dropped, and CDaoException with NoAnswerMessage() is thrown. work may
// outlive the call: it must own what it uses (capture by value).
void RunFor(const QString& target, std::function<void(CDaoDatabase& own)> work);

template <class T> T Run(const QString& target, std::function<T(CDaoDatabase& own)> work)
{
    auto result = std::make_shared<std::optional<T>>();
    RunFor(target, [result, work = std::move(work)](CDaoDatabase& own) { *result = work(own); });
    return std::move(**result);
}

} // namespace OffThread
