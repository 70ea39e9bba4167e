#include "texts/TextLibraryDlg.h"

#include "attempts/Metrics.h"
#include "attempts/PracticeKind.h"
#include "platform/Dispatch.h"
#include "platform/ListCtrl.h"
#include "platform/Platform.h"
#include "res/DialogIds.h"
#include "texts/TextEditDlg.h"
#include "users/DialogAsk.h"
#include "users/ReportList.h"
#include "users/Session.h"

using namespace Qt::Literals::StringLiterals;

namespace {

using enum TextLibraryDlgIds::Id;

const QList<ListColumn> g_columns = {
    {u"标题"_s, 200}, {u"类型"_s, 50}, {u"屏数"_s, 50}, {u"字数"_s, 60}, {u"修改时间"_s, 130},
};

} // namespace

CTextLibraryDlg::CTextLibraryDlg(const CSession& session, QWidget* parent)
    : CDialog(IDD, parent), m_session(session)
{
}

bool CTextLibraryDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_listTexts = Item<CListCtrl>(IDC_TEXTS);
    SetUpReportList(m_listTexts, g_columns);
    connect(m_listTexts, &QAbstractItemView::doubleClicked, this,
            [this] { Dispatch([this] { OnCommand(IDC_EDIT); }); });
    AfterChange({}, [this] { EndDialog(IDCANCEL_RESULT); });
    return true;
}

void CTextLibraryDlg::AfterChange(std::function<void(CDaoDatabase& own)> change,
                                  std::function<void()> afterFailure)
{
    AskForDialog<QList<CPracticeText>>(
        this, m_session,
        [change = std::move(change)](CDaoDatabase& own) {
            if (change)
                change(own);
            return TextStore::LoadTexts(own);
        },
        [this](QList<CPracticeText> texts) {
            m_texts = std::move(texts);
            Show();
        },
        std::move(afterFailure));
}

void CTextLibraryDlg::Show()
{
    QList<QStringList> rows;
    for (const CPracticeText& text : std::as_const(m_texts))
        rows.append({text.strTitle, Metrics::KindName(text.nKind), QString::number(text.Screens()),
                     QString::number(text.strBody.size() - text.strBody.count(u'\n') -
                                     text.strBody.count(u'\r')),
                     text.updatedAt.toString(u"yyyy-MM-dd HH:mm"_s)});
    const int selected = m_listTexts->GetSelectionMark();
    m_listTexts->DeleteAllItems();
    m_listTexts->AppendRows(rows);
    if (!rows.isEmpty())
        m_listTexts->setCurrentIndex(
            m_listTexts->model()->index(selected >= 0 && selected < rows.size() ? selected : 0, 0));
}

const CPracticeText* CTextLibraryDlg::Selected() const
{
    const int row = m_listTexts->GetSelectionMark();
    return row >= 0 && row < m_texts.size() ? &m_texts[row] : nullptr;
}

void CTextLibraryDlg::OnCommand(int nID)
{
    switch (nID) {
    case IDC_NEW: {
        CPracticeText text;
        text.nKind = PracticeKind::Chinese;
        EditText(text);
        break;
    }
    case IDC_EDIT:
        if (const CPracticeText* text = Selected())
            EditText(*text);
        else
            Platform().MessageBox(this, u"请先选择一篇文章!"_s, u"提示"_s,
                                  MB_OK | MB_ICONEXCLAMATION);
        break;
    case IDC_DELETE:
        DeleteSelected();
        break;
    default:
        break;
    }
}

void CTextLibraryDlg::EditText(const CPracticeText& text)
{
    CTextEditDlg edit(m_session, text, this);
    if (edit.DoModal() == IDOK)
        AfterChange({});
}

void CTextLibraryDlg::DeleteSelected()
{
    const CPracticeText* text = Selected();
    if (!text) {
        Platform().MessageBox(this, u"请先选择一篇文章!"_s, u"提示"_s, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    using CUses = std::pair<QStringList, QStringList>; // exams, assignments
    AskForDialog<CUses>(
        this, m_session,
        [id = text->nId](CDaoDatabase& own) {
            return CUses{TextStore::ExamsUsing(own, id), TextStore::AssignmentsUsing(own, id)};
        },
        [this, id = text->nId, title = text->strTitle](const CUses& uses) {
            AskToDelete(id, title, uses.first, uses.second);
        });
}

void CTextLibraryDlg::AskToDelete(qint64 id, const QString& title, const QStringList& exams,
                                  const QStringList& assignments)
{
    // A text an exam or an assignment is set on stays: they name it.
    for (const auto& [uses, what] :
         {std::pair(exams, u"考试"_s), std::pair(assignments, u"作业"_s)}) {
        if (uses.isEmpty())
            continue;
        Platform().MessageBox(this,
                              u"文章《%1》已用于%2(%3),不能删除。请先删除这些%2。"_s.arg(
                                  title, what, uses.join(u"、"_s)),
                              u"提示"_s, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    if (Platform().MessageBox(this, u"确定要删除文章《%1》吗?"_s.arg(title), u"提示!"_s,
                              MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES)
        return;
    AfterChange([id](CDaoDatabase& own) { TextStore::DeleteText(own, id); });
}
