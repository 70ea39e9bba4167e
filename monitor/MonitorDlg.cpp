#include "monitor/MonitorDlg.h"

#include "attempts/ClassReport.h"
#include "attempts/ExamSitting.h"
#include "classroom/ClassCombo.h"
#include "exams/ExamStore.h"
#include "platform/Dao.h"
#include "platform/Dispatch.h"
#include "platform/ListCtrl.h"
#include "platform/Platform.h"
#include "res/DialogIds.h"
#include "users/Database.h"
#include "users/DialogAsk.h"
#include "users/ReportList.h"
#include "users/Session.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QScrollArea>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace {

using enum MonitorDlgIds::Id;

} // namespace

CMonitorDlg::CMonitorDlg(const CSession& session, QWidget* parent)
    : CDialog(IDD, parent), m_session(session), m_watch(session, PollMs)
{
}

CMonitorDlg::~CMonitorDlg() = default;

bool CMonitorDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_comboClass = Item<QComboBox>(IDC_CLASS);
    m_listPupils = Item<CListCtrl>(IDC_PUPILS);
    QList<ListColumn> columns;
    const QList<int> widths{70, 70, 60, 140, 50, 80, 60, 50};
    const QStringList headings = MonitorModel::Headings();
    for (int i = 0; i < headings.size(); ++i)
        columns.append({headings[i], widths.value(i, 60)});
    SetUpReportList(m_listPupils, columns);
    QHeaderView* header = m_listPupils->header();
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(true);
    header->setSortIndicator(-1, Qt::AscendingOrder);
    connect(header, &QHeaderView::sectionClicked, this,
            [this](int column) { Dispatch([this, column] { SortBy(column); }); });
    // The tiles show the class at one glance; the list sorts by a heading,
    // and the tiles follow its order.
    QWidget* place = GetDlgItem(IDC_TILES);
    auto* layout = new QVBoxLayout(place);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* scroll = new QScrollArea(place);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_pTiles = new CPupilTiles;
    scroll->setWidget(m_pTiles);
    layout->addWidget(scroll);
    ShowAsList(false);
    FillClassCombo(this, m_session, m_comboClass, std::nullopt,
                   [this] { m_watch.Start([this] { ReadClass(); }); });
    return true;
}

void CMonitorDlg::Reload()
{
    m_watch.Read();
}

void CMonitorDlg::ReadClass()
{
    if (!m_session.Database() || m_comboClass->currentIndex() < 0) {
        m_watch.Answered();
        return;
    }
    struct CRead
    {
        QDateTime now;
        QList<MonitorModel::CLine> lines;
    };
    const QString className = m_comboClass->currentData().toString();
    m_session.Ask<CRead>(
        this,
        [className](CDaoDatabase& own) {
            return CRead{DatabaseNow(own),
                         MonitorModel::Join(LoadPupils(own, className),
                                            LiveProgress::LoadClass(own, className))};
        },
        [this, className](CRead read) {
            m_watch.Answered();
            if (className != m_comboClass->currentData().toString())
                return; // another class was chosen meanwhile, and is read
            m_now = read.now;
            m_lines = std::move(read.lines);
            if (m_nSortColumn >= 0)
                MonitorModel::Sort(m_lines, m_nSortColumn, m_bAscending, m_now);
            Fill();
        },
        [this](const CDaoException& e) {
            m_watch.Answered();
            // Said once in the summary, not in a box every five seconds.
            SetDlgItemText(IDC_SUMMARY, u"无法读取班级的情况:%1"_s.arg(e.GetErrorMessage()));
        });
}

void CMonitorDlg::Fill()
{
    QList<QStringList> rows;
    QMap<QString, int> states;
    for (const MonitorModel::CLine& line : std::as_const(m_lines)) {
        rows.append(MonitorModel::Cells(line, m_now));
        ++states[rows.last().value(2)];
    }
    // The row the teacher stands on stays where it was.
    const int current = m_listPupils->currentIndex().row();
    m_listPupils->DeleteAllItems();
    m_listPupils->AppendRows(rows);
    QList<CPupilTiles::CTile> tiles;
    for (const QStringList& cells : std::as_const(rows))
        tiles.append({cells.value(1), cells.value(4).isEmpty() ? QString() : cells.value(4) + u'%',
                      cells.value(2), cells.value(5), cells.value(3)});
    m_pTiles->SetTiles(tiles);
    if (current >= 0 && current < rows.size())
        m_listPupils->setCurrentIndex(m_listPupils->model()->index(current, 0));
    QStringList counts;
    for (const QString& state :
         {u"考试中"_s, u"练习中"_s, u"空闲"_s, u"离开窗口"_s, u"离线"_s, u"已完成"_s, u"未登录"_s})
        if (states.value(state) > 0)
            counts.append(u"%1 %2 人"_s.arg(state).arg(states.value(state)));
    SetDlgItemText(IDC_SUMMARY, u"共 %1 名学生:%2。更新于 %3"_s.arg(m_lines.size())
                                    .arg(counts.join(u","_s), m_now.toString(u"HH:mm:ss"_s)));
}

void CMonitorDlg::ShowAsList(bool bList)
{
    m_listPupils->setVisible(bList);
    GetDlgItem(IDC_TILES)->setVisible(!bList);
}

void CMonitorDlg::SortBy(int column)
{
    m_bAscending = column == m_nSortColumn ? !m_bAscending : true;
    m_nSortColumn = column;
    MonitorModel::Sort(m_lines, column, m_bAscending, m_now);
    m_listPupils->header()->setSortIndicator(column, m_bAscending ? Qt::AscendingOrder
                                                                  : Qt::DescendingOrder);
    Fill();
}

void CMonitorDlg::EndExam()
{
    const QList<qint64> exams = MonitorModel::RunningExams(m_lines, m_now);
    if (!m_session.Database() || exams.isEmpty()) {
        Platform().MessageBox(this, u"这个班级现在没有正在进行的考试。"_s, u"课堂监控"_s,
                              MB_OK | MB_ICONINFORMATION);
        return;
    }
    const qint64 id = exams.first();
    AskForDialog<QString>(
        this, m_session,
        [id](CDaoDatabase& own) {
            const std::optional<CExam> exam = ExamStore::LoadExam(own, id);
            return exam ? exam->strTitle : QString();
        },
        [this, id](const QString& title) {
            if (Platform().MessageBox(
                    this,
                    u"要让所有正在参加考试《%1》的学生现在结束考试吗?\n"
                    "每个学生的考试会在几秒钟内结束,就像时间到了一样,成绩照常保存;"
                    "考试同时关闭,不能再开始。"_s.arg(title),
                    u"课堂监控"_s, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES)
                return;
            AskForDialog(
                this, m_session, [id](CDaoDatabase& own) { ExamStore::EndForEverybody(own, id); },
                [this] { Reload(); });
        });
}

void CMonitorDlg::OnCommand(int nID)
{
    switch (nID) {
    case IDC_CLASS:
        Reload();
        break;
    case IDC_END_EXAM:
        EndExam();
        break;
    case IDC_AS_LIST:
        ShowAsList(Item<QCheckBox>(IDC_AS_LIST)->isChecked());
        break;
    default:
        break;
    }
}
