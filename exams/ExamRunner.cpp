#include "exams/ExamRunner.h"

#include "attempts/PendingResults.h"
#include "exams/ExamResultDlg.h"
#include "platform/DaoErrorText.h"
#include "platform/DaoOffThread.h"
#include "platform/Platform.h"
#include "users/CurrentUser.h"
#include "users/Database.h"

#include <QUuid>

using namespace Qt::Literals::StringLiterals;

std::optional<CExamSitting> CExamRunner::BeginSitting(qint64 examId)
{
    CDaoDatabase* db = ActiveDatabase();
    if (!db) {
        Platform().MessageBox(m_pOwner, u"数据库未正确连接,考试无法开始。"_s, u"提示"_s,
                              MB_OK | MB_ICONEXCLAMATION);
        return std::nullopt;
    }
    CSittingStart start;
    const qint64 userKey = CurrentUser.RowKey;
    const QString uid =
        m_unanswered.try_emplace(examId, QUuid::createUuid().toString(QUuid::WithoutBraces))
            .first->second;
    try {
        start =
            OffThread::Run<CSittingStart>(db->Target(), [examId, userKey, uid](CDaoDatabase& own) {
                return StartSitting(own, examId, userKey, uid);
            });
        m_unanswered.erase(examId);
    } catch (const CDaoException& e) {
        Platform().MessageBox(
            m_pOwner,
            u"考试没有开始:数据库暂时无法连接,无法记录考试的开始。请稍后再按空格键开始,"
            "或告诉老师。\n错误信息:%1"_s.arg(ExplainDaoError(e.GetErrorMessage())),
            u"提示"_s, MB_OK | MB_ICONEXCLAMATION);
        return std::nullopt;
    }
    if (!start.sitting) {
        Platform().MessageBox(m_pOwner, u"考试没有开始:%1"_s.arg(start.strRefusal), u"提示"_s,
                              MB_OK | MB_ICONEXCLAMATION);
        return std::nullopt;
    }
    return start.sitting;
}

void CExamRunner::EndSitting(const CExamSitting& sitting, const CSittingResult& result)
{
    CDaoDatabase* db = ActiveDatabase();
    CSittingOutcome outcome;
    bool bStored = false;
    if (db) {
        try {
            outcome = OffThread::Run<CSittingOutcome>(db->Target(), [result](CDaoDatabase& own) {
                const CSittingOutcome finished = FinishSitting(own, result);
                // Results kept while the database was away follow now.
                PendingResults::Flush(own, result.nUserKey);
                return finished;
            });
            bStored = true;
        } catch (const CDaoException&) {
            // Kept on this machine below (a server that answers too late
            // finds it stored already when it is sent again).
        }
    }
    // What was typed, scored here as the database scores it: the mistakes
    // to show, and the figures when the database could not be reached.
    const qint64 limitMs = qint64(sitting.nMinutes) * 60000;
    const ExamScoring::CFigures local = ExamScoring::Score(
        sitting.screenCells, sitting.screenTexts, result.typedCells, result.typedTexts,
        sitting.nKind, limitMs, limitMs, result.nKeyMedianMs, result.nKeySpreadMs);
    CExamResultDlg::Storage storage = CExamResultDlg::Storage::Stored;
    QString detail;
    ExamScoring::CFigures figures = local;
    if (bStored && outcome.kind == CSittingOutcome::Refused) {
        storage = CExamResultDlg::Storage::Refused;
        detail = outcome.strReason;
    } else if (bStored) {
        figures = outcome.figures;
        figures.mistakes = local.mistakes;
    } else {
        QString error;
        storage = PendingResults::Keep(result, &error) ? CExamResultDlg::Storage::Kept
                                                       : CExamResultDlg::Storage::Lost;
        detail = error;
    }
    CExamResultDlg window(sitting.strTitle, sitting.nKind, limitMs, figures, storage, detail,
                          m_pOwner);
    window.DoModal();
}
