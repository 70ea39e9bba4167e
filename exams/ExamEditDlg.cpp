#include "exams/ExamEditDlg.h"

#include "attempts/Metrics.h"
#include "platform/ListCtrl.h"
#include "platform/Platform.h"
#include "res/DialogIds.h"
#include "users/Database.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

using namespace Qt::Literals::StringLiterals;

namespace {

using enum ExamEditDlgIds::Id;

constexpr int MaxMinutes = 600;

} // namespace

CExamEditDlg::CExamEditDlg(const CExam& exam, QWidget* parent) : CDialog(IDD, parent), m_exam(exam)
{
    setWindowTitle(exam.nId == 0 ? u"新建考试"_s : u"修改考试"_s);
}

bool CExamEditDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_editTitle = Item<QLineEdit>(IDC_TITLE);
    m_comboText = Item<QComboBox>(IDC_TEXT);
    m_comboScreen = Item<QComboBox>(IDC_SCREEN);
    m_editMinutes = Item<QLineEdit>(IDC_MINUTES);
    m_comboBackspace = Item<QComboBox>(IDC_BACKSPACE);
    m_comboRetake = Item<QComboBox>(IDC_RETAKE);
    m_listClasses = Item<CListCtrl>(IDC_CLASSES);
    m_checkOpen = Item<QCheckBox>(IDC_OPEN);
    m_classes.SetUp(m_listClasses);

    QStringList classes;
    CDaoDatabase* db = ActiveDatabase();
    try {
        if (db) {
            m_texts = TextStore::LoadTexts(*db);
            classes = ExamStore::LoadClasses(*db);
        }
    } catch (const CDaoException& e) {
        ReportDaoError(e);
        EndDialog(IDCANCEL_RESULT);
        return true;
    }
    m_classes.Fill(classes, m_exam.classes);

    int current = -1;
    for (const CPracticeText& text : std::as_const(m_texts)) {
        m_screens.append(text.Screens());
        m_comboText->addItem(u"%1(%2)"_s.arg(text.strTitle, Metrics::KindName(text.nKind)));
        if (text.nId == m_exam.nTextId)
            current = m_comboText->count() - 1;
    }
    m_comboText->setCurrentIndex(current < 0 && !m_texts.isEmpty() ? 0 : current);
    ShowScreens(m_exam.nScreen);

    m_editTitle->setText(m_exam.strTitle);
    m_editMinutes->setText(QString::number(m_exam.nMinutes));
    m_comboBackspace->setCurrentIndex(m_exam.bBackspaceAllowed ? 0 : 1);
    m_comboRetake->setCurrentIndex(m_exam.bRetakeAllowed ? 1 : 0);
    // A new exam is set to be sat: open once saved, unless unticked.
    m_checkOpen->setChecked(m_exam.nId == 0 || m_exam.bOpen);
    return true;
}

void CExamEditDlg::CheckClasses(const QStringList& classes)
{
    m_classes.Check(classes);
}

void CExamEditDlg::ShowScreens(int screen)
{
    m_comboScreen->clear();
    const int row = m_comboText->currentIndex();
    const int count = row >= 0 && row < m_screens.size() ? m_screens[row] : 0;
    for (int i = 1; i <= count; ++i)
        m_comboScreen->addItem(u"第 %1 屏"_s.arg(i));
    m_comboScreen->setCurrentIndex(count == 0 ? -1 : qBound(1, screen, count) - 1);
}

void CExamEditDlg::OnCommand(int nID)
{
    if (nID == IDC_TEXT)
        ShowScreens(1);
}

bool CExamEditDlg::Refuse(const QString& text, int nFocusID)
{
    Platform().MessageBox(this, text, u"错误!"_s, MB_OK | MB_ICONEXCLAMATION);
    if (QWidget* control = GetDlgItem(nFocusID))
        control->setFocus();
    return false;
}

void CExamEditDlg::OnOK()
{
    CExam exam = m_exam;
    exam.strTitle = m_editTitle->text().trimmed();
    if (exam.strTitle.isEmpty()) {
        Refuse(u"请输入考试名称!"_s, IDC_TITLE);
        return;
    }
    const int text = m_comboText->currentIndex();
    if (text < 0 || text >= m_texts.size() || m_comboScreen->currentIndex() < 0) {
        Refuse(u"请选择考试用的文章和屏!"_s, IDC_TEXT);
        return;
    }
    bool ok = false;
    exam.nMinutes = m_editMinutes->text().toInt(&ok);
    if (!ok || exam.nMinutes < 1 || exam.nMinutes > MaxMinutes) {
        Refuse(u"限时应为 1 到 %1 分钟!"_s.arg(MaxMinutes), IDC_MINUTES);
        return;
    }
    exam.classes = m_classes.Checked();
    if (exam.classes.isEmpty()) {
        Refuse(u"请至少选择一个参加考试的班级!"_s, IDC_CLASSES);
        return;
    }
    exam.nTextId = m_texts[text].nId;
    exam.strTextTitle = m_texts[text].strTitle;
    exam.nKind = m_texts[text].nKind;
    exam.nScreen = m_comboScreen->currentIndex() + 1;
    exam.bBackspaceAllowed = m_comboBackspace->currentIndex() == 0;
    exam.bRetakeAllowed = m_comboRetake->currentIndex() == 1;
    exam.bOpen = m_checkOpen->isChecked();
    CDaoDatabase* db = GuardedDatabase();
    if (!db)
        return;
    try {
        exam.nId = ExamStore::SaveExam(*db, exam);
    } catch (const CDaoException& e) {
        ReportDaoError(e);
        return;
    }
    m_exam = exam;
    CDialog::OnOK();
}
