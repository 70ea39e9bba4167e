#include "reports/PracticeTimeDlg.h"

#include "classroom/ClassCombo.h"
#include "documents/TableExport.h"
#include "platform/Dispatch.h"
#include "platform/ListCtrl.h"
#include "platform/Platform.h"
#include "reports/ReportRange.h"
#include "res/DialogIds.h"
#include "users/DialogAsk.h"
#include "users/ReportList.h"
#include "users/Session.h"

#include <QComboBox>
#include <QDateEdit>

using namespace Qt::Literals::StringLiterals;

namespace {

using enum PracticeTimeDlgIds::Id;

const QList<ListColumn> g_columns = {
    {u"学号"_s, 80},     {u"姓名"_s, 80},     {u"练习分钟"_s, 70},
    {u"练习天数"_s, 70}, {u"练习次数"_s, 70}, {u"每次(中位,分钟)"_s, 100},
};

} // namespace

CPracticeTimeDlg::CPracticeTimeDlg(const CSession& session, QWidget* parent)
    : CDialog(IDD, parent), m_session(session)
{
}

bool CPracticeTimeDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_comboClass = Item<QComboBox>(IDC_CLASS);
    m_dateWeek = Item<QDateEdit>(IDC_WEEK);
    m_listPupils = Item<CListCtrl>(IDC_PUPILS);
    SetUpReportList(m_listPupils, g_columns);
    m_dateWeek->setDate(Platform().CurrentDateTime().date());
    connect(m_dateWeek, &QDateEdit::dateChanged, this, [this] { Dispatch([this] { Refresh(); }); });
    FillClassCombo(this, m_session, m_comboClass, std::nullopt, [this] { Refresh(); });
    return true;
}

QDate CPracticeTimeDlg::Monday() const
{
    return ReportRange::Of(ReportRange::ThisWeek, m_dateWeek->date()).from;
}

void CPracticeTimeDlg::OnCommand(int nID)
{
    if (nID == IDC_CLASS)
        Refresh();
    else
        OutputTable(this, nID, {IDC_XLSX, IDC_CSV, IDC_PDF, IDC_PRINT},
                    [this] { return ExportTable(); });
}

void CPracticeTimeDlg::Refresh()
{
    if (m_comboClass->currentIndex() < 0)
        return;
    const QString className = m_comboClass->currentData().toString();
    const QDate monday = Monday();
    AskForDialog<QList<CPracticeWeek>>(
        this, m_session,
        [className, monday](CDaoDatabase& own) {
            return PracticeTime::LoadWeek(own, className, monday);
        },
        [this](QList<CPracticeWeek> weeks) { Show(std::move(weeks)); });
}

void CPracticeTimeDlg::Show(QList<CPracticeWeek> weeks)
{
    m_weeks = std::move(weeks);
    const CExportTable table = ExportTable();
    QList<QStringList> rows;
    for (const QList<CExportCell>& row : table.rows)
        rows.append(DisplayTexts(row));
    m_listPupils->DeleteAllItems();
    m_listPupils->AppendRows(rows);
    const auto idle = std::count_if(m_weeks.cbegin(), m_weeks.cend(),
                                    [](const CPracticeWeek& week) { return week.nMs == 0; });
    qint64 total = 0;
    for (const CPracticeWeek& week : std::as_const(m_weeks))
        total += week.nMs;
    SetDlgItemText(IDC_SUMMARY, u"%1:共 %2 名学生,%3 人没有练习;全班共练习 %4 分钟。"
                                "连续练习、间隔不到 %5 分钟的算一次。"_s
                                    .arg(ReportRange::Text({Monday(), Monday().addDays(6)}))
                                    .arg(m_weeks.size())
                                    .arg(idle)
                                    .arg(PracticeTime::MinutesText(total))
                                    .arg(PracticeTime::SessionGapMs / 60000));
}

CExportTable CPracticeTimeDlg::ExportTable() const
{
    CExportTable table;
    table.strTitle =
        u"%1 练习时间(%2)"_s.arg(m_comboClass ? m_comboClass->currentText() : QString(),
                                 ReportRange::Text({Monday(), Monday().addDays(6)}));
    for (const ListColumn& column : g_columns)
        table.header.append(column.strHeading);
    for (const CPracticeWeek& week : m_weeks)
        table.rows.append({CExportCell::Text(week.pupil.strStudentNo),
                           CExportCell::Text(week.pupil.strName),
                           CExportCell::Number(double(week.nMs) / 60000, 1),
                           CExportCell::Integer(week.nDays), CExportCell::Integer(week.nSessions),
                           CExportCell::Number(double(week.nMedianSessionMs) / 60000, 1)});
    return table;
}
