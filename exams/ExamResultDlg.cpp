#include "exams/ExamResultDlg.h"

#include "attempts/Metrics.h"
#include "attempts/PracticeKind.h"
#include "documents/ExportCell.h"
#include "platform/ListCtrl.h"
#include "practice/QeDoc.h"
#include "res/DialogIds.h"
#include "users/ReportList.h"

using namespace Qt::Literals::StringLiterals;

namespace {

using enum ExamResultDlgIds::Id;

const QList<ListColumn> g_columns = {{u"位置"_s, 90}, {u"应打"_s, 80}, {u"打成"_s, 80}};

} // namespace

CExamResultDlg::CExamResultDlg(QString title, int kind, qint64 limitMs,
                               ExamScoring::CFigures figures, Storage storage, QString detail,
                               QWidget* parent)
    : CDialog(IDD, parent), m_strTitle(std::move(title)), m_nKind(kind), m_nLimitMs(limitMs),
      m_figures(std::move(figures)), m_storage(storage), m_strDetail(std::move(detail))
{
}

QString CExamResultDlg::StorageText() const
{
    switch (m_storage) {
    case Storage::Stored:
        return m_figures.bLate ? u"成绩已保存(补交)。"_s : u"成绩已保存。"_s;
    case Storage::Kept:
        return u"数据库暂时无法连接,成绩已暂存在本机,数据库恢复后会自动保存。"_s;
    case Storage::Refused:
        return u"成绩没有被保存:%1。老师会看到这个原因。"_s.arg(m_strDetail);
    case Storage::Lost:
        return u"成绩未能保存,也无法暂存在本机(%1)。请把此窗口中的成绩告诉老师。"_s.arg(
            m_strDetail);
    }
    return {};
}

bool CExamResultDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetDlgItemText(IDC_HEADING, u"考试《%1》结束。"_s.arg(m_strTitle));
    const Metrics::Speed speed =
        Metrics::KindSpeed(m_nKind, m_figures.nCorrect, m_figures.nSpeedMs);
    const bool bOverLimit = m_figures.nSpeedMs >= m_nLimitMs;
    SetDlgItemText(IDC_SPEED,
                   u"%1(%2)"_s.arg(Metrics::SpeedText(speed),
                                   bOverLimit ? u"按限时 %1 计算"_s.arg(DurationText(m_nLimitMs))
                                              : u"提前打完一屏,按所用时间计算"_s));
    SetDlgItemText(IDC_ACCURACY, Metrics::AccuracyText(m_figures.nCorrect, m_figures.nTyped));
    SetDlgItemText(IDC_TIME, DurationText(m_figures.nUsedMs));
    SetDlgItemText(IDC_TYPED,
                   u"%1 个,其中 %2 个正确"_s.arg(m_figures.nTyped).arg(m_figures.nCorrect));
    auto* list = Item<CListCtrl>(IDC_MISTAKES);
    SetUpReportList(list, g_columns);
    QList<QStringList> rows;
    const int perRow = m_nKind == PracticeKind::Chinese ? CQeDoc::Cells : CQeDoc::Columns;
    for (const CMistake& mistake : std::as_const(m_figures.mistakes))
        rows.append({u"第 %1 行第 %2 个"_s.arg(mistake.nPosition / perRow + 1)
                         .arg(mistake.nPosition % perRow + 1),
                     mistake.strExpected, mistake.strTyped});
    list->AppendRows(rows);
    for (int column = 0; column < int(g_columns.size()); ++column)
        list->resizeColumnToContents(column);
    SetDlgItemText(IDC_STORAGE, StorageText());
    return true;
}
