#pragma once

#include "platform/Dialog.h"
#include "users/Database.h"
#include "users/Session.h"

#include <functional>

// A dialog's read on the session's worker, behind the session's guard: OK
// and Cancel wait for the answer, which show(value) puts on the screen; a
// failure (no database, or the read failed) is reported, then afterFailure
// runs (a window that has nothing to show closes).
template <class T>
void ReadForDialog(CDialog* dlg, const CSession& session, std::function<T(CDaoDatabase& own)> work,
                   std::function<void(T value)> show, std::function<void()> afterFailure = {})
{
    if (!session.GuardedDatabase()) {
        if (afterFailure)
            afterFailure();
        return;
    }
    dlg->SetWaiting(true);
    session.Ask<T>(
        dlg, std::move(work),
        [dlg, show = std::move(show)](T value) {
            dlg->SetWaiting(false);
            show(std::move(value));
        },
        [dlg, afterFailure = std::move(afterFailure)](const CDaoException& e) {
            dlg->SetWaiting(false);
            ReportDaoError(e);
            if (afterFailure)
                afterFailure();
        });
}
