#include "practice/LargeScreen.h"

#include "attempts/CommitFigures.h"
#include "attempts/ExamScoring.h"
#include "attempts/Metrics.h"
#include "attempts/Progress.h"
#include "attempts/ResultStore.h"
#include "platform/Platform.h"
#include "practice/AttemptRecorder.h"
#include "practice/Composition.h"
#include "practice/LargeBand.h"
#include "practice/QeDoc.h"
#include "practice/ResultDlg.h"
#include "practice/TypingSession.h"
#include "res/CommandIds.h"
#include "users/Session.h"

#include <QPainter>
#include <QWidget>

using namespace Qt::Literals::StringLiterals;

CLargeScreen::CLargeScreen(QWidget* pView, const CSession& login, CQeDoc& doc,
                           CTypingSession& session, const CAttemptRecorder& recorder,
                           const CViewServices& services)
    : QObject(pView), m_login(login), m_pView(pView), m_doc(doc), m_session(session),
      m_recorder(recorder), m_services(services), m_panel(pView), m_sitting(pView)
{
    m_figureTimer.setInterval(1000);
    connect(&m_figureTimer, &QTimer::timeout, this, [this] {
        if (m_screen && m_session.IsRunning())
            m_pView->update(Layout().band);
        else
            m_figureTimer.stop();
    });
}

void CLargeScreen::Load(const CPracticeScreen& screen)
{
    Clear();
    if (screen.nExamId == 0)
        ReadScreen(m_doc, screen.text, screen.nKind, screen.nScreen);
    m_screen = screen;
    m_nScreenCount = ScreenCount(screen.text, screen.nKind);
    m_session.SetBackspaceAllowed(screen.bBackspaceAllowed);
    if (screen.nExamId != 0)
        m_session.SetEndQuestion(CExamRun::EndQuestion(screen), true);
    IPracticeClock* clock = m_services.pClock;
    if (!clock)
        return;
    clock->ShowReadyPrompt();
    if (screen.nTimeLimitSeconds > 0)
        clock->SetTimeLimit(screen.nTimeLimitSeconds, [this] { m_session.TimeUp(); });
    if (screen.nExamId != 0)
        clock->ShowNotice(u"考试:%1,按空格键开始(考试的文章在开始时才显示)"_s.arg(screen.strTitle));
    else if (m_nScreenCount > 1)
        clock->ShowNotice(u"第 %1 屏,共 %2 屏"_s.arg(screen.nScreen).arg(m_nScreenCount));
}

void CLargeScreen::Clear()
{
    m_screen.reset();
    m_exam.Reset();
    m_strWaiting.clear();
    m_bSending = false;
    ++m_nResultsShown; // an answer still on its way belongs to nothing shown
    m_figureTimer.stop();
    m_result.reset();
    m_panel.Hide();
    m_sitting.Close();
}

bool CLargeScreen::End(const CAttempt& attempt, int focusLosses)
{
    if (!m_screen)
        return false;
    if (!m_exam.IsRunning()) {
        ShowResult(attempt);
        return true;
    }
    // An exam's figures are the database's: it is sent what was typed, and
    // its answer shown over the screen, or told in a box to a pupil who
    // left it meanwhile.
    m_figureTimer.stop();
    m_session.Stop();
    const bool bLeft = attempt.nEndReason == EndReason::Left;
    m_bSending = !bLeft;
    m_exam.Send(this, m_doc, m_session, CurrentPracticeKind, attempt, focusLosses,
                [this, bLeft](const CSittingShown& shown) {
                    if (!bLeft && m_bSending) {
                        m_bSending = false;
                        ShowSitting(shown);
                        return;
                    }
                    AfxMessageBox(shown.strHeading + u"\n"_s + shown.lines.join(u'\n'),
                                  MB_OK | MB_ICONINFORMATION);
                });
    if (bLeft && m_back)
        m_back();
    m_pView->update();
    return true;
}

void CLargeScreen::ShowSitting(const CSittingShown& shown)
{
    m_sitting.Show(shown.strHeading, CLargePainter::CursorBar, shown.lines,
                   {{u"确定(Y)"_s,
                     [this] {
                         if (m_back)
                             m_back();
                         if (m_seen)
                             m_seen();
                     }}},
                   0, 0);
    m_pView->update();
}

void CLargeScreen::OnResultKey(unsigned char byte)
{
    if (m_sitting.IsShown())
        m_sitting.OnKey(byte);
    else
        m_panel.OnKey(byte);
}

CLargeLayout CLargeScreen::Layout() const
{
    return CLargeLayout::For(m_pView->size(),
                             m_result ? CLargeLayout::Band::Result : CLargeLayout::Band::Figures);
}

