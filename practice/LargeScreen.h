#pragma once

#include "attempts/Attempt.h"
#include "practice/ExamRun.h"
#include "practice/LargeLayout.h"
#include "practice/LargePainter.h"
#include "practice/PracticeScreen.h"
#include "practice/PracticeState.h"
#include "practice/ResultPanel.h"
#include "practice/ResultSheet.h"
#include "practice/StartCard.h"
#include "users/Database.h"

#include <QObject>
#include <QTimer>

#include <functional>
#include <optional>

class CAttemptRecorder;
class CComposition;
class CQeDoc;
class CSession;
class CTypingSession;
class QPainter;
class QPushButton;
class QWidget;

// The large screen of the teaching layer's practices (a stored text, a
// drill, an exam, an assignment's text): the card before the start, the
// figures while typing and the result in place at the end, drawn around
// the view's document and session.
class CLargeScreen : public QObject
{
    Q_OBJECT
public:
    // login: the session whose pupil's results are stored and compared.
    CLargeScreen(QWidget* pView, const CSession& login, CQeDoc& doc, CTypingSession& session,
                 const CAttemptRecorder& recorder, const CViewServices& services);

    // Where the result's steps lead: another screen (the same again, the
    // text's next), or back to the credits.
    void SetLoad(std::function<void(const CPracticeScreen&)> load) { m_load = std::move(load); }
    void SetBack(std::function<void()> back) { m_back = std::move(back); }
    // A sitting's result was seen and closed.
    void SetSeen(std::function<void()> seen) { m_seen = std::move(seen); }

    // Sets out a screen in the document (in its reset state), for the
    // space bar; an exam's cells come when its start is recorded.
    void Load(const CPracticeScreen& screen);
    // Nothing loaded, no exam, no result.
    void Clear();
    const std::optional<CPracticeScreen>& Screen() const { return m_screen; }
    CExamRun& Exam() { return m_exam; }
    const CExamRun& Exam() const { return m_exam; }
    CLargeLayout Layout() const;

    // The space bar on the card: true when the typing may start. An exam's
    // start is asked for first (false): begun() follows once the database
    // recorded it; one that does not start goes back, the pupil told why.
    bool Begin(std::function<void()> begun);
    // The first key: the card goes, the figures come and follow the clock.
    void OnStarted();
    void Draw(QPainter& painter, const QRect& dirty, const CComposition& composition) const;

    // The end of the practice loaded here, false when there is none: an
    // exam's sent, and its result shown over its screen (told in a box to a
    // pupil leaving it for something else); another's shown by ShowResult.
    bool End(const CAttempt& attempt, int focusLosses);
    // The attempt stored for an ordinary user and its result shown in place
    // of the figures, with the next steps.
    void ShowResult(const CAttempt& attempt);
    // An exam's end: what the database scored, over the screen typed, until
    // the pupil closes it.
    void ShowSitting(const CSittingShown& shown);
    bool ShowsResult() const { return m_result.has_value() || m_sitting.IsShown() || m_bSending; }
    // The card before the first key, as drawn: a competition's says how
    // long it still waits.
    CStartCard Card() const;
    // The band over the rows: the figures while typing, the result's after.
    CBandText Band() const { return m_result ? m_result->band : RunningBand(); }
    const CResultSheet& SittingResult() const { return m_sitting; }
    QPushButton* ResultButton(const QString& text) const { return m_panel.Button(text); }
    // Enter goes on, Esc goes back, other keys do nothing.
    void OnResultKey(unsigned char byte);
    void PlaceResult();

private:
    CBandText RunningBand() const;
    void StoreResult();
    // After the store's answer for the result shown as number shown (none
    // when the screen changed since) of the practice kind: the comparison
    // and the homework, read by the worker, then the steps.
    void FollowStore(int shown, int kind, const QString& failure);
    void ShowSteps();

    struct CResult
    {
        CBandText band;
        std::optional<CPracticeScreen> next; // the text's next screen
        CAttempt attempt;
        FieldList scoreFields;
        bool bUnsaved = false; // a pupil's result the database did not take
    };

    const CSession& m_login;
    QWidget* m_pView;
    CQeDoc& m_doc;
    CTypingSession& m_session;
    const CAttemptRecorder& m_recorder;
    CViewServices m_services;
    std::function<void(const CPracticeScreen&)> m_load;
    std::function<void()> m_back;
    std::function<void()> m_seen;
    std::optional<CPracticeScreen> m_screen;
    int m_nScreenCount = 0;
    CExamRun m_exam;
    QTimer m_figureTimer; // the figures change with the time as well as the keys
    std::optional<CResult> m_result;
    bool m_bSending = false; // an exam's end waits for the database's answer
    // What the card says while a competition waits for its start.
    QString m_strWaiting;
    int m_nResultsShown = 0; // the stores' answers belong to the last shown
    CResultPanel m_panel;
    CResultSheet m_sitting;
};
