#include "exams/ExamRunner.h"

#include "attempts/ResultStore.h"
#include "exams/ExamResult.h"
#include "platform/DaoErrorText.h"
#include "platform/Platform.h"
#include "users/Session.h"

#include <QTimer>
#include <QUuid>

using namespace Qt::Literals::StringLiterals;

void CExamRunner::BeginSitting(QObject* context, qint64 examId,
                               std::function<void(std::optional<CExamSitting>)> begun,
                               std::function<bool(const QString& notice)> waiting)
{
    if (!m_session.Database()) {
        Platform().MessageBox(m_pOwner, u"数据库未正确连接,考试无法开始。"_s, u"提示"_s,
                              MB_OK | MB_ICONEXCLAMATION);
        begun(std::nullopt);
        return;
    }
    const qint64 userKey = m_session.Account().nKey;
    const QString uid =
        m_unanswered.try_emplace(examId, QUuid::createUuid().toString(QUuid::WithoutBraces))
            .first->second;
    m_session.Ask<CSittingStart>(
        context,
        [examId, userKey, uid](CDaoDatabase& own) {
            return StartSitting(own, examId, userKey, uid);
        },
        [this, context, examId, begun, waiting](const CSittingStart& start) {
            m_unanswered.erase(examId);
            if (start.waitMs && waiting) {
                WaitForStart(context, examId, *start.waitMs, begun, waiting);
                return;
            }
            if (!start.sitting)
                Platform().MessageBox(m_pOwner, u"考试没有开始:%1"_s.arg(start.strRefusal),
                                      u"提示"_s, MB_OK | MB_ICONEXCLAMATION);
            begun(start.sitting);
        },
        [this, begun](const CDaoException& e) {
            Platform().MessageBox(
                m_pOwner,
                u"考试没有开始:数据库暂时无法连接,无法记录考试的开始。请稍后再按空格键开始,"
                "或告诉老师。\n错误信息:%1"_s.arg(ExplainDaoError(e.GetErrorMessage())),
                u"提示"_s, MB_OK | MB_ICONEXCLAMATION);
            begun(std::nullopt);
        });
}

void CExamRunner::WaitForStart(QObject* context, qint64 examId, qint64 waitMs,
                               std::function<void(std::optional<CExamSitting>)> begun,
                               std::function<bool(const QString& notice)> waiting)
{
    const QString notice =
        waitMs < 0 ? u"等待老师开始比赛……"_s : u"比赛 %1 秒后开始"_s.arg((waitMs + 999) / 1000);
    if (!waiting(notice))
        return; // the pupil left the card
    QTimer::singleShot(NextStartAskMs(waitMs), context, [this, context, examId, begun, waiting] {
        BeginSitting(context, examId, begun, waiting);
    });
}

void CExamRunner::EndSitting(QObject* context, const CExamSitting& sitting,
                             const CSittingResult& result,
                             std::function<void(const CSittingShown&)> shown)
{
    CResultStore(m_session).StoreSitting(
        context, sitting, result, [sitting, shown](const CSittingStored& stored) {
            shown(ExamResult::Shown(sitting.strTitle, sitting.nKind,
                                    qint64(sitting.nMinutes) * 60000, stored.figures,
                                    stored.storage, stored.strDetail));
        });
}
