#include "reports/DoubtsDlg.h"

#include "attempts/Metrics.h"
#include "classroom/ClassCombo.h"
#include "classroom/ClassNames.h"
#include "platform/ListCtrl.h"
#include "platform/Platform.h"
#include "res/DialogIds.h"
#include "users/Database.h"
#include "users/DialogAsk.h"
#include "users/ReportList.h"
#include "users/Session.h"

#include <QComboBox>
#include <QLineEdit>

using namespace Qt::Literals::StringLiterals;

namespace {

using enum DoubtsDlgIds::Id;

const QList<ListColumn> g_columns = {{u"时间"_s, 110}, {u"姓名"_s, 70}, {u"班级"_s, 80},
                                     {u"类型"_s, 60},  {u"速度"_s, 90}, {u"正确率"_s, 50},
                                     {u"原因"_s, 300}};

} // namespace

CDoubtsDlg::CDoubtsDlg(const CSession& session, QWidget* parent)
    : CDialog(IDD, parent), m_session(session)
{
}

bool CDoubtsDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_listResults = Item<CListCtrl>(IDC_RESULTS);
    m_comboClass = Item<QComboBox>(IDC_CLASS);
    m_editChinese = Item<QLineEdit>(IDC_CHINESE);
    m_editOthers = Item<QLineEdit>(IDC_OTHERS);
    SetUpReportList(m_listResults, g_columns);
    // The classes once the results are in: a server that does not answer
    // is told once.
    LoadResults([this] { EndDialog(IDCANCEL_RESULT); },
                [this] {
                    FillClassCombo(this, m_session, m_comboClass, std::nullopt,
                                   [this] { ShowClass(); });
                });
    return true;
}

void CDoubtsDlg::LoadResults(std::function<void()> afterFailure, std::function<void()> then)
{
    AskForDialog<QList<Doubts::CResultInDoubt>>(
        this, m_session, [](CDaoDatabase& own) { return Doubts::LoadInDoubt(own); },
        [this, then = std::move(then)](QList<Doubts::CResultInDoubt> results) {
            ShowResults(std::move(results));
            if (then)
                then();
        },
        std::move(afterFailure));
}

void CDoubtsDlg::ShowResults(QList<Doubts::CResultInDoubt> results)
{
    m_results = std::move(results);
    QList<QStringList> rows;
    for (const Doubts::CResultInDoubt& result : std::as_const(m_results)) {
        rows.append({result.startedAt.toString(u"yyyy-MM-dd HH:mm:ss"_s), result.strName,
                     ClassDisplayName(result.strClass),
                     Metrics::KindName(result.nKind) + (result.bExam ? u"考试"_s : u"练习"_s),
                     Metrics::SpeedText(
                         Metrics::KindSpeed(result.nKind, result.nCorrectUnits, result.nElapsedMs)),
                     Metrics::AccuracyText(result.nCorrectUnits, result.nTypedUnits),
                     result.strDoubt});
    }
    m_listResults->DeleteAllItems();
    m_listResults->AppendRows(rows);
    GetDlgItem(IDC_CONFIRM)->setEnabled(!m_results.isEmpty());
}

void CDoubtsDlg::OnCommand(int nID)
{
    switch (nID) {
    case IDC_CONFIRM:
        ConfirmSelected();
        break;
    case IDC_CLASS:
        ShowClass();
        break;
    case IDC_SET:
        SetClass();
        break;
    case IDC_DEFAULT:
        ClearClass();
        break;
    default:
        break;
    }
}

void CDoubtsDlg::ConfirmSelected()
{
    const int row = m_listResults->GetSelectionMark();
    if (row < 0 || row >= m_results.size()) {
        AfxMessageBox(u"请先在列表中选择要确认的成绩。"_s);
        return;
    }
    const Doubts::CResultInDoubt& result = m_results[row];
    if (Platform().MessageBox(
            this,
            u"确认%1的这次成绩(%2)是本人打的吗?确认后它计入最好成绩、排名和作业。"_s.arg(
                result.strName, result.strDoubt),
            u"确认成绩"_s, MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    AskForDialog(
        this, m_session,
        [attempt = result.nAttemptId](CDaoDatabase& own) { Doubts::Confirm(own, attempt); },
        [this] { LoadResults(); });
}

void CDoubtsDlg::ShowClass()
{
    if (m_comboClass->currentIndex() < 0) {
        SetDlgItemText(IDC_CLASS_INFO, u"还没有班级。"_s);
        return;
    }
    const QString className = m_comboClass->currentData().toString();
    AskForDialog<Doubts::CClassSpeed>(
        this, m_session,
        [className](CDaoDatabase& own) { return Doubts::LoadClassSpeed(own, className); },
        [this](const Doubts::CClassSpeed& speed) { ShowSpeed(speed); });
}

void CDoubtsDlg::ShowSpeed(const Doubts::CClassSpeed& speed)
{
    m_editChinese->setText(QString::number(speed.nChinese));
    m_editOthers->setText(QString::number(speed.nOthers));
    SetDlgItemText(IDC_CLASS_INFO, u"%1;%2"_s.arg(Doubts::SchoolYearText(speed.nSchoolYear),
                                                  speed.bSetByTeacher ? u"老师设定的速度"_s
                                                                      : u"按年级的默认速度"_s));
}

int CDoubtsDlg::EditNumber(int nID, QLineEdit* edit, const QString& what, int min, int max)
{
    bool ok = false;
    const int value = edit->text().toInt(&ok);
    if (ok && value >= min && value <= max)
        return value;
    AfxMessageBox(u"%1应为 %2 到 %3 之间的数。"_s.arg(what).arg(min).arg(max));
    SelectEditText(nID);
    return -1;
}

void CDoubtsDlg::SetClass()
{
    if (m_comboClass->currentIndex() < 0)
        return;
    const int chinese = EditNumber(IDC_CHINESE, m_editChinese, u"中文的可信速度"_s,
                                   Doubts::MinChinese, Doubts::MaxChinese);
    if (chinese < 0)
        return;
    const int others = EditNumber(IDC_OTHERS, m_editOthers, u"英文、数字、符号的可信速度"_s,
                                  Doubts::MinOthers, Doubts::MaxOthers);
    if (others < 0)
        return;
    const QString className = m_comboClass->currentData().toString();
    AskForDialog(
        this, m_session,
        [className, chinese, others](CDaoDatabase& own) {
            Doubts::SetClassSpeed(own, className, chinese, others);
        },
        [this] { ShowClass(); });
}

void CDoubtsDlg::ClearClass()
{
    if (m_comboClass->currentIndex() < 0)
        return;
    const QString className = m_comboClass->currentData().toString();
    AskForDialog(
        this, m_session,
        [className](CDaoDatabase& own) { Doubts::ClearClassSpeed(own, className); },
        [this] { ShowClass(); });
}

void OpenDoubts(const CSession& session)
{
    CDaoDatabase* db = session.GuardedDatabase();
    if (!db)
        return;
    if (!db->IsPostgres()) {
        AfxMessageBox(u"可疑成绩由服务器数据库判定;本机的数据库文件不标可疑成绩。"_s);
        return;
    }
    CDoubtsDlg dlg(session);
    dlg.DoModal();
}
