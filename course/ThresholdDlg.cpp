#include "course/ThresholdDlg.h"

#include "classroom/ClassCombo.h"
#include "course/CourseStore.h"
#include "platform/Platform.h"
#include "res/DialogIds.h"
#include "users/DialogAsk.h"

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
    FillClassCombo(this, m_session, m_comboClass, m_strClass, [this] { ShowClass(); });
    return true;
}

void CThresholdDlg::ShowClass()
{
    if (m_comboClass->currentIndex() < 0)
        return;
    AskForDialog<CClassThresholds>(
        this, m_session,
        [className = m_comboClass->currentData().toString()](CDaoDatabase& own) {
            return CourseStore::LoadThresholds(own, className);
        },
        [this](const CClassThresholds& thresholds) {
            m_editAccuracy->setText(QString::number(thresholds.nAccuracy));
            m_editSpeed->setText(QString::number(thresholds.nSpeedPercent));
            m_checkAllOpen->setChecked(thresholds.bAllOpen);
        });
}

void CThresholdDlg::OnCommand(int nID)
{
    if (nID == IDC_CLASS)
        ShowClass();
}

void CThresholdDlg::OnOK()
{
    if (m_comboClass->currentIndex() < 0) {
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
    AskForDialog(
        this, m_session,
        [className = m_comboClass->currentData().toString(), thresholds](CDaoDatabase& own) {
            CourseStore::SaveThresholds(own, className, thresholds);
        },
        [this] { CDialog::OnOK(); });
}
