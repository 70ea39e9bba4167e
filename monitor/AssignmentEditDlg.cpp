#include "monitor/AssignmentEditDlg.h"

#include "attempts/PracticeKind.h"
#include "course/CoursePlan.h"
#include "monitor/AssignmentStore.h"
#include "platform/ListCtrl.h"
#include "platform/Platform.h"
#include "res/DialogIds.h"
#include "users/DialogAsk.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>

using namespace Qt::Literals::StringLiterals;

namespace {

using enum AssignmentEditDlgIds::Id;

constexpr int MaxPasses = 99;
constexpr double MaxSpeed = 2000;

} // namespace

CAssignmentEditDlg::CAssignmentEditDlg(const CSession& session, const CAssignment& assignment,
                                       QWidget* parent)
    : CClassTaskEditDlg(session, IDD, parent), m_assignment(assignment)
{
    setWindowTitle(assignment.nId == 0 ? u"新建作业"_s : u"修改作业"_s);
}

bool CAssignmentEditDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_editTitle = Item<QLineEdit>(IDC_TITLE);
    m_comboTask = Item<QComboBox>(IDC_TASK);
    m_comboCourse = Item<QComboBox>(IDC_COURSE);
    m_editFrom = Item<QLineEdit>(IDC_FROM);
    m_editTo = Item<QLineEdit>(IDC_TO);
    m_comboText = Item<QComboBox>(IDC_TEXT);
    m_comboScreen = Item<QComboBox>(IDC_SCREEN);
    m_comboKind = Item<QComboBox>(IDC_KIND);
    m_editSpeed = Item<QLineEdit>(IDC_SPEED);
    m_editAccuracy = Item<QLineEdit>(IDC_ACCURACY);
    m_editPasses = Item<QLineEdit>(IDC_PASSES);
    m_dateStart = Item<QDateEdit>(IDC_START);
    m_dateDue = Item<QDateEdit>(IDC_DUE);
    m_listClasses = Item<CListCtrl>(IDC_CLASSES);
    ShowChoices(m_comboText, m_comboScreen, m_listClasses, m_assignment.nTextId,
                m_assignment.nScreen, m_assignment.classes);
    const QDate today = Platform().CurrentDateTime().date();
    m_editTitle->setText(m_assignment.strTitle);
    m_comboTask->setCurrentIndex(qBound(0, m_assignment.nTask - 1, 2));
    m_comboCourse->setCurrentIndex(
        qMax(0, CoursePlan::CourseIds().indexOf(m_assignment.strCourse)));
    m_editFrom->setText(QString::number(m_assignment.nLessonFrom));
    m_editTo->setText(QString::number(m_assignment.nLessonTo));
    m_comboKind->setCurrentIndex(PracticeKind::IsPractice(m_assignment.nKind)
                                     ? m_assignment.nKind - PracticeKind::Chinese
                                     : 0);
    m_editSpeed->setText(QString::number(m_assignment.dMinSpeed, 'g', 6));
    m_editAccuracy->setText(QString::number(m_assignment.nMinAccuracy));
    m_editPasses->setText(QString::number(m_assignment.nPasses));
    m_dateStart->setDate(m_assignment.startsOn.isValid() ? m_assignment.startsOn : today);
    m_dateDue->setDate(m_assignment.dueOn.isValid() ? m_assignment.dueOn : today.addDays(7));
    ShowTask();
    return true;
}

int CAssignmentEditDlg::Task() const
{
    return m_comboTask->currentIndex() + 1;
}

QString CAssignmentEditDlg::CourseId() const
{
    return CoursePlan::CourseIds().value(m_comboCourse->currentIndex(), CoursePlan::Fingering);
}

void CAssignmentEditDlg::ShowTask()
{
    // Only the choices of the task chosen can be changed; the unit of the
    // speed follows what is measured.
    const int task = Task();
    for (QWidget* control : {static_cast<QWidget*>(m_comboCourse),
                             static_cast<QWidget*>(m_editFrom), static_cast<QWidget*>(m_editTo)})
        control->setEnabled(task == AssignmentTask::Lessons);
    m_comboText->setEnabled(task == AssignmentTask::TextScreen);
    m_comboScreen->setEnabled(task == AssignmentTask::TextScreen);
    m_comboKind->setEnabled(task == AssignmentTask::Drill);
    int kind = PracticeKind::Lesson;
    if (task == AssignmentTask::TextScreen)
        kind = ChosenText() ? ChosenText()->nKind : 0;
    else if (task == AssignmentTask::Drill)
        kind = PracticeKind::Chinese + m_comboKind->currentIndex();
    CAssignment measured;
    measured.nTask = task;
    measured.nKind = kind;
    if (task == AssignmentTask::Lessons) {
        measured.strCourse = CourseId();
        measured.nLessonFrom = m_editFrom->text().toInt();
        measured.nLessonTo = m_editTo->text().toInt();
    }
    SetDlgItemText(IDC_UNIT, measured.SpeedUnitText());
    SetDlgItemText(IDC_PASSES_UNIT, task == AssignmentTask::Lessons ? u"次(每课)"_s : u"次"_s);
}

