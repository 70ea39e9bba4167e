#include "reports/ProgressDlg.h"

#include "attempts/LessonAttemptStore.h"
#include "attempts/Metrics.h"
#include "attempts/PracticeKind.h"
#include "attempts/ShortestKeys.h"
#include "attempts/TimeLoss.h"
#include "documents/ExportCell.h"
#include "platform/ListCtrl.h"
#include "platform/Platform.h"
#include "reports/ProgressChart.h"
#include "res/DialogIds.h"
#include "res/Resources.h"
#include "users/Database.h"
#include "users/DialogAsk.h"
#include "users/ReportList.h"
#include "users/Session.h"

#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QItemSelectionModel>
#include <QLabel>
#include <QKeyEvent>
#include <QVBoxLayout>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {

using enum ProgressDlgIds::Id;

const QList<ListColumn> g_attemptColumns = {
    {u"日期时间"_s, 150}, {u"类型"_s, 60}, {u"速度"_s, 110}, {u"正确率"_s, 70},
    {u"用时"_s, 80},      {u"击键"_s, 60}, {u"码长"_s, 60},  {u"回改"_s, 80},
    {u"键准确率"_s, 70},  {u"键准"_s, 50}, {u"选重"_s, 100}, {u"打词率"_s, 60},
};

const QList<ListColumn> g_mistakeColumns = {
    {u"应为"_s, 60},
    {u"次数"_s, 50},
    {u"打成"_s, 120},
};

// The kinds of the kind list, in its order: the four practices and the
// lessons of the course.
constexpr int ListedKinds[] = {PracticeKind::Chinese, PracticeKind::English, PracticeKind::Number,
                               PracticeKind::Symbol, PracticeKind::Lesson};

// How many of the things typed instead a row of the mistake list names.
constexpr int InsteadShown = 3;

// A typed or practice cell as it can be read in a list: spaces and control
// keys get names.
QString Readable(const QString& text)
{
    QString shown;
    for (const QChar ch : text) {
        if (ch == u' ')
            shown += u'␣';
        else if (ch == u'\t')
            shown += u"Tab"_s;
        else if (ch.unicode() < 0x20 || ch.unicode() == 0x7F)
            shown += u"^%1"_s.arg(QChar(ch.unicode() ^ 0x40));
        else
            shown += ch;
    }
    return shown;
}

// The mistakes 我的练习记录 lists for a kind: the lessons' missed keys, or
// the characters of a practice.
QList<CMistakeCount> ReadMistakes(CDaoDatabase& db, qint64 userKey, int kind)
{
    return kind == PracticeKind::Lesson ? LessonAttemptStore::TopMisses(db, userKey)
                                        : TopMistakes(db, userKey, kind);
}

// What the window shows as it opens.
struct COpening
{
    QList<CAttemptSummary> attempts;
    int nKind = PracticeKind::Chinese;
    QList<CMistakeCount> mistakes;
};

} // namespace

CProgressDlg::CProgressDlg(const CSession& session, qint64 userKey, const QString& pupilName,
                           QWidget* parent)
    : CDialog(IDD, parent), m_session(session), m_nUserKey(userKey)
{
    if (!pupilName.isEmpty())
        setWindowTitle(u"%1的练习记录"_s.arg(pupilName));
}

