#include "exams/ExamsDlg.h"

#include "exams/CompetitionBoardWnd.h"
#include "exams/CompetitionStore.h"
#include "exams/ExamEditDlg.h"
#include "exams/ExamResultsDlg.h"
#include "platform/Dao.h"
#include "platform/ListCtrl.h"
#include "platform/Platform.h"
#include "res/DialogIds.h"
#include "texts/TextStore.h"
#include "users/DialogAsk.h"
#include "users/Session.h"

using namespace Qt::Literals::StringLiterals;

namespace {

using enum ExamsDlgIds::Id;

const QList<ListColumn> g_columns = {
    {u"考试"_s, 150}, {u"文章"_s, 130}, {u"屏"_s, 35},     {u"限时"_s, 55},
    {u"班级"_s, 140}, {u"状态"_s, 90},  {u"退格键"_s, 55}, {u"重考"_s, 45},
};

// "打开", "关闭"; a competition's also says whether it started.
QString StateText(const CExam& exam)
{
    const QString open = exam.bOpen ? u"打开"_s : u"关闭"_s;
    if (!exam.competition)
        return open;
    return exam.competition->startsAt.isValid() ? u"比赛已开始,%1"_s.arg(open) : u"比赛未开始"_s;
}

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
    AfterChange({}, 0, [this] { EndDialog(IDCANCEL_RESULT); });
    return true;
}

void CExamsDlg::AfterChange(std::function<void(CDaoDatabase& own)> change, qint64 chooseId,
                            std::function<void()> afterFailure)
{
    AskForDialog<QList<CExam>>(
        this, m_session,
        [change = std::move(change)](CDaoDatabase& own) {
            if (change)
                change(own);
            return ExamStore::LoadExams(own);
        },
        [this, chooseId](QList<CExam> exams) {
            m_exams = std::move(exams);
            Reload(chooseId);
        },
        std::move(afterFailure));
}

void CExamsDlg::Reload(qint64 chooseId)
{
    QList<QStringList> rows;
    QList<qint64> ids;
    for (const CExam& exam : std::as_const(m_exams)) {
        ids.append(exam.nId);
        rows.append({exam.strTitle, exam.strTextTitle, QString::number(exam.nScreen),
                     u"%1分钟"_s.arg(exam.nMinutes), exam.classes.join(u"、"_s), StateText(exam),
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
    case IDC_NEW:
        AskForDialog<bool>(
            this, m_session, [](CDaoDatabase& own) { return !TextStore::LoadTexts(own).isEmpty(); },
            [this](bool bHasTexts) {
                if (bHasTexts)
                    Edit(CExam());
                else
                    Platform().MessageBox(this, u"文章库中还没有文章,请先在\"练习文章\"中添加。"_s,
                                          u"提示"_s, MB_OK | MB_ICONEXCLAMATION);
            });
        break;
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
    case IDC_START:
        StartCompetition();
        break;
    case IDC_BOARD:
        ShowBoard();
        break;
    default:
        break;
    }
}

void CExamsDlg::Edit(const CExam& exam)
{
    CExamEditDlg edit(m_session, exam, this);
    if (edit.DoModal() == IDOK)
        AfterChange({}, edit.Exam().nId);
}

void CExamsDlg::ToggleOpen()
{
    const CExam* exam = Selected();
    if (!exam)
        return;
    const qint64 id = exam->nId;
    const bool bOpen = !exam->bOpen;
    AfterChange([id, bOpen](CDaoDatabase& own) { ExamStore::SetOpen(own, id, bOpen); });
}

void CExamsDlg::StartCompetition()
{
    const CExam* exam = Selected();
    if (!exam)
        return;
    if (!exam->competition) {
        Platform().MessageBox(
            this,
            u"《%1》不是比赛。在\"修改\"中勾选\"作为比赛\"后才能开始比赛。"_s.arg(exam->strTitle),
            u"提示"_s, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    if (exam->competition->startsAt.isValid()) {
        Platform().MessageBox(this, u"比赛《%1》已经开始了。"_s.arg(exam->strTitle), u"提示"_s,
                              MB_OK | MB_ICONINFORMATION);
        return;
    }
    // A database file is one machine's: the others cannot take part.
    const bool bOneMachine = m_session.Database() && !m_session.Database()->IsPostgres();
    const QString question =
        u"确定现在开始比赛《%1》吗?\n%2 秒后,参加比赛的班级的学生一起开始。"_s.arg(exam->strTitle)
            .arg(CompetitionRules::CountdownMs / 1000) +
        (bOneMachine ? u"\n使用的是数据库文件,比赛只能在这台电脑上进行。"_s : QString());
    if (Platform().MessageBox(this, question, u"提示!"_s,
                              MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES)
        return;
    AfterChange([id = exam->nId](CDaoDatabase& own) { CompetitionStore::Start(own, id); },
                exam->nId);
}

void CExamsDlg::ShowBoard()
{
    const CExam* exam = Selected();
    if (!exam)
        return;
    if (!exam->competition) {
        Platform().MessageBox(this, u"《%1》不是比赛,没有比赛大屏。"_s.arg(exam->strTitle),
                              u"提示"_s, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    // The board belongs to the main window, and the list makes way: a
    // modal list left open would keep the keys and the mouse from it.
    m_pBoard = new CCompetitionBoardWnd(m_session, exam->nId, window()->parentWidget());
    EndDialog(IDCANCEL_RESULT);
    m_pBoard->Open();
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
    AskForDialog<int>(
        this, m_session,
        [id = chosen.nId](CDaoDatabase& own) { return ExamStore::CountSittings(own, id); },
        [this, chosen](int sittings) { AskToDelete(chosen, sittings); });
}

void CExamsDlg::AskToDelete(const CExam& chosen, int sittings)
{
    const QString question = sittings == 0
                                 ? u"确定要删除考试《%1》吗?"_s.arg(chosen.strTitle)
                                 : u"确定要删除考试《%1》吗?它的 %2 条考试记录也将一起删除"
                                   "(学生的练习成绩保留)。"_s.arg(chosen.strTitle)
                                       .arg(sittings);
    if (Platform().MessageBox(this, question, u"提示!"_s,
                              MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES)
        return;
    AfterChange([id = chosen.nId](CDaoDatabase& own) { ExamStore::DeleteExam(own, id); });
}
