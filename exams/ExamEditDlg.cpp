#include "exams/ExamEditDlg.h"

#include "platform/ListCtrl.h"
#include "res/DialogIds.h"
#include "users/DialogAsk.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

using namespace Qt::Literals::StringLiterals;

namespace {

using enum ExamEditDlgIds::Id;

constexpr int MaxMinutes = 600;

constexpr std::array ShareEdits{IDC_FIRST, IDC_SECOND, IDC_THIRD};

} // namespace

CExamEditDlg::CExamEditDlg(const CSession& session, const CExam& exam, QWidget* parent)
    : CClassTaskEditDlg(session, IDD, parent), m_exam(exam)
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
    m_checkCompetition = Item<QCheckBox>(IDC_COMPETITION);
    m_comboScoring = Item<QComboBox>(IDC_SCORING);
    ShowChoices(m_comboText, m_comboScreen, m_listClasses, m_exam.nTextId, m_exam.nScreen,
                m_exam.classes);
    m_editTitle->setText(m_exam.strTitle);
    m_editMinutes->setText(QString::number(m_exam.nMinutes));
    m_comboBackspace->setCurrentIndex(m_exam.bBackspaceAllowed ? 0 : 1);
    m_comboRetake->setCurrentIndex(m_exam.bRetakeAllowed ? 1 : 0);
    // A new exam is set to be sat: open once saved, unless unticked.
    m_checkOpen->setChecked(m_exam.nId == 0 || m_exam.bOpen);
    const CCompetitionSettings competition = m_exam.competition.value_or(CCompetitionSettings());
    m_checkCompetition->setChecked(m_exam.competition.has_value());
    m_comboScoring->setCurrentIndex(competition.nScoring);
    for (size_t i = 0; i < ShareEdits.size(); ++i)
        SetDlgItemText(ShareEdits[i], QString::number(competition.shares[i]));
    ShowCompetition();
    return true;
}

void CExamEditDlg::ShowCompetition()
{
    const bool bCompetition = m_checkCompetition->isChecked();
    // Once started, how a competition is scored stays.
    const bool bStarted = m_exam.competition && m_exam.competition->startsAt.isValid();
    m_checkCompetition->setEnabled(!bStarted);
    for (int id : {int(IDC_SCORING), int(IDC_FIRST), int(IDC_SECOND), int(IDC_THIRD)})
        GetDlgItem(id)->setEnabled(bCompetition && !bStarted);
    m_comboRetake->setEnabled(!bCompetition);
    m_checkOpen->setEnabled(!bCompetition);
}

void CExamEditDlg::OnCommand(int nID)
{
    if (nID == IDC_TEXT)
        ShowScreens(1);
    else if (nID == IDC_COMPETITION)
        ShowCompetition();
}

void CExamEditDlg::OnOK()
{
    CExam exam = m_exam;
    exam.strTitle = m_editTitle->text().trimmed();
    if (exam.strTitle.isEmpty()) {
        Refuse(u"请输入考试名称!"_s, IDC_TITLE);
        return;
    }
    const CPracticeText* text = ChosenText();
    if (!text || ChosenScreen() == 0) {
        Refuse(u"请选择考试用的文章和屏!"_s, IDC_TEXT);
        return;
    }
    bool ok = false;
    exam.nMinutes = m_editMinutes->text().toInt(&ok);
    if (!ok || exam.nMinutes < 1 || exam.nMinutes > MaxMinutes) {
        Refuse(u"限时应为 1 到 %1 分钟!"_s.arg(MaxMinutes), IDC_MINUTES);
        return;
    }
    exam.classes = CheckedClasses();
    if (exam.classes.isEmpty()) {
        Refuse(u"请至少选择一个参加考试的班级!"_s, IDC_CLASSES);
        return;
    }
    exam.nTextId = text->nId;
    exam.strTextTitle = text->strTitle;
    exam.nKind = text->nKind;
    exam.nScreen = ChosenScreen();
    exam.bBackspaceAllowed = m_comboBackspace->currentIndex() == 0;
    exam.bRetakeAllowed = m_comboRetake->currentIndex() == 1;
    exam.bOpen = m_checkOpen->isChecked();
    exam.competition.reset();
    if (m_checkCompetition->isChecked()) {
        CCompetitionSettings& competition =
            exam.competition.emplace(m_exam.competition.value_or(CCompetitionSettings()));
        competition.nScoring = m_comboScoring->currentIndex();
        for (size_t i = 0; i < ShareEdits.size(); ++i)
            competition.shares[i] = GetDlgItemText(ShareEdits[i]).toInt(); // empty: none
        if (const QString problem = CompetitionRules::SharesProblem(competition.shares);
            !problem.isEmpty()) {
            Refuse(problem, IDC_FIRST);
            return;
        }
        // Sat once; open at once, so that its pupils can wait on its card
        // (its text reaches nobody before the start).
        exam.bRetakeAllowed = false;
        exam.bOpen = competition.startsAt.isValid() ? m_exam.bOpen : true;
    }
    AskForDialog<qint64>(
        this, m_session, [exam](CDaoDatabase& own) { return ExamStore::SaveExam(own, exam); },
        [this, exam](qint64 id) {
            m_exam = exam;
            m_exam.nId = id;
            CDialog::OnOK();
        });
}
