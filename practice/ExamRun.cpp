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

bool CExamRun::Begin(const CPracticeScreen& screen, CQeDoc& doc)
{
    // A pupil can neither read the text before the clock runs nor start
    // without the database knowing.
    if (m_pHost)
        m_sitting = m_pHost->BeginSitting(screen.nExamId);
    if (!m_sitting)
        return false;
    LoadScreenCells(doc, screen.nKind, m_sitting->screenCells);
    return true;
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

CSittingShown CExamRun::Send(const CQeDoc& doc, const CTypingSession& session, int kind,
                             const CAttempt& attempt, int focusLosses)
{
    if (!m_sitting)
        return {};
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
    return m_pHost ? m_pHost->EndSitting(sitting, sent) : CSittingShown{};
}
