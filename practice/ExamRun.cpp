#include "practice/ExamRun.h"

#include "practice/QeDoc.h"
#include "practice/ScreenCells.h"

using namespace Qt::Literals::StringLiterals;

QString CExamRun::EndQuestion(const CPracticeScreen& screen)
{
    return u"确定要结束考试《%1》吗?\n%2"_s.arg(
        screen.strTitle, screen.bRetakeAllowed ? u"结束后成绩将被保存,以后可以重考。"_s
                                               : u"结束后成绩将被保存,这场考试不能再考。"_s);
}

void CExamRun::Begin(QObject* context, const CPracticeScreen& screen, CQeDoc& doc,
                     std::function<void(bool)> begun, std::function<void(const QString&)> waiting)
{
    // A pupil can neither read the text before the clock runs nor start
    // without the database knowing.
    if (!m_pHost) {
        begun(false);
        return;
    }
    m_bBeginning = true;
    const int beginning = ++m_nBeginnings;
    // A wait ends when the card is left, or left and entered again.
    const auto stillWaiting = [this, beginning,
                               waiting = std::move(waiting)](const QString& notice) {
        if (!m_bBeginning || beginning != m_nBeginnings)
            return false;
        if (waiting)
            waiting(notice);
        return true;
    };
    m_pHost->BeginSitting(
        context, screen.nExamId,
        [this, kind = screen.nKind, &doc,
         begun = std::move(begun)](std::optional<CExamSitting> sitting) {
            if (!m_bBeginning)
                return; // the screen was left meanwhile
            m_bBeginning = false;
            m_sitting = std::move(sitting);
            if (m_sitting)
                LoadScreenCells(doc, kind, m_sitting->screenCells);
            begun(m_sitting.has_value());
        },
        stillWaiting);
}

void CExamRun::AddToReport(LiveProgress::CReport& report, const CQeDoc& doc,
                           const CTypingSession& session, int kind) const
{
    if (!m_sitting)
        return;
    report.nActivity = LiveProgress::Exam;
    report.nExamId = m_sitting->nExamId;
    report.strLabel = m_sitting->strTitle;
    if (report.nEndReason != 0)
        return;
    const CScreenCells typed = TypedCells(doc, session, kind);
    report.strSittingUid = m_sitting->strUid;
    report.sittingCells = typed.hex;
    report.sittingTexts = typed.texts;
    report.nRowCells = kind == PracticeKind::Chinese ? CQeDoc::Cells : CQeDoc::Columns;
}

void CExamRun::Send(QObject* context, const CQeDoc& doc, const CTypingSession& session, int kind,
                    const CAttempt& attempt, int focusLosses,
                    std::function<void(const CSittingShown&)> shown)
{
    if (!m_sitting) {
        shown({});
        return;
    }
    const CExamSitting sitting = *m_sitting;
    const CScreenCells typed = TypedCells(doc, session, kind);
    CSittingResult sent;
    sent.strUid = sitting.strUid;
    sent.nExamId = sitting.nExamId;
    sent.nUserKey = sitting.nUserKey;
    sent.typedCells = typed.hex;
    sent.typedTexts = typed.texts;
    sent.nBackspaces = attempt.nBackspaces;
    sent.nEndReason = attempt.nEndReason;
    sent.nFocusLosses = focusLosses;
    sent.nKeyMedianMs = attempt.nKeyMedianMs;
    sent.nKeySpreadMs = attempt.nKeySpreadMs;
    sent.nKeyPresses = attempt.nKeyPresses;
    sent.nBackspacePresses = attempt.nBackspacePresses;
    sent.detail = attempt.detail;
    m_sitting.reset();
    if (m_pHost)
        m_pHost->EndSitting(context, sitting, sent, std::move(shown));
    else
        shown({});
}
