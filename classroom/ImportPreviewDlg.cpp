#include "classroom/ImportPreviewDlg.h"

#include "classroom/LoginCardsDlg.h"

#include "classroom/ImportReadDlg.h"
#include "classroom/PupilStore.h"
#include "platform/DaoWorker.h"
#include "platform/ListCtrl.h"
#include "platform/FileChooser.h"
#include "platform/Platform.h"
#include "platform/ProgressCtrl.h"
#include "res/DialogIds.h"
#include "users/Database.h"
#include "users/ReportList.h"
#include "users/Session.h"

#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;

namespace {

using enum ImportPreviewDlgIds::Id;

const QList<ListColumn> g_columns = {
    {u"行"_s, 40},   {u"姓名"_s, 80}, {u"班级"_s, 90},
    {u"学号"_s, 80}, {u"密码"_s, 70}, {u"结果"_s, 240},
};

// A cell as the list shows it: a refused name may be far longer than a
// column, and a list row is no place for a whole paragraph.
QString Shown(const QString& text)
{
    constexpr int MaxShown = 40;
    return text.size() > MaxShown ? text.left(MaxShown - 1) + u'…' : text;
}

QString Lines(const CClassListRow& row)
{
    return row.nLastLine > row.nLine ? u"%1–%2"_s.arg(row.nLine).arg(row.nLastLine)
                                     : QString::number(row.nLine);
}

} // namespace

CImportPreviewDlg::CImportPreviewDlg(const CSession& session, QString fileName, QString encoding,
                                     QList<CImportRow> plan, QWidget* parent)
    : CDialog(IDD, parent), m_session(session), m_strFileName(std::move(fileName)),
      m_strEncoding(std::move(encoding)), m_plan(std::move(plan))
{
}

int CImportPreviewDlg::AcceptedCount() const
{
    return int(std::count_if(m_plan.cbegin(), m_plan.cend(),
                             [](const CImportRow& row) { return row.IsAccepted(); }));
}

bool CImportPreviewDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_listRows = Item<CListCtrl>(IDC_ROWS);
    m_wndProgress = Item<CProgressCtrl>(IDC_PROGRESS);
    SetUpReportList(m_listRows, g_columns);
    QList<QStringList> rows;
    for (const CImportRow& row : std::as_const(m_plan)) {
        QString result = u"将添加"_s;
        if (!row.IsAccepted())
            result = u"拒绝:%1"_s.arg(row.strRefusal);
        else if (row.bRandomPassword)
            result = u"将添加(随机密码)"_s;
        rows.append({Lines(row.source), Shown(row.source.strName), Shown(row.source.strClass),
                     Shown(row.source.strStudentNo), Shown(row.pupil.strPassword), result});
    }
    m_listRows->AppendRows(rows);
    // The line numbers stand whole, however many lines the file has.
    m_listRows->FitColumnToContents(0);
    const int accepted = AcceptedCount();
    SetDlgItemText(IDC_SUMMARY,
                   u"文件:%1(%2)\n将添加 %3 名学生,拒绝 %4 行。按“确定导入”才会写入数据库。"_s
                       .arg(m_strFileName, m_strEncoding)
                       .arg(accepted)
                       .arg(m_plan.size() - accepted));
    GetDlgItem(IDOK_RESULT)->setEnabled(accepted > 0);
    return true;
}

void CImportPreviewDlg::OnOK()
{
    QList<CPupil> pupils;
    for (const CImportRow& row : std::as_const(m_plan)) {
        if (row.IsAccepted())
            pupils.append(row.pupil);
    }
    if (pupils.isEmpty())
        return;
    if (!m_session.GuardedDatabase())
        return;
    m_wndProgress->setRange(0, int(pupils.size()));
    SetWaiting(true);
    // The hashes and the rows are made on the session's worker; the list
    // and its progress keep painting meanwhile.
    const auto progress =
        CDaoWorker::Reporter(this, [this](int done) { m_wndProgress->setValue(done); });
    m_session.Ask<QList<qint64>>(
        this,
        [pupils, progress](CDaoDatabase& own) { return PupilStore::AddAll(own, pupils, progress); },
        [this, pupils](const QList<qint64>&) { Added(pupils); },
        [this](const CDaoException& e) {
            SetWaiting(false);
            m_wndProgress->setValue(0);
            ReportDaoError(e);
        },
        CDaoWorker::Deadline::None);
}

void CImportPreviewDlg::Added(const QList<CPupil>& pupils)
{
    SetWaiting(false);
    m_wndProgress->setValue(int(pupils.size()));
    m_nAdded = int(pupils.size());
    // The passwords can be printed now only: they are never read back.
    if (Platform().MessageBox(this, ImportedQuestion(m_nAdded), u"提示"_s,
                              MB_YESNO | MB_ICONQUESTION) == IDYES) {
        CLoginCardsDlg cards(m_session, pupils, u"新导入的学生"_s, this);
        cards.DoModal();
    }
    EndDialog(IDOK_RESULT);
}

QString ImportedQuestion(int added)
{
    return u"已导入 %1 名学生。现在打印他们的登录卡吗?\n密码只有现在能打印,以后忘了只能由老师重设。"_s
        .arg(added);
}

bool ImportClassList(const CSession& session, QWidget* owner)
{
    if (!session.GuardedDatabase())
        return false;
    // The filter's name says what a class list holds.
    const QString path =
        FileChooser::ChooseOpenFile(owner, u"导入学生名单:每行姓名、班级、学号、密码(可不填)"_s,
                                    u"学生名单:姓名 班级 学号 密码 (*.xlsx *.csv);;所有文件 (*)"_s);
    if (path.isEmpty())
        return false;
    const QString fileName = QFileInfo(path).fileName();
    // The file is read and checked off the interface thread.
    CImportReadDlg reading(session, path, owner);
    if (reading.DoModal() != IDOK)
        return false;
    const CImportPlan& plan = reading.Plan();
    if (!plan.strError.isEmpty()) {
        Platform().MessageBox(
            owner, u"无法导入“%1”:%2。\n没有写入任何内容。"_s.arg(fileName, plan.strError),
            u"错误!"_s, MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    CImportPreviewDlg preview(session, fileName, plan.strEncoding, plan.rows, owner);
    preview.DoModal();
    return preview.AddedCount() > 0;
}
