#pragma once

#include "users/Session.h"

#include <QCoreApplication>
#include <QTest>

// The answers of the session's database worker reach the windows, and what
// they ask in turn is answered too: as a person waits for the screen.
inline void SettleWorker()
{
    CDaoWorker& worker = CSession::Instance().Worker();
    for (int round = 0; round < 4; ++round) {
        // The windows paint and their clocks tick meanwhile.
        if (!QTest::qWaitFor([&worker] { return worker.Wait(0); }, 20000))
            return;
        QCoreApplication::processEvents();
    }
}
