#include "course/CourseClassDlg.h"

#include "classroom/ClassCombo.h"
#include "course/ThresholdDlg.h"
#include "documents/TableExport.h"
#include "platform/ListCtrl.h"
#include "platform/Platform.h"
#include "res/DialogIds.h"
#include "users/DialogAsk.h"
#include "users/ReportList.h"
#include "users/Session.h"

#include <QComboBox>

using namespace Qt::Literals::StringLiterals;

namespace {

using enum CourseClassDlgIds::Id;

const QList<ListColumn> g_columns = {
    {u"学号"_s, 100}, {u"姓名"_s, 80},     {u"学到第几课"_s, 80}, {u"已过关"_s, 60},
    {u"星数"_s, 50},  {u"练习次数"_s, 60}, {u"最近练习"_s, 120},
};

QString ThresholdsText(const CClassThresholds& thresholds)
{
    const QString accuracy =
        thresholds.nAccuracy > 0 ? u"%1%"_s.arg(thresholds.nAccuracy) : u"每课自己的"_s;
    return u"正确率要求 %1,速度要求 %2%%3"_s.arg(accuracy)
        .arg(thresholds.nSpeedPercent)
        .arg(thresholds.bAllOpen ? u",全部开放"_s : QString());
}

} // namespace

CCourseClassDlg::CCourseClassDlg(const CSession& session, QWidget* parent)
    : CDialog(IDD, parent), m_session(session)
{
}

bool CCourseClassDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_listPupils = Item<CListCtrl>(IDC_PUPILS);
    m_comboClass = Item<QComboBox>(IDC_CLASS);
    m_comboCourse = Item<QComboBox>(IDC_COURSE);
    SetUpReportList(m_listPupils, g_columns);
    m_comboCourse->setCurrentIndex(0);
    FillClassCombo(this, m_session, m_comboClass, std::nullopt, [this] { Refresh(); });
    return true;
}

QString CCourseClassDlg::ChosenClass() const
{
    return m_comboClass->currentIndex() < 0 ? QString() : m_comboClass->currentData().toString();
}

void CCourseClassDlg::Refresh()
{
    m_listPupils->DeleteAllItems();
    m_pModel.reset();
    if (m_comboClass->currentIndex() < 0)
        return;
    struct CRead
    {
        QList<CourseStore::CPupilCourse> rows;
        CClassThresholds thresholds;
    };
    const QString className = ChosenClass();
    const QString courseId = ChosenCourse();
    AskForDialog<CRead>(
        this, m_session,
        [className, course = CoursePlan::Course(courseId)](CDaoDatabase& own) {
            return CRead{CourseStore::LoadClassProgress(own, className, course),
                         CourseStore::LoadThresholds(own, className)};
        },
        [this, className, courseId](CRead read) {
            // A later choice's answer shows; an earlier one's is dropped.
            if (className != ChosenClass() || courseId != ChosenCourse())
                return;
            m_pModel = std::make_unique<CCourseClassModel>(className, CoursePlan::Course(courseId),
                                                           std::move(read.rows));
            SetDlgItemText(IDC_THRESHOLDS_TEXT, ThresholdsText(read.thresholds));
            m_listPupils->DeleteAllItems();
            m_listPupils->AppendRows(m_pModel->RowTexts());
        });
}

QString CCourseClassDlg::ChosenCourse() const
{
    return CoursePlan::CourseIds().value(qMax(0, m_comboCourse->currentIndex()));
}

void CCourseClassDlg::OnCommand(int nID)
{
    switch (nID) {
    case IDC_CLASS:
    case IDC_COURSE:
        Refresh();
        return;
    case IDC_THRESHOLDS: {
        CThresholdDlg thresholds(m_session, ChosenClass(), this);
        if (thresholds.DoModal() == IDOK)
            Refresh();
        return;
    }
    default:
        break;
    }
    if (!m_pModel)
        return;
    OutputTable(
        this, nID, {IDC_XLSX, IDC_CSV, IDC_PDF, IDC_PRINT},
        [this] { return m_pModel->ExportTable(); }, m_pModel->Title());
}
