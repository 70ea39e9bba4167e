#include "practice/QeView.h"

#include "attempts/Metrics.h"
#include "attempts/Progress.h"
#include "attempts/ResultStore.h"
#include "platform/Platform.h"
#include "practice/LargeBand.h"
#include "practice/PracticeState.h"
#include "practice/QeDoc.h"
#include "practice/ResultDlg.h"
#include "res/CommandIds.h"
#include "users/CurrentUser.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPushButton>

using namespace Qt::Literals::StringLiterals;

// The large screen of the teaching layer's practices: the card before the
// start, the figures while typing and the result at the end, drawn around
// the same buffers and session as the described screen.

namespace {

enum ResultButton { Save, Again, Next, Assignments, Back };
const QStringList ResultButtonTexts = {u"保存成绩"_s, u"再练一次"_s, u"下一屏"_s, u"我的作业"_s,
                                       u"返回"_s};

} // namespace

CLargeLayout CQeView::LargeLayout() const
{
    return CLargeLayout::For(size(),
                             m_result ? CLargeLayout::Band::Result : CLargeLayout::Band::Figures);
}

CBandText CQeView::RunningBand() const
{
    CBandText band;
    band.strTitle = m_exam ? u"考试:%1"_s.arg(m_exam->strTitle) : m_screen->strTitle;
    if (m_nScreenCount > 1 && !m_exam)
        band.strTitle += u"  第 %1/%2 屏"_s.arg(m_screen->nScreen).arg(m_nScreenCount);
    if (m_session.IsRunning())
        band.figures = LargeBand::Figures(CurrentPracticeKind, CorrectCount, TypedCount,
                                          m_recorder.ElapsedMs(), m_recorder.KeyPressesSoFar(),
                                          m_screen->nTimeLimitSeconds);
    return band;
}

void CQeView::DrawLarge(QPainter& painter, const QRect& dirty)
{
    const CLargeLayout layout = LargeLayout();
    const CLargePainter screen(*m_pDocument, m_session, layout, CurrentPracticeKind);
    // The window's ground around the rows; the rows fill their own.
    for (const QRect& rect : QRegion(dirty).subtracted(layout.text))
        painter.fillRect(rect, palette().window());
    if (dirty.intersects(layout.band))
        screen.DrawBand(painter, m_result ? m_result->band : RunningBand());
    const bool waiting = !m_session.IsRunning() && !m_result;
    screen.DrawRows(painter, dirty, !m_result);
    if (m_composition.IsOpen())
        screen.DrawComposition(painter, m_composition.Bytes());
    if (waiting)
        screen.DrawCard(painter, LargeBand::CardLines(*m_screen, m_nScreenCount),
                        LargeBand::StartPrompt);
}

void CQeView::ShowLargeResult(const CAttempt& attempt)
{
    CLargeResult result;
    if (m_recorder.EndReasonCode() == EndReason::EndOfScreen &&
        m_screen->nScreen < m_nScreenCount) {
        CPracticeScreen next = *m_screen;
        ++next.nScreen;
        result.next = std::move(next);
    }
    result.band.strTitle = u"%1  错 %2 处"_s.arg(m_screen->strTitle).arg(attempt.mistakes.size());
    result.band.figures =
        LargeBand::Figures(CurrentPracticeKind, attempt.nCorrectUnits, attempt.nTypedUnits,
                           attempt.nElapsedMs, attempt.nKeyPresses, 0);

    const int seconds = qMax(ElapsedSeconds, 0);
    const int correct = qMax(CorrectCount, 0);
    result.scoreFields = PracticeScoreFields(
        CurrentPracticeKind, QString::number(seconds == 0 ? 0 : correct / seconds),
        QString::number(seconds), qint16(Metrics::Accuracy(correct, TypedCount)));
    result.attempt = attempt;
    m_result = std::move(result);
    m_session.Stop();
    StoreLargeResult();
    MakeResultButtons();
    update();
}