bool CLargeScreen::Begin(std::function<void()> begun)
{
    if (!m_screen || m_screen->nExamId == 0 || m_exam.IsRunning())
        return true;
    if (m_exam.IsBeginning())
        return false;
    const auto waiting = [this](const QString& notice) {
        m_strWaiting = notice;
        m_pView->update();
    };
    m_exam.Begin(
        this, *m_screen, m_doc,
        [this, begun = std::move(begun)](bool bBegun) {
            m_strWaiting.clear();
            m_pView->update();
            // A competition's pupil who came late has the time that is left.
            const qint64 goneMs = m_exam.Sitting() ? m_exam.Sitting()->nGoneMs : 0;
            if (bBegun && goneMs > 0 && m_screen->nTimeLimitSeconds > 0) {
                m_screen->nTimeLimitSeconds =
                    qMax(int(m_screen->nTimeLimitSeconds - goneMs / 1000), 1);
                if (m_services.pClock)
                    m_services.pClock->SetTimeLimit(m_screen->nTimeLimitSeconds,
                                                    [this] { m_session.TimeUp(); });
            }
            if (bBegun)
                begun();
            else if (m_back)
                m_back(); // the pupil was told why
        },
        waiting);
    return false;
}

void CLargeScreen::OnStarted()
{
    m_pView->update();
    m_figureTimer.start();
}

CBandText CLargeScreen::RunningBand() const
{
    const bool exam = m_exam.IsRunning();
    CBandText band;
    band.strTitle = exam ? u"考试:%1"_s.arg(m_exam.Sitting()->strTitle) : m_screen->strTitle;
    if (m_nScreenCount > 1 && !exam)
        band.strTitle += u"  第 %1/%2 屏"_s.arg(m_screen->nScreen).arg(m_nScreenCount);
    if (m_session.IsRunning()) {
        // An exam's speed is its result's, by the exam's rule, as it stands.
        const qint64 elapsedMs = m_recorder.ElapsedMs();
        const qint64 speedMs =
            exam ? ExamScoring::SpeedMs(elapsedMs, m_screen->nTimeLimitSeconds * 1000LL, false)
                 : elapsedMs;
        band.figures =
            LargeBand::Figures(CurrentPracticeKind, CorrectCount, TypedCount, elapsedMs, speedMs,
                               m_recorder.KeyPressesSoFar(), m_screen->nTimeLimitSeconds);
    }
    return band;
}

void CLargeScreen::Draw(QPainter& painter, const QRect& dirty,
                        const CComposition& composition) const
{
    const CLargeLayout layout = Layout();
    const CLargePainter screen(m_doc, m_session, layout, CurrentPracticeKind);
    // The window's ground around the rows; the rows fill their own.
    for (const QRect& rect : QRegion(dirty).subtracted(layout.text))
        painter.fillRect(rect, m_pView->palette().window());
    if (dirty.intersects(layout.band))
        screen.DrawBand(painter, Band());
    const bool ended = ShowsResult();
    screen.DrawRows(painter, dirty, !ended);
    if (composition.IsOpen())
        screen.DrawComposition(painter, composition.Bytes());
    if (!m_session.IsRunning() && !ended) {
        Card().Draw(painter, layout.text, layout.BandFont());
    }
}

CStartCard CLargeScreen::Card() const
{
    if (!m_screen)
        return {};
    CStartCard card = LargeBand::Card(*m_screen, m_nScreenCount);
    if (!m_strWaiting.isEmpty())
        card.strPrompt = m_strWaiting;
    return card;
}

void CLargeScreen::ShowResult(const CAttempt& attempt)
{
    m_figureTimer.stop();
    CResult result;
    if (attempt.nEndReason == EndReason::EndOfScreen && m_screen->nScreen < m_nScreenCount) {
        CPracticeScreen next = *m_screen;
        ++next.nScreen;
        result.next = std::move(next);
    }
    result.band.strTitle = u"%1  错 %2 处"_s.arg(m_screen->strTitle).arg(attempt.mistakes.size());
    result.band.figures =
        LargeBand::Figures(CurrentPracticeKind, attempt.nCorrectUnits, attempt.nTypedUnits,
                           attempt.nElapsedMs, attempt.nElapsedMs, attempt.nKeyPresses, 0);
    result.band.strFiguresLine =
        CTypingFigures::Of(attempt.nKind, attempt.nTypedUnits, attempt.nBackspaces,
                           attempt.nKeyPresses, attempt.nBackspacePresses,
                           CommitFigures::Tally(attempt.detail.commits))
            .Line();
    const int seconds = qMax(ElapsedSeconds, 0);
    const int correct = qMax(CorrectCount, 0);
    result.scoreFields = PracticeScoreFields(
        CurrentPracticeKind, QString::number(Metrics::ScoreSpeed(correct, seconds)),
        QString::number(seconds), qint16(Metrics::Accuracy(correct, TypedCount)));
    result.attempt = attempt;
    m_result = std::move(result);
    ++m_nResultsShown;
    m_session.Stop();
    StoreResult();
    ShowSteps();
    m_pView->update();
}

