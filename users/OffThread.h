#pragma once

#include "platform/Dao.h"

#include <QString>

#include <functional>

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
