#pragma once

#include <QString>

// What every thread of database work shares: how long a window waits for a
// server's answer, what it says when none comes, and the threads left
// waiting for a server that does not answer, which the program's end does
// not wait for.
namespace OffThread {

// What the user is told when the server does not answer in time.
QString NoAnswerMessage();

// How long a window waits for the server before it gives up.
int TimeoutMs();
void SetTimeoutMs(int milliseconds);

// The workers still running that nobody waits for any more (their server
// did not answer): the program ends without waiting for them.
int Abandoned();
// A worker was left running (delta 1), or has ended since (delta -1).
void CountAbandoned(int delta);

} // namespace OffThread
