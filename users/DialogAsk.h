#pragma once

#include "platform/Dialog.h"
#include "users/Database.h"
#include "users/Session.h"

#include <functional>

// A dialog's question to the database, on the session's worker and behind
// the session's guard: OK and Cancel wait for the answer, which then(value)
// puts on the screen; a failure (no database, or the work failed) is
// reported, then afterFailure runs (a window that has nothing to show
// closes; a store left undone leaves the dialog open).
template <class T>
void AskForDialog(CDialog* dlg, const CSession& session, std::function<T(CDaoDatabase& own)> work,
                  std::function<void(T value)> then, std::function<void()> afterFailure = {})
{
    if (!session.GuardedDatabase()) {
        if (afterFailure)
            afterFailure();
        return;
    }
    dlg->SetWaiting(true);
    session.Ask<T>(
        dlg, std::move(work),
        [dlg, then = std::move(then)](T value) {
            dlg->SetWaiting(false);
            then(std::move(value));
        },
        [dlg, afterFailure = std::move(afterFailure)](const CDaoException& e) {
            dlg->SetWaiting(false);
            ReportDaoError(e);
            if (afterFailure)
                afterFailure();
        });
}

// The same for work that answers nothing but that it is done.
inline void AskForDialog(CDialog* dlg, const CSession& session,
                         std::function<void(CDaoDatabase& own)> work, std::function<void()> then,
                         std::function<void()> afterFailure = {})
{
    AskForDialog<bool>(
        dlg, session,
        [work = std::move(work)](CDaoDatabase& own) {
            work(own);
            return true;
        },
        [then = std::move(then)](bool) { then(); }, std::move(afterFailure));
}