void CLargeScreen::StoreResult()
{
    // An ordinary user's result is stored as the result dialog stores it;
    // one the database did not take waits for 保存成绩, as the dialog
    // waits for OK again.
    CResult& result = *m_result;
    result.bUnsaved = false;
    if (result.attempt.nTypedUnits <= 0) {
        // Space and then Esc: there is nothing to keep.
        result.band.strSecondLine = u"没有打字,成绩不保存"_s;
        return;
    }
    if (!m_login.IsOwnLogin()) {
        result.band.strSecondLine = u"只保存登录的学生的成绩"_s;
        return;
    }
    if (!m_login.Database()) {
        result.bUnsaved = true;
        result.band.strSecondLine = Guard::ResultNotConnected;
        return;
    }
    result.band.strSecondLine = u"正在保存成绩……"_s;
    const int shown = m_nResultsShown;
    const int kind = CurrentPracticeKind;
    CResultStore(m_login).StorePractice(
        this, result.scoreFields, &result.attempt,
        [this, shown, kind] { FollowStore(shown, kind, {}); },
        [this, shown, kind](const CDaoException& e) {
            if (shown != m_nResultsShown)
                return;
            m_result->bUnsaved = true;
            FollowStore(shown, kind, u"成绩没有保存:%1"_s.arg(e.GetErrorMessage(200)));
        });
}

void CLargeScreen::FollowStore(int shown, int kind, const QString& failure)
{
    if (shown != m_nResultsShown)
        return;
    // What follows a result is read by the worker as well: the last and the
    // best, and the homework this practice completed. Each is a help beside
    // the result, not the result: without it the result still shows.
    struct CFollowing
    {
        std::optional<QList<CAttemptSummary>> attempts;
        QStringList assignmentsDone;
    };
    const bool bStored = !m_result->bUnsaved;
    const CAttempt attempt = m_result->attempt;
    const auto assignmentsDone = m_services.assignmentsDone;
    const auto show = [this, shown, failure, bStored, kind](const CFollowing& following) {
        if (shown != m_nResultsShown)
            return;
        QString status = failure;
        if (following.attempts) {
            const QList<CAttemptSummary>& attempts = *following.attempts;
            status = LargeBand::Comparison(kind, attempts, bStored) +
                     (status.isEmpty() ? QString() : u"    "_s + status);
            // The server keeps a result faster than the class types in doubt.
            if (bStored && !attempts.isEmpty() && attempts.constFirst().bInDoubt)
                status = Metrics::InDoubtUntilConfirmed + u"    "_s + status;
        }
        for (const QString& title : following.assignmentsDone)
            status = u"作业完成:%1"_s.arg(title) + u"    "_s + status;
        if (!Metrics::CountsForBest(m_result->attempt.nElapsedMs,
                                    m_result->attempt.nEndReason == EndReason::EndOfScreen))
            status = Metrics::TooShortToCount + (status.isEmpty() ? QString() : u"    "_s + status);
        m_result->band.strSecondLine = status;
        ShowSteps();
        m_pView->update();
    };
    m_login.Ask<CFollowing>(
        this,
        [attempt, bStored, kind, assignmentsDone](CDaoDatabase& own) {
            CFollowing following;
            try {
                // The last and the best of this kind only.
                following.attempts = LoadAttempts(own, attempt.nUserKey, kind);
            } catch (const CDaoException&) {
            }
            try {
                if (bStored && assignmentsDone)
                    following.assignmentsDone = assignmentsDone(own, attempt);
            } catch (const CDaoException&) {
            }
            return following;
        },
        show, [show](const CDaoException&) { show(CFollowing()); });
}

void CLargeScreen::ShowSteps()
{
    enum Step { Save, Again, Next, Assignments, Back };
    const CPracticeScreen again = *m_screen;
    const std::optional<CPracticeScreen> next = m_result->next;
    const auto back = [this] {
        if (m_back)
            m_back();
    };
    QList<CResultPanel::CStep> steps(Back + 1);
    steps[Save] = {u"保存成绩"_s,
                   [this] {
                       StoreResult();
                       ShowSteps();
                       m_pView->update();
                   },
                   true, m_result->bUnsaved};
    steps[Again] = {u"再练一次"_s, [this, again] { m_load(again); }};
    steps[Next] = {u"下一屏"_s, [this, next] { m_load(*next); }, next.has_value()};
    steps[Assignments] = {u"我的作业"_s,
                          [this, back] {
                              back();
                              m_services.runCommand(ID_TEACHING_TODAY);
                          },
                          bool(m_services.runCommand) && m_login.IsOwnLogin()};
    steps[Back] = {u"返回"_s, back};
    m_panel.Show(std::move(steps), next ? Next : Again, Back);
    PlaceResult();
}

void CLargeScreen::PlaceResult()
{
    if (!m_result)
        return;
    const CLargeLayout layout = Layout();
    m_panel.Place(layout.band, layout.text.right(), layout.BandFont());
}