bool CProgressDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_listAttempts = Item<CListCtrl>(IDC_ATTEMPTS);
    m_listMistakes = Item<CListCtrl>(IDC_MISTAKES);
    m_comboKind = Item<QComboBox>(IDC_KIND);
    m_wndFigures = Item<QLabel>(IDC_FIGURES);
    m_wndFigures->setWordWrap(true); // a line per unit, each as long as it needs
    Item<QLabel>(IDC_LOSS)->setWordWrap(true);
    Item<QLabel>(IDC_LOSS)->setToolTip(u"速度损失:"_s + FigureDefinition(u"速度损失"_s) +
                                       u"\n理论码长:"_s + FigureDefinition(u"理论码长"_s));
    SetUpReportList(m_listAttempts, g_attemptColumns);
    SetUpReportList(m_listMistakes, g_mistakeColumns);

    QWidget* place = GetDlgItem(IDC_CHART);
    auto* layout = new QVBoxLayout(place);
    layout->setContentsMargins(0, 0, 0, 0);
    m_pChart = new CProgressChart(place);
    layout->addWidget(m_pChart);

    // Ctrl+C copies whole rows; the list by itself would copy one cell.
    m_listAttempts->installEventFilter(this);
    connect(m_listAttempts->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) { ShowTimeLoss(current.row()); });

    // Read on the session's worker; the window shows it once answered.
    AskForDialog<COpening>(
        this, m_session,
        [userKey = m_nUserKey](CDaoDatabase& own) {
            COpening opening;
            opening.attempts = LoadAttempts(own, userKey);
            // The lessons of the course among them, by time.
            opening.attempts.append(LessonAttemptStore::Summaries(own, userKey));
            std::stable_sort(opening.attempts.begin(), opening.attempts.end(),
                             [](const CAttemptSummary& a, const CAttemptSummary& b) {
                                 return a.startedAt > b.startedAt;
                             });
            // The kind practised last, or Chinese when there is none yet.
            if (!opening.attempts.isEmpty())
                opening.nKind = opening.attempts.constFirst().nKind;
            opening.mistakes = ReadMistakes(own, userKey, opening.nKind);
            return opening;
        },
        [this](COpening opening) {
            m_attempts = std::move(opening.attempts);
            FillAttempts();
            ShowKind(opening.nKind);
            ShowMistakes(opening.mistakes);
        },
        [this] { EndDialog(IDCANCEL_RESULT); });
    return true;
}

void CProgressDlg::FillAttempts()
{
    QList<QStringList> rows;
    rows.reserve(m_attempts.size());
    for (const CAttemptSummary& attempt : std::as_const(m_attempts)) {
        const CTypingFigures typing = attempt.Typing();
        rows.append(
            {attempt.startedAt.toString(u"yyyy-MM-dd HH:mm:ss"_s),
             (attempt.strLabel.isEmpty() ? Metrics::KindName(attempt.nKind) : attempt.strLabel) +
                 (attempt.bInDoubt ? u" "_s + Metrics::InDoubt : QString()),
             attempt.SpeedText(), Metrics::AccuracyText(attempt.nCorrectUnits, attempt.nTypedUnits),
             DurationText(attempt.UsedMs()),
             Metrics::KeysPerSecondText(attempt.nKeyPresses, attempt.UsedMs()),
             Metrics::KeysPerUnitText(attempt.nKeyPresses, attempt.nCorrectUnits),
             typing.RevisedText(),
             Metrics::HasKeystrokeAccuracy(attempt.nKind)
                 ? u"%1%"_s.arg(Metrics::KeystrokeAccuracy(
                       attempt.nCorrectUnits, attempt.nTypedUnits, attempt.nDeletedUnits))
                 : QString(),
             typing.KeyAccuracyText(), typing.PicksText(), typing.WordRateText()});
    }
    m_listAttempts->AppendRows(rows);
    // Why a result is 可疑, where its kind says so.
    for (int row = 0; row < m_attempts.size(); ++row) {
        if (m_attempts[row].bInDoubt)
            m_listAttempts->SetItemToolTip(row, 1, m_attempts[row].strDoubt);
    }
}

void CProgressDlg::OnCommand(int nID)
{
    if (nID != IDC_KIND || m_comboKind->currentIndex() < 0)
        return;
    if (!m_session.GuardedDatabase())
        return;
    const int kind = ListedKinds[m_comboKind->currentIndex()];
    ShowKind(kind);
    m_session.Ask<QList<CMistakeCount>>(
        this,
        [userKey = m_nUserKey, kind](CDaoDatabase& own) {
            return ReadMistakes(own, userKey, kind);
        },
        [this, kind](const QList<CMistakeCount>& mistakes) {
            if (kind == m_nKind) // the kind shown meanwhile may be another
                ShowMistakes(mistakes);
        },
        ReportDaoError);
}

void CProgressDlg::ShowTimeLoss(int row)
{
    SetDlgItemText(IDC_LOSS, QString());
    if (row < 0 || row >= m_attempts.size() || m_attempts[row].commits.nCommits == 0)
        return;
    // The commits are read and weighed on the worker, where the tables of
    // 理论码长 load the first time.
    m_session.Ask<QString>(
        this,
        [attempt = m_attempts[row]](CDaoDatabase& own) {
            const QList<CCommitUnit> commits = CommitFigures::LoadCommits(own, attempt.nId);
            QStringList lines;
            const QString loss =
                TimeLoss::Line(TimeLoss::Of(commits, attempt.nBackspacePresses), attempt.nKind,
                               attempt.nCorrectUnits, attempt.nElapsedMs);
            if (!loss.isEmpty())
                lines.append(u"这一次"_s + loss);
            const QString keys = ShortestKeys::Line(ShortestKeys::TypedText(commits),
                                                    attempt.nKeyPresses, attempt.nCorrectUnits);
            if (!keys.isEmpty())
                lines.append(keys);
            return lines.join(u'\n');
        },
        [this, row](const QString& text) {
            if (m_listAttempts->currentIndex().row() == row) // not another row chosen meanwhile
                SetDlgItemText(IDC_LOSS, text);
        },
        ReportDaoError);
}

