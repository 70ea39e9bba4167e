#include "exams/ExamsDlg.h"

#include "exams/ExamEditDlg.h"
#include "exams/ExamResultsDlg.h"
#include "platform/ListCtrl.h"
#include "platform/Platform.h"
#include "res/DialogIds.h"
#include "texts/TextStore.h"
#include "users/Database.h"
#include "users/Session.h"

using namespace Qt::Literals::StringLiterals;

namespace {

using enum ExamsDlgIds::Id;

const QList<ListColumn> g_columns = {
    {u"考试"_s, 150}, {u"文章"_s, 130}, {u"屏"_s, 35},     {u"限时"_s, 55},
    {u"班级"_s, 140}, {u"状态"_s, 50},  {u"退格键"_s, 55}, {u"重考"_s, 45},
};

} // namespace

CExamsDlg::CExamsDlg(const CSession& session, QWidget* parent)
    : CClassTaskListDlg(IDD, u"请先选择一场考试!"_s, parent), m_session(session)
{
}

bool CExamsDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_listExams = Item<CListCtrl>(IDC_EXAMS);
    SetUpList(m_listExams, g_columns, IDC_RESULTS);
    if (!m_session.OnDatabase([this](CDaoDatabase& db) { m_exams = ExamStore::LoadExams(db); }))
        EndDialog(IDCANCEL_RESULT);
    else
        Reload();
    return true;
}

void CExamsDlg::Reload(qint64 chooseId)
{
    QList<QStringList> rows;
    QList<qint64> ids;
    for (const CExam& exam : std::as_const(m_exams)) {
        ids.append(exam.nId);
        rows.append({exam.strTitle, exam.strTextTitle, QString::number(exam.nScreen),
                     u"%1分钟"_s.arg(exam.nMinutes), exam.classes.join(u"、"_s),
                     exam.bOpen ? u"打开"_s : u"关闭"_s,
                     exam.bBackspaceAllowed ? u"允许"_s : u"不允许"_s,
                     exam.bRetakeAllowed ? u"允许"_s : u"不允许"_s});
    }
    // The exam worked on stays chosen; at first the newest one is.
    ShowRows(rows, ids, chooseId);
}

const CExam* CExamsDlg::Selected()
{
    const int row = ChosenRow();
    return row >= 0 && row < m_exams.size() ? &m_exams[row] : nullptr;
}

void CExamsDlg::OnCommand(int nID)
{
    switch (nID) {
    case IDC_NEW: {
        bool bHasTexts = false;
        if (!m_session.OnDatabase([&bHasTexts](CDaoDatabase& db) {
                bHasTexts = !TextStore::LoadTexts(db).isEmpty();
            }))
            return;
        if (!bHasTexts) {
            Platform().MessageBox(this, u"文章库中还没有文章,请先在\"练习文章\"中添加。"_s,
                                  u"提示"_s, MB_OK | MB_ICONEXCLAMATION);
            return;
        }
        Edit(CExam());
        break;
    }
    case IDC_EDIT:
        if (const CExam* exam = Selected())
            Edit(*exam);
        break;
    case IDC_OPEN:
        ToggleOpen();
        break;
    case IDC_RESULTS:
        ShowResults();
        break;
    case IDC_DELETE:
        DeleteSelected();
        break;
    default:
        break;
    }
}

void CExamsDlg::Edit(const CExam& exam)
{
    CExamEditDlg edit(m_session, exam, this);
    if (edit.DoModal() != IDOK)
        return;
    m_session.OnDatabase([this](CDaoDatabase& db) { m_exams = ExamStore::LoadExams(db); });
    Reload(edit.Exam().nId);
}

void CExamsDlg::ToggleOpen()
{
    const CExam* exam = Selected();
    if (!exam)
        return;
    const qint64 id = exam->nId;
    const bool bOpen = !exam->bOpen;
    m_session.OnDatabase([this, id, bOpen](CDaoDatabase& db) {
        ExamStore::SetOpen(db, id, bOpen);
        m_exams = ExamStore::LoadExams(db);
    });
    Reload();
}

void CExamsDlg::ShowResults()
{
    if (const CExam* exam = Selected()) {
        CExamResultsDlg results(m_session, *exam, this);
        results.DoModal();
    }
}

void CExamsDlg::DeleteSelected()
{
    const CExam* exam = Selected();
    if (!exam)
        return;
    const CExam chosen = *exam;
    int sittings = 0;
    if (!m_session.OnDatabase(
            [&](CDaoDatabase& db) { sittings = ExamStore::CountSittings(db, chosen.nId); }))
        return;
    const QString question = sittings == 0
                                 ? u"确定要删除考试《%1》吗?"_s.arg(chosen.strTitle)
                                 : u"确定要删除考试《%1》吗?它的 %2 条考试记录也将一起删除"
                                   "(学生的练习成绩保留)。"_s.arg(chosen.strTitle)
                                       .arg(sittings);
    if (Platform().MessageBox(this, question, u"提示!"_s,
                              MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES)
        return;
    m_session.OnDatabase([this, &chosen](CDaoDatabase& db) {
        ExamStore::DeleteExam(db, chosen.nId);
        m_exams = ExamStore::LoadExams(db);
    });
    Reload();
}
