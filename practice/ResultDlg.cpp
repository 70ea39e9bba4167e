#include "practice/ResultDlg.h"

#include "attempts/Metrics.h"
#include "attempts/ResultStore.h"
#include "attempts/ScoreRow.h"
#include "platform/ListCtrl.h"
#include "platform/Platform.h"
#include "practice/PracticeState.h"
#include "users/CurrentUser.h"
#include "users/Database.h"
#include "users/ReportList.h"
#include "users/Session.h"

using namespace Qt::Literals::StringLiterals;

namespace {
const QList<ListColumn> g_userColumns = {
    {u"姓名"_s, 70}, {u"班级"_s, 90}, {u"学号"_s, 70}, {u"用户类型"_s, 90}, {u"登录时间"_s, 90},
};

const QList<ListColumn> g_scoreColumns = {
    {u"测试日期"_s, 80}, {u"测试类型"_s, 80}, {u"中文成绩"_s, 80}, {u"英文成绩"_s, 80},
    {u"数字成绩"_s, 80}, {u"符号成绩"_s, 80}, {u"所用时间"_s, 60}, {u"正确率(%)"_s, 80},
};

// The list column of a kind's speed follows the kind's order.
constexpr int FirstSpeedColumn = 2;

} // namespace

CResultDlg::CResultDlg(QWidget* parent) : CDialog(148, parent) {}

bool CResultDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_listUser = Item<CListCtrl>(1003);
    m_listScore = Item<CListCtrl>(1004);
    SetUpTrackingReportList(m_listUser, g_userColumns);
    SetUpTrackingReportList(m_listScore, g_scoreColumns);
    FillUserList();

    // The shared counters themselves are clamped, as the practice left them.
    CorrectCount = qMax(CorrectCount, 0);
    TypedCount = qMax(TypedCount, 0);
    ElapsedSeconds = qMax(ElapsedSeconds, 0);

    // The one accuracy of every window, in integers: 57 of 100 gives 57.
    const int accuracy = Metrics::Accuracy(CorrectCount, TypedCount);
    const int speed = Metrics::ScoreSpeed(CorrectCount, ElapsedSeconds);
    m_strAccuracy = u"%1%"_s.arg(accuracy);
    m_strSpeed = QString::number(speed);
    m_strTime = QString::number(ElapsedSeconds);
    FillScoreList();
    return true;
}

FieldList PracticeScoreFields(int kind, const QString& speed, const QString& seconds,
                              qint16 accuracy)
{
    return ScoreRow::Fields(CurrentUser.Name, CurrentUser.StudentNo, kind, speed, seconds,
                            accuracy);
}

FieldList CResultDlg::ScoreFields() const
{
    // The accuracy is stored as the number before the percent sign.
    const qint16 accuracy = m_strAccuracy.left(m_strAccuracy.indexOf(u'%')).toShort();
    FieldList fields = PracticeScoreFields(CurrentPracticeKind, m_strSpeed, m_strTime, accuracy);
    fields[2].second = CDaoFieldValue::FromText(m_strKind);
    return fields;
}

void CResultDlg::FillUserList()
{
    m_listUser->InsertItem(0, CurrentUser.Name);
    m_listUser->SetItemText(0, 1, CurrentUser.Class);
    m_listUser->SetItemText(0, 2, CurrentUser.StudentNo);
    m_listUser->SetItemText(0, 3, CurrentUser.KindText);
}

void CResultDlg::FillScoreList()
{
    m_listScore->InsertItem(0, u"  "_s);
    if (!PracticeKind::IsPractice(CurrentPracticeKind))
        return;
    m_strKind = PracticeKind::ScoreLabel(CurrentPracticeKind);
    m_listScore->SetItemText(0, 1, m_strKind);
    m_listScore->SetItemText(0, FirstSpeedColumn + CurrentPracticeKind - PracticeKind::Chinese,
                             m_strSpeed);
    m_listScore->SetItemText(0, 6, m_strTime);
    m_listScore->SetItemText(0, 7, m_strAccuracy);
}

void CResultDlg::OnOK()
{
    CDaoDatabase* db = ActiveDatabase();
    if (!db) {
        AfxMessageBox(Guard::ResultNotConnected);
        return;
    }
    if (CurrentUser.KindCode != UserKind::Ordinary) {
        Platform().MessageBox(this, u"超级用户无需保存成绩记录,或普通用户无权保存记录!"_s,
                              u"提示"_s, MB_OK | MB_ICONEXCLAMATION);
        CDialog::OnOK();
        return;
    }

    const FieldList fields = ScoreFields();
    // The store runs on the session's worker; the buttons wait for its
    // answer. A store that did not commit (another program held the
    // database past the busy timeout, the server was away) is reported, and
    // the dialog stays open so that OK can be pressed again. The attempt
    // goes with the score row: both are stored or neither.
    SetWaiting(true);
    CResultStore(CSession::Instance())
        .StorePractice(
            this, fields, m_pAttempt, [this] { CDialog::OnOK(); },
            [this](const CDaoException& e) {
                SetWaiting(false);
                ReportDaoError(e);
            });
}
