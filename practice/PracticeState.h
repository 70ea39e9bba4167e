#pragma once

#include "attempts/PracticeKind.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

// Process-wide state of the practice, read by the painting, the clock and
// the result dialog.
extern int CurrentPracticeKind;
extern int CurrentRow;
extern int CurrentColumn;
extern int TypedCount;
extern int CorrectCount;
extern QByteArray PendingUnit;
extern int PendingBytes;
extern int SkipPending;
extern int LineHeight;
extern int CharWidth;
extern int ElapsedSeconds;

// The practice clock as the view drives it; the main frame lends it.
class IPracticeClock
{
public:
    virtual ~IPracticeClock() = default;
    virtual void MarkStartTime() = 0;
    virtual void StartClock() = 0;
    virtual void StopClock() = 0;
    virtual void ShowReadyPrompt() = 0;
    virtual void ShowPracticeRunning() = 0;
    virtual void ResetClock() = 0;
    // A notice for pane 0 until the next reset: the ready prompt blinks
    // between its own text and the notice; empty text takes it away.
    virtual void ShowNotice(const QString& text) = 0;
    // A time limit in seconds for the practice loaded: pane 3 shows the time
    // left instead of the time used, and when the running practice has used
    // it up the clock calls timeUp, once. A reset takes the limit away.
    virtual void SetTimeLimit(int seconds, std::function<void()> timeUp) = 0;
};

class CDaoDatabase;
class IMenuHost;
struct CAttempt;

// What the main window lends the view when it makes it: its practice clock,
// the tracking of pop-up menus, the running of a command by its id (as its
// menu would), and the titles of the homework a stored attempt completed
// (read on the database's worker; it may throw CDaoException). Any may be
// empty (no window).
struct CViewServices
{
    IPracticeClock* pClock = nullptr;
    IMenuHost* pMenuHost = nullptr;
    std::function<void(int nID)> runCommand;
    std::function<QStringList(CDaoDatabase& db, const CAttempt& attempt)> assignmentsDone;
};
