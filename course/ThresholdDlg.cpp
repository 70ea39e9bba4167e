#include "course/ThresholdDlg.h"

#include "classroom/ClassCombo.h"
#include "course/CourseStore.h"
#include "platform/Platform.h"
#include "res/DialogIds.h"
#include "users/Database.h"
#include "users/Session.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

using namespace Qt::Literals::StringLiterals;

namespace {

using enum ThresholdDlgIds::Id;

} // namespace

CThresholdDlg::CThresholdDlg(const CSession& session, const QString& className, QWidget* parent)
    : CDialog(IDD, parent), m_session(session), m_strClass(className)
{
}

bool CThresholdDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_comboClass = Item<QComboBox>(IDC_CLASS);
    m_editAccuracy = Item<QLineEdit>(IDC_ACCURACY);
    m_editSpeed = Item<QLineEdit>(IDC_SPEED);
    m_checkAllOpen = Item<QCheckBox>(IDC_ALL_OPEN);
    if (!FillClassCombo(m_session, m_comboClass)) {
        EndDialog(IDCANCEL_RESULT);
        return true;
    }
    const int chosen = m_comboClass->findData(m_strClass);
    m_comboClass->setCurrentIndex(chosen >= 0 ? chosen : (m_comboClass->count() > 0 ? 0 : -1));
    ShowClass();
    return true;
}

void CThresholdDlg::ShowClass()
{
    CDaoDatabase* db = m_session.Database();
    if (!db || m_comboClass->currentIndex() < 0)
        return;
    try {
        const CClassThresholds thresholds =
            CourseStore::LoadThresholds(*db, m_comboClass->currentData().toString());
        m_editAccuracy->setText(QString::number(thresholds.nAccuracy));
        m_editSpeed->setText(QString::number(thresholds.nSpeedPercent));
        m_checkAllOpen->setChecked(thresholds.bAllOpen);
    } catch (const CDaoException& e) {
        ReportDaoError(e);
    }
}

void CThresholdDlg::OnCommand(int nID)
{
    if (nID == IDC_CLASS)
        ShowClass();
}

void CThresholdDlg::OnOK()
{
    CDaoDatabase* db = m_session.Database();
    if (!db || m_comboClass->currentIndex() < 0) {
        AfxMessageBox(u"请先选择班级。"_s);
        return;
    }
    bool ok = false;
    CClassThresholds thresholds;
    thresholds.nAccuracy = m_editAccuracy->text().toInt(&ok);
    if (!ok || (thresholds.nAccuracy != 0 && (thresholds.nAccuracy < CourseRules::MinAccuracy ||
                                              thresholds.nAccuracy > CourseRules::MaxAccuracy))) {
        AfxMessageBox(u"正确率要求应为 0(用每课自己的要求)或 %1 到 %2 之间的数。"_s
                          .arg(CourseRules::MinAccuracy)
                          .arg(CourseRules::MaxAccuracy));
        SelectEditText(IDC_ACCURACY);
        return;
    }
    thresholds.nSpeedPercent = m_editSpeed->text().toInt(&ok);
    if (!ok || thresholds.nSpeedPercent < CourseRules::MinSpeedPercent ||
        thresholds.nSpeedPercent > CourseRules::MaxSpeedPercent) {
        AfxMessageBox(u"速度要求应为 %1 到 %2 之间的百分数。"_s.arg(CourseRules::MinSpeedPercent)
                          .arg(CourseRules::MaxSpeedPercent));
        SelectEditText(IDC_SPEED);
        return;
    }
    thresholds.bAllOpen = m_checkAllOpen->isChecked();
    try {
        CourseStore::SaveThresholds(*db, m_comboClass->currentData().toString(), thresholds);
    } catch (const CDaoException& e) {
        ReportDaoError(e);
        return;
    }
    CDialog::OnOK();
}
