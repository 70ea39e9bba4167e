#include "exams/ExamRunner.h"

#include "exams/ExamResult.h"
#include "platform/DaoErrorText.h"
#include "platform/DaoOffThread.h"
#include "platform/Platform.h"
#include "users/Session.h"

#include <QUuid>

using namespace Qt::Literals::StringLiterals;

std::optional<CExamSitting> CExamRunner::BeginSitting(qint64 examId)
{
    CDaoDatabase* db = m_session.Database();
    if (!db) {
        Platform().MessageBox(m_pOwner, u"数据库未正确连接,考试无法开始。"_s, u"提示"_s,
                              MB_OK | MB_ICONEXCLAMATION);
        return std::nullopt;
    }
    CSittingStart start;
    const qint64 userKey = m_session.Account().nKey;
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

CSittingShown CExamRunner::EndSitting(const CExamSitting& sitting, const CSittingResult& result)
{
    const CSittingStored stored = CResultStore(m_session.Database()).StoreSitting(sitting, result);
    return ExamResult::Shown(sitting.strTitle, sitting.nKind, qint64(sitting.nMinutes) * 60000,
                             stored.figures, stored.storage, stored.strDetail);
}