void CAssignmentEditDlg::OnCommand(int nID)
{
    if (nID == IDC_TEXT)
        ShowScreens(1);
    if (nID == IDC_TASK || nID == IDC_TEXT || nID == IDC_KIND || nID == IDC_COURSE ||
        nID == IDC_FROM || nID == IDC_TO)
        ShowTask();
}

void CAssignmentEditDlg::OnOK()
{
    CAssignment assignment = m_assignment;
    assignment.strTitle = m_editTitle->text().trimmed();
    if (assignment.strTitle.isEmpty()) {
        Refuse(u"请输入作业名称!"_s, IDC_TITLE);
        return;
    }
    assignment.nTask = Task();
    assignment.strCourse.clear();
    assignment.nTextId = 0;
    assignment.strTextTitle.clear();
    assignment.nKind = 0;
    assignment.nLessonFrom = assignment.nLessonTo = 0;
    assignment.nScreen = 0;
    if (assignment.nTask == AssignmentTask::Lessons) {
        const CCourse& course = CoursePlan::Course(CourseId());
        const int from = m_editFrom->text().toInt();
        const int to = m_editTo->text().toInt();
        if (!course.Lesson(from) || !course.Lesson(to) || from > to) {
            Refuse(u"%1共 %2 课,请输入 1 到 %2 之间的课,前一课不大于后一课!"_s.arg(course.strTitle)
                       .arg(course.lessons.size()),
                   IDC_FROM);
            return;
        }
        assignment.strCourse = course.strId;
        assignment.nLessonFrom = from;
        assignment.nLessonTo = to;
    } else if (assignment.nTask == AssignmentTask::TextScreen) {
        const CPracticeText* text = ChosenText();
        if (!text || ChosenScreen() == 0) {
            Refuse(u"请选择作业用的文章和屏!"_s, IDC_TEXT);
            return;
        }
        assignment.nTextId = text->nId;
        assignment.strTextTitle = text->strTitle;
        assignment.nKind = text->nKind;
        assignment.nScreen = ChosenScreen();
    } else {
        assignment.nKind = PracticeKind::Chinese + m_comboKind->currentIndex();
    }
    bool ok = false;
    assignment.dMinSpeed = m_editSpeed->text().trimmed().toDouble(&ok);
    if (!ok || assignment.dMinSpeed < 0 || assignment.dMinSpeed > MaxSpeed) {
        Refuse(u"速度要求应为 0 到 %1 之间的数!"_s.arg(MaxSpeed), IDC_SPEED);
        return;
    }
    assignment.nMinAccuracy = m_editAccuracy->text().toInt(&ok);
    if (!ok || assignment.nMinAccuracy < 0 || assignment.nMinAccuracy > 100) {
        Refuse(u"正确率要求应为 0 到 100!"_s, IDC_ACCURACY);
        return;
    }
    assignment.nPasses = m_editPasses->text().toInt(&ok);
    if (!ok || assignment.nPasses < 1 || assignment.nPasses > MaxPasses) {
        Refuse(u"达到要求的次数应为 1 到 %1!"_s.arg(MaxPasses), IDC_PASSES);
        return;
    }
    assignment.startsOn = m_dateStart->date();
    assignment.dueOn = m_dateDue->date();
    if (assignment.dueOn < assignment.startsOn) {
        Refuse(u"截止日期不能早于开始日期!"_s, IDC_DUE);
        return;
    }
    assignment.classes = CheckedClasses();
    if (assignment.classes.isEmpty()) {
        Refuse(u"请至少选择一个班级!"_s, IDC_CLASSES);
        return;
    }
    AskForDialog<qint64>(
        this, m_session,
        [assignment](CDaoDatabase& own) {
            return AssignmentStore::SaveAssignment(own, assignment);
        },
        [this, assignment](qint64 id) {
            m_assignment = assignment;
            m_assignment.nId = id;
            CDialog::OnOK();
        });
}
