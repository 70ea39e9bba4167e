#include "exams/TakeExamDlg.h"

#include "attempts/ExamSitting.h"
#include "attempts/Metrics.h"
#include "platform/Dispatch.h"
#include "platform/ListCtrl.h"
#include "platform/Platform.h"
#include "res/DialogIds.h"
#include "users/Database.h"
#include "users/DialogAsk.h"
#include "users/ReportList.h"
#include "users/Session.h"

using namespace Qt::Literals::StringLiterals;

namespace {

using enum TakeExamDlgIds::Id;

const QList<ListColumn> g_columns = {
    {u"考试"_s, 150}, {u"类型"_s, 45}, {u"限时"_s, 55}, {u"退格键"_s, 55}, {u"重考"_s, 45},
};

} // namespace

CTakeExamDlg::CTakeExamDlg(const CSession& session, QWidget* parent)
    : CDialog(IDD, parent), m_session(session)
{
}

bool CTakeExamDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_listExams = Item<CListCtrl>(IDC_EXAMS);
    SetUpReportList(m_listExams, g_columns);
    // Read on the session's worker and listed once answered.
    AskForDialog<QList<CExam>>(
        this, m_session,
        [className = m_session.Account().strClass](CDaoDatabase& own) {
            return ExamStore::OpenExamsOf(own, className);
        },
        [this](QList<CExam> exams) {
            m_exams = std::move(exams);
            ShowExams();
        },
        [this] { EndDialog(IDCANCEL_RESULT); });
    return true;
}

void CTakeExamDlg::ShowExams()
{
    if (m_exams.isEmpty()) {
        Platform().MessageBox(this, u"%1现在没有打开的考试。"_s.arg(m_session.Account().strClass),
                              u"提示"_s, MB_OK | MB_ICONINFORMATION);
        EndDialog(IDCANCEL_RESULT);
        return;
    }
    SetDlgItemText(IDC_CLASS, u"%1的考试:"_s.arg(m_session.Account().strClass));
    QList<QStringList> rows;
    for (const CExam& exam : std::as_const(m_exams))
        rows.append({exam.strTitle, Metrics::KindName(exam.nKind), u"%1分钟"_s.arg(exam.nMinutes),
                     exam.bBackspaceAllowed ? u"允许"_s : u"不允许"_s,
                     exam.bRetakeAllowed ? u"允许"_s : u"不允许"_s});
    m_listExams->AppendRows(rows);
    m_listExams->setCurrentIndex(m_listExams->model()->index(0, 0));
    connect(m_listExams, &QAbstractItemView::doubleClicked, this,
            [this] { Dispatch([this] { OnOK(); }); });
}

bool CTakeExamDlg::Refuse(const QString& text)
{
    Platform().MessageBox(this, text, u"提示"_s, MB_OK | MB_ICONEXCLAMATION);
    return false;
}

void CTakeExamDlg::OnOK()
{
    const int row = m_listExams->currentIndex().row();
    if (row < 0 || row >= m_exams.size()) {
        Refuse(u"请先选择一场考试!"_s);
        return;
    }
    // Read again: the teacher may have closed or changed it meanwhile.
    struct CChecked
    {
        std::optional<CExam> exam;
        bool bCanSit = false;
    };
    const CAccount account = m_session.Account();
    AskForDialog<CChecked>(
        this, m_session,
        [id = m_exams[row].nId, account](CDaoDatabase& own) {
            CChecked checked{ExamStore::LoadExam(own, id), false};
            if (checked.exam && checked.exam->bOpen &&
                checked.exam->classes.contains(account.strClass))
                checked.bCanSit = ExamStore::CanSit(own, *checked.exam, account.nKey);
            else
                checked.exam.reset();
            return checked;
        },
        [this, title = m_exams[row].strTitle](const CChecked& checked) {
            if (!checked.exam) {
                Refuse(u"考试《%1》已经关闭。"_s.arg(title));
                return;
            }
            // Told here already; the start itself is checked by the database.
            if (!checked.bCanSit) {
                Refuse(
                    u"你已经参加过考试《%1》,这场考试不允许重考。"_s.arg(checked.exam->strTitle));
                return;
            }
            m_chosen = *checked.exam;
            CDialog::OnOK();
        });
}