void CQeView::StoreLargeResult()
{
    // An ordinary user's result is stored as the result dialog stores it;
    // one the database did not take waits for 保存成绩, as the dialog
    // waits for OK again.
    CDaoDatabase* db = ActiveDatabase();
    QString status;
    m_result->bUnsaved = false;
    if (m_result->attempt.nTypedUnits <= 0) {
        // Space and then Esc: there is nothing to keep.
        m_result->band.strSecondLine = u"没有打字,成绩不保存"_s;
        return;
    }
    if (!CurrentUser.IsOrdinaryLogin()) {
        m_result->band.strSecondLine = u"只保存登录的学生的成绩"_s;
        return;
    }
    if (!db) {
        m_result->bUnsaved = true;
        m_result->band.strSecondLine = Guard::ResultNotConnected;
        return;
    }
    try {
        CResultStore(db).StorePractice(m_result->scoreFields, &m_result->attempt);
    } catch (const CDaoException& e) {
        m_result->bUnsaved = true;
        status = u"成绩没有保存:%1"_s.arg(e.GetErrorMessage(200));
    }
    try {
        status = LargeBand::Comparison(CurrentPracticeKind, LoadAttempts(*db, CurrentUser.RowKey),
                                       !m_result->bUnsaved) +
                 (status.isEmpty() ? QString() : u"    "_s + status);
    } catch (const CDaoException&) {
        // The comparison is a help, not the result: without it the result
        // still shows.
    }
    if (!Metrics::CountsForBest(m_result->attempt.nElapsedMs,
                                m_result->attempt.nEndReason == EndReason::EndOfScreen))
        status = Metrics::TooShortToCount + (status.isEmpty() ? QString() : u"    "_s + status);
    m_result->band.strSecondLine = status;
}

void CQeView::MakeResultButtons()
{
    if (m_resultButtons.isEmpty()) {
        for (int index = 0; index < ResultButtonTexts.size(); ++index) {
            auto* button = new QPushButton(ResultButtonTexts[index], this);
            button->setFocusPolicy(Qt::NoFocus); // the keys stay the view's
            connect(button, &QPushButton::clicked, this, [this, index] { OnResultButton(index); });
            m_resultButtons.append(button);
        }
    }
    m_resultButtons[Next]->setEnabled(m_result && m_result->next.has_value());
    m_resultButtons[Assignments]->setEnabled(bool(m_services.runCommand) &&
                                             CurrentUser.IsOrdinaryLogin());
    PlaceResultButtons();
    for (QPushButton* button : std::as_const(m_resultButtons))
        button->setVisible(m_result.has_value());
    m_resultButtons[Save]->setVisible(m_result && m_result->bUnsaved);
}

void CQeView::PlaceResultButtons()
{
    if (m_resultButtons.isEmpty() || !m_result)
        return;
    // In a row at the foot of the band, right-aligned with the text.
    const CLargeLayout layout = LargeLayout();
    const int height = QFontMetrics(layout.BandFont()).height() + 6;
    const int top = layout.band.bottom() - height - 2;
    int right = layout.text.right();
    for (qsizetype index = m_resultButtons.size() - 1; index >= 0; --index) {
        QPushButton* button = m_resultButtons[index];
        button->setFont(layout.BandFont());
        const int width = qMax(button->sizeHint().width(), 4 * height);
        button->setGeometry(right - width, top, width, height);
        right -= width + height / 3;
    }
}

QPushButton* CQeView::ResultButton(const QString& text) const
{
    const qsizetype index = ResultButtonTexts.indexOf(text);
    return index >= 0 && index < m_resultButtons.size() && m_result ? m_resultButtons[index]
                                                                    : nullptr;
}

void CQeView::OnResultButton(int index)
{
    if (!m_result)
        return;
    const CPracticeScreen again = *m_screen;
    const std::optional<CPracticeScreen> next = m_result->next;
    switch (index) {
    case Save:
        StoreLargeResult();
        MakeResultButtons();
        update();
        break;
    case Again:
        LoadScreen(again);
        break;
    case Next:
        if (next)
            LoadScreen(*next);
        break;
    case Assignments:
        ShowCredits();
        if (m_services.runCommand)
            m_services.runCommand(ID_TEACHING_TODAY);
        break;
    default:
        ShowCredits();
        break;
    }
}

void CQeView::OnResultKey(unsigned char byte)
{
    if (byte == '\r')
        OnResultButton(m_result && m_result->next ? Next : Again);
    else if (byte == 0x1b)
        OnResultButton(Back);
}

void CQeView::ClearResult()
{
    m_result.reset();
    for (QPushButton* button : std::as_const(m_resultButtons))
        button->hide();
}