QString CProgressDlg::FiguresText(const CProgressFigures& figures, int kind, const QString& unit)
{
    if (figures.nCount == 0)
        return u"还没有%1练习的记录。"_s.arg(Metrics::KindName(kind));
    if (figures.nCounted == 0) {
        return u"共 %1 次   最快 %2   平均 %2   最高正确率 %2   平均正确率 %2   击键 %2   码长 %2 %3"_s
            .arg(figures.nCount)
            .arg(CProgressFigures::NotCounted(), CProgressFigures::NotCountedReason());
    }
    const bool keyed = figures.nKeyedCount > 0;
    return u"共 %1 次   最快 %2   平均 %3   最高正确率 %4%   平均正确率 %5%   击键 %6   码长 %7"_s
        .arg(figures.nCount)
        .arg(Metrics::SpeedText({figures.dBestSpeed, unit}),
             Metrics::SpeedText({figures.dAverageSpeed, unit}),
             QString::number(figures.nBestAccuracy), QString::number(figures.nAverageAccuracy),
             keyed ? QString::number(figures.dAverageKeysPerSecond, 'f', 2) : Metrics::NotAvailable,
             keyed ? QString::number(figures.dAverageKeysPerUnit, 'f', 2) : Metrics::NotAvailable);
}

void CProgressDlg::ShowKind(int kind)
{
    m_nKind = kind;
    m_comboKind->setCurrentIndex(int(
        std::find(std::begin(ListedKinds), std::end(ListedKinds), kind) - std::begin(ListedKinds)));
    m_pChart->SetAttempts(m_attempts, kind);

    // Lessons that count keys and lessons that count characters are
    // summed apart, a line each.
    QStringList units = SpeedUnits(m_attempts, kind);
    if (units.isEmpty())
        units.append(Metrics::SpeedUnit(kind));
    QStringList lines;
    for (const QString& unit : std::as_const(units))
        lines.append(FiguresText(SummariseKind(m_attempts, kind, unit), kind, unit));
    m_wndFigures->setText(lines.join(u'\n'));
    m_listMistakes->DeleteAllItems();
}

void CProgressDlg::ShowMistakes(const QList<CMistakeCount>& mistakes)
{
    QList<QStringList> rows;
    for (const CMistakeCount& mistake : mistakes) {
        QStringList instead;
        for (const auto& [typed, count] : mistake.typedInstead.mid(0, InsteadShown))
            instead.append(u"%1×%2"_s.arg(Readable(typed)).arg(count));
        if (mistake.typedInstead.size() > InsteadShown)
            instead.append(u"…"_s);
        rows.append({Readable(mistake.strExpected), QString::number(mistake.nCount),
                     instead.join(u"  "_s)});
    }
    m_listMistakes->DeleteAllItems();
    m_listMistakes->AppendRows(rows);
}

bool CProgressDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_listAttempts && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy)) {
        QGuiApplication::clipboard()->setText(SelectedRowsText());
        return true;
    }
    return CDialog::eventFilter(watched, event);
}

QString CProgressDlg::SelectedRowsText() const
{
    QStringList lines;
    const int columns = m_listAttempts->GetColumnCount();
    const QItemSelectionModel* selection = m_listAttempts->selectionModel();
    // Without a selection, the row the keyboard stands on.
    const int current = selection->hasSelection() ? -1 : m_listAttempts->currentIndex().row();
    for (int row = 0; row < m_listAttempts->GetItemCount(); ++row) {
        if (row != current && !selection->isRowSelected(row, QModelIndex()))
            continue;
        QStringList cells;
        for (int column = 0; column < columns; ++column)
            cells.append(m_listAttempts->GetItemText(row, column));
        lines.append(cells.join(u'\t'));
    }
    return lines.join(u'\n');
}
