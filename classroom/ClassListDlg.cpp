#include "classroom/ClassListDlg.h"

#include "attempts/ClassReport.h"
#include "classroom/ClassListFile.h"
#include "classroom/ClassNames.h"
#include "classroom/DeletePupilDlg.h"
#include "classroom/ImportPreviewDlg.h"
#include "classroom/LoginCardsDlg.h"
#include "classroom/MovePupilsDlg.h"
#include "classroom/PasswordResetDlg.h"
#include "classroom/PupilDlg.h"
#include "documents/TableExport.h"
#include "platform/Dispatch.h"
#include "platform/ListCtrl.h"
#include "platform/Platform.h"
#include "res/DialogIds.h"
#include "users/DialogAsk.h"
#include "users/ReportList.h"
#include "users/Session.h"

#include <QComboBox>
#include <QMouseEvent>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {

using enum ClassListDlgIds::Id;

const QList<ListColumn> g_columns = {{u"姓名"_s, 110}, {u"学号"_s, 100}, {u"班级"_s, 150}};

} // namespace

CClassListDlg::CClassListDlg(const CSession& session, QWidget* parent)
    : CDialog(IDD, parent), m_session(session)
{
}

bool CClassListDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_comboClass = Item<QComboBox>(IDC_CLASS);
    m_listPupils = Item<CListCtrl>(IDC_PUPILS);
    SetUpReportList(m_listPupils, g_columns);
    m_listPupils->setSelectionMode(QAbstractItemView::ExtendedSelection);
    // A double-click edits the pupil.
    m_listPupils->viewport()->installEventFilter(this);
    // Nothing to show without the first read.
    Reload({}, {}, [this] { EndDialog(IDCANCEL_RESULT); });
    return true;
}

bool CClassListDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (m_listPupils && watched == m_listPupils->viewport() &&
        event->type() == QEvent::MouseButtonDblClick &&
        m_listPupils->indexAt(static_cast<QMouseEvent*>(event)->position().toPoint()).isValid()) {
        Dispatch([this] { OnCommand(IDC_EDIT); });
        return true;
    }
    return CDialog::eventFilter(watched, event);
}

QString CClassListDlg::CurrentClass() const
{
    return m_comboClass->currentData().toString();
}

void CClassListDlg::Reload(const QString& className, const QList<qint64>& select,
                           std::function<void()> afterFailure)
{
    struct CRead
    {
        QList<CClassSize> sizes;
        QString strClass;
        QList<CPupil> pupils;
    };
    AskForDialog<CRead>(
        this, m_session,
        [className](CDaoDatabase& own) {
            CRead read;
            read.sizes = LoadClassSizes(own);
            const bool bKnown = std::ranges::any_of(
                read.sizes, [&](const CClassSize& size) { return size.strClass == className; });
            if (!read.sizes.isEmpty()) {
                read.strClass = bKnown ? className : read.sizes.first().strClass;
                read.pupils = LoadPupils(own, read.strClass);
            }
            return read;
        },
        [this, select](CRead read) { Show(read.sizes, read.strClass, read.pupils, select); },
        std::move(afterFailure));
}

void CClassListDlg::Show(const QList<CClassSize>& sizes, const QString& className,
                         const QList<CPupil>& pupils, const QList<qint64>& select)
{
    m_classes.clear();
    m_comboClass->clear();
    for (const CClassSize& size : sizes) {
        m_classes.append(size.strClass);
        m_comboClass->addItem(ClassSizeName(size), size.strClass);
    }
    m_comboClass->setCurrentIndex(m_comboClass->findData(className));
    m_pupils = pupils;
    QList<QStringList> rows;
    for (const CPupil& pupil : std::as_const(m_pupils))
        rows.append({pupil.strName, pupil.strStudentNo, ClassDisplayName(pupil.strClass)});
    m_listPupils->DeleteAllItems();
    m_listPupils->AppendRows(rows);
    QString count = u"共 %1 名学生(按住 Ctrl 或 Shift 可选多名调班)"_s.arg(m_pupils.size());
    if (m_classes.isEmpty())
        count = u"还没有学生:可以添加,或导入学生名单。"_s;
    else if (m_pupils.size() == 1 && sizes.size() > 1)
        count = u"这个班只有 1 名学生;班级名输错了,可用“调班”并入正确的班级。"_s;
    SetDlgItemText(IDC_COUNT, count);
    SelectPupils(select);
}

void CClassListDlg::SelectPupils(const QList<qint64>& keys)
{
    m_listPupils->clearSelection();
    for (int row = 0; row < int(m_pupils.size()); ++row) {
        if (keys.contains(m_pupils[row].nKey)) {
            m_listPupils->selectionModel()->select(m_listPupils->model()->index(row, 0),
                                                   QItemSelectionModel::Select |
                                                       QItemSelectionModel::Rows);
        }
    }
}

QList<CPupil> CClassListDlg::SelectedPupils() const
{
    QList<CPupil> pupils;
    for (int row = 0; row < int(m_pupils.size()); ++row) {
        if (m_listPupils->selectionModel()->isRowSelected(row, QModelIndex()))
            pupils.append(m_pupils[row]);
    }
    return pupils;
}

bool CClassListDlg::OneSelected(CPupil* pPupil)
{
    const QList<CPupil> selected = SelectedPupils();
    if (selected.size() != 1) {
        Platform().MessageBox(this, u"请先在名单中选择一名学生。"_s, u"提示"_s,
                              MB_OK | MB_ICONINFORMATION);
        return false;
    }
    *pPupil = selected.first();
    return true;
}

void CClassListDlg::OnCommand(int nID)
{
    CPupil pupil;
    switch (nID) {
    case IDC_CLASS:
        Reload(CurrentClass());
        break;
    case IDC_ADD: {
        CPupilDlg add(m_session, {0, {}, CurrentClass(), {}, {}}, m_classes, this);
        if (add.DoModal() == IDOK)
            Reload(add.Pupil().strClass, {add.Pupil().nKey});
        break;
    }
    case IDC_EDIT:
        if (OneSelected(&pupil)) {
            CPupilDlg edit(m_session, pupil, m_classes, this);
            if (edit.DoModal() == IDOK)
                Reload(CurrentClass(), {pupil.nKey});
        }
        break;
    case IDC_PASSWORD:
        if (OneSelected(&pupil)) {
            CPasswordResetDlg reset(m_session, pupil, this);
            reset.DoModal();
        }
        break;
    case IDC_MOVE: {
        QList<qint64> keys;
        for (const CPupil& chosen : SelectedPupils())
            keys.append(chosen.nKey);
        if (keys.isEmpty()) {
            Platform().MessageBox(this, u"请先在名单中选择要调班的学生。"_s, u"提示"_s,
                                  MB_OK | MB_ICONINFORMATION);
            break;
        }
        CMovePupilsDlg move(m_session, keys, m_classes, this);
        if (move.DoModal() == IDOK)
            Reload(move.TargetClass(), keys);
        break;
    }
    case IDC_DELETE:
        if (OneSelected(&pupil)) {
            CDeletePupilDlg remove(m_session, pupil, this);
            if (remove.DoModal() == IDOK)
                Reload(CurrentClass());
        }
        break;
    case IDC_IMPORT:
        if (ImportClassList(m_session, this))
            Reload(CurrentClass());
        break;
    case IDC_TEMPLATE:
        ExportTables(this, {ClassListTemplate()}, ExportFormat::Xlsx, u"学生名单模板"_s);
        break;
    case IDC_CARDS: {
        CLoginCardsDlg cards(m_session, CurrentClass(), this);
        cards.DoModal();
        break;
    }
    default:
        break;
    }
}
