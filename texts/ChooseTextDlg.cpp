#include "texts/ChooseTextDlg.h"

#include "attempts/Metrics.h"
#include "platform/Dispatch.h"
#include "platform/ListCtrl.h"
#include "platform/Platform.h"
#include "res/DialogIds.h"
#include "users/Database.h"
#include "users/DialogAsk.h"
#include "users/ReportList.h"
#include "users/Session.h"

#include <QComboBox>

using namespace Qt::Literals::StringLiterals;

namespace {

using enum ChooseTextDlgIds::Id;

const QList<ListColumn> g_columns = {
    {u"标题"_s, 250},
    {u"类型"_s, 60},
    {u"屏数"_s, 60},
};

} // namespace

CChooseTextDlg::CChooseTextDlg(const CSession& session, QWidget* parent)
    : CDialog(IDD, parent), m_session(session)
{
}

bool CChooseTextDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_listTexts = Item<CListCtrl>(IDC_TEXTS);
    m_comboScreen = Item<QComboBox>(IDC_SCREEN);
    SetUpReportList(m_listTexts, g_columns);
    // The library is read on the session's worker and listed once answered.
    AskForDialog<QList<CPracticeText>>(
        this, m_session, [](CDaoDatabase& own) { return TextStore::LoadTexts(own); },
        [this](QList<CPracticeText> texts) {
            m_texts = std::move(texts);
            ShowTexts();
        },
        [this] { EndDialog(IDCANCEL_RESULT); });
    return true;
}

void CChooseTextDlg::ShowTexts()
{
    if (m_texts.isEmpty()) {
        Platform().MessageBox(this, u"文章库中还没有文章,请老师在\"练习文章\"中添加。"_s, u"提示"_s,
                              MB_OK | MB_ICONINFORMATION);
        EndDialog(IDCANCEL_RESULT);
        return;
    }
    QList<QStringList> rows;
    for (const CPracticeText& text : std::as_const(m_texts)) {
        m_screens.append(text.Screens());
        rows.append(
            {text.strTitle, Metrics::KindName(text.nKind), QString::number(m_screens.constLast())});
    }
    m_listTexts->AppendRows(rows);
    connect(m_listTexts->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this] { ShowScreens(); });
    connect(m_listTexts, &QAbstractItemView::doubleClicked, this,
            [this] { Dispatch([this] { OnOK(); }); });
    m_listTexts->setCurrentIndex(m_listTexts->model()->index(0, 0));
}

void CChooseTextDlg::ShowScreens()
{
    m_comboScreen->clear();
    const int row = m_listTexts->currentIndex().row();
    for (int screen = 1; row >= 0 && row < m_screens.size() && screen <= m_screens[row]; ++screen)
        m_comboScreen->addItem(u"第 %1 屏"_s.arg(screen));
    m_comboScreen->setCurrentIndex(m_comboScreen->count() > 0 ? 0 : -1);
}

void CChooseTextDlg::OnOK()
{
    const int row = m_listTexts->currentIndex().row();
    if (row < 0 || row >= m_texts.size() || m_comboScreen->currentIndex() < 0) {
        Platform().MessageBox(this, u"请先选择一篇文章和要练习的屏!"_s, u"提示"_s,
                              MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    m_chosen = m_texts[row];
    m_nScreen = m_comboScreen->currentIndex() + 1;
    CDialog::OnOK();
}
