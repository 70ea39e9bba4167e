#include "practice/ResultDlg.h"

#include "attempts/AttemptStore.h"
#include "attempts/ExamSitting.h"
#include "attempts/Metrics.h"
#include "attempts/PendingResults.h"
#include "platform/ListCtrl.h"
#include "platform/Platform.h"
#include "practice/PracticeState.h"
#include "users/CurrentUser.h"
#include "users/Database.h"
#include "users/ReportList.h"

using namespace Qt::Literals::StringLiterals;

namespace {
const QList<ListColumn> g_userColumns = {
    {u"姓名"_s, 70}, {u"班级"_s, 90}, {u"学号"_s, 70}, {u"用户类型"_s, 90}, {u"登录时间"_s, 90},
};

const QList<ListColumn> g_scoreColumns = {
    {u"测试日期"_s, 80}, {u"测试类型"_s, 80}, {u"中文成绩"_s, 80}, {u"英文成绩"_s, 80},
    {u"数字成绩"_s, 80}, {u"符号成绩"_s, 80}, {u"所用时间"_s, 60}, {u"正确率(%)"_s, 80},
};

// The score field and list column of a kind's speed follow the kind's order.
constexpr int FirstSpeedField = 4;
constexpr int FirstSpeedColumn = 2;

// "中文测试", "英文测试", ...: the kind's name as the score list shows it.
QString KindLabel(int kind)
{
    const QString name = Metrics::KindName(kind);
    return name.isEmpty() ? name : name + u"测试"_s;
}

bool IsPracticeKind(int kind)
{
    return kind >= PracticeKind::Chinese && kind <= PracticeKind::Symbol;
}

constexpr int IDC_QUESTION = 1005;

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

    // The one accuracy of every window: truncated, so 57 of 100 gives 56.
    const int accuracy = Metrics::Accuracy(CorrectCount, TypedCount);
    const int speed = ElapsedSeconds == 0 ? 0 : CorrectCount / ElapsedSeconds;
    m_strAccuracy = u"%1%"_s.arg(accuracy);
    m_strSpeed = QString::number(speed);
    m_strTime = QString::number(ElapsedSeconds);
    FillScoreList();
    if (m_pSitting && m_pAttempt)
        StoreExamResult();
    return true;
}

FieldList CResultDlg::ScoreFields() const
{
    // The accuracy is stored as the number before the percent sign.
    const qint16 accuracy = m_strAccuracy.left(m_strAccuracy.indexOf(u'%')).toShort();
    FieldList fields = {
        {0, CDaoFieldValue::FromText(CurrentUser.Name)},
        {1, CDaoFieldValue::FromText(CurrentUser.StudentNo)},
        {3, CDaoFieldValue::FromText(m_strKind)},
        {8, CDaoFieldValue::FromText(m_strTime)},
        {9, CDaoFieldValue::FromInt16(accuracy)},
    };
    if (IsPracticeKind(CurrentPracticeKind))
        fields.push_back({FirstSpeedField + CurrentPracticeKind - PracticeKind::Chinese,
                          CDaoFieldValue::FromText(m_strSpeed)});
    return fields;
}

void CResultDlg::StoreExamResult()
{
    // No Cancel: the result of an exam is stored whatever the pupil presses.
    if (QWidget* cancel = GetDlgItem(IDCANCEL_RESULT))
        cancel->hide();
    const CPendingResult result{ScoreFields(), *m_pAttempt, *m_pSitting};
    CDaoDatabase* db = ActiveDatabase();
    if (db) {
        try {
            StoreSittingResult(*db, result.scoreFields, result.attempt, result.sitting);
            SetDlgItemText(IDC_QUESTION, u"考试结束,成绩已保存。"_s);
            // Results kept while the database was away follow now.
            PendingResults::Flush(*db);
            return;
        } catch (const CDaoException&) {
            // Kept on this machine below.
        }
    }
    QString error;
    if (PendingResults::Keep(result, &error)) {
        SetDlgItemText(IDC_QUESTION,
                       u"数据库暂时无法连接,成绩已暂存在本机,数据库恢复后自动保存。"_s);
    } else {
        SetDlgItemText(IDC_QUESTION, u"成绩未能保存!"_s);
        AfxMessageBox(
            u"数据库暂时无法连接,成绩也无法暂存在本机(%1)。请把此窗口中的成绩告诉老师。"_s.arg(
                error),
            MB_OK | MB_ICONSTOP);
    }
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
    if (!IsPracticeKind(CurrentPracticeKind))
        return;
    m_strKind = KindLabel(CurrentPracticeKind);
    m_listScore->SetItemText(0, 1, m_strKind);
    m_listScore->SetItemText(0, FirstSpeedColumn + CurrentPracticeKind - PracticeKind::Chinese,
                             m_strSpeed);
    m_listScore->SetItemText(0, 6, m_strTime);
    m_listScore->SetItemText(0, 7, m_strAccuracy);
}

void CResultDlg::OnOK()
{
    if (m_pSitting) {
        CDialog::OnOK(); // stored, or kept, as the dialog opened
        return;
    }
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
    // A store that did not commit (another program held the database past
    // the busy timeout, the server was away) is reported, and the dialog
    // stays open so that OK can be pressed again. The attempt goes with
    // the score row: both are stored or neither.
    try {
        if (!AppendScoreWithAttempt(db, fields, m_pAttempt))
            return;
    } catch (const CDaoException& e) {
        ReportDaoError(e);
        return;
    }
    CDialog::OnOK();
}
