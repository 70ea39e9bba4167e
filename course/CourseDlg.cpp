#include "course/CourseDlg.h"

#include "attempts/LessonAttemptStore.h"
#include "course/CourseStore.h"
#include "platform/ListCtrl.h"
#include "platform/Platform.h"
#include "res/DialogIds.h"
#include "users/Database.h"
#include "users/DialogAsk.h"
#include "users/ReportList.h"
#include "users/Session.h"

#include <QComboBox>
#include <QItemSelectionModel>

using namespace Qt::Literals::StringLiterals;

namespace {

using enum CourseDlgIds::Id;

const QList<ListColumn> g_columns = {
    {u"课"_s, 50},    {u"内容"_s, 156}, {u"键数"_s, 50},
    {u"要求"_s, 120}, {u"最好"_s, 60},  {u"状态"_s, 70},
};

QString StarText(int stars)
{
    return stars == 0 ? QString() : QString(stars, QChar(u'★'));
}

} // namespace

CCourseDlg::CCourseDlg(const CSession& session, const QString& course, QWidget* parent)
    : CDialog(IDD, parent), m_session(session), m_strCourse(course)
{
}

bool CCourseDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_listLessons = Item<CListCtrl>(IDC_LESSONS);
    m_comboCourse = Item<QComboBox>(IDC_COURSE);
    SetUpReportList(m_listLessons, g_columns);
    m_comboCourse->setCurrentIndex(int(CoursePlan::CourseIds().indexOf(m_strCourse)));
    Load();
    m_listLessons->setFocus();
    return false;
}

void CCourseDlg::Load()
{
    const CCourse& course = CoursePlan::Course(m_strCourse);
    setWindowTitle(course.strTitle);
    m_bOwn = m_session.IsOwnLogin() && m_session.Database();
    if (!m_bOwn) {
        Show(m_strCourse, {}, {});
        return;
    }
    // The class's thresholds and the pupil's lessons are read on the
    // session's worker; the lessons show once answered.
    struct CRead
    {
        CClassThresholds thresholds;
        QList<CLessonAttempt> attempts;
    };
    AskForDialog<CRead>(
        this, m_session,
        [pupil = m_session.Account(), courseId = m_strCourse](CDaoDatabase& own) {
            return CRead{CourseStore::LoadThresholds(own, pupil.strClass),
                         LessonAttemptStore::Load(own, pupil.nKey, courseId)};
        },
        [this, courseId = m_strCourse](const CRead& read) {
            Show(courseId, read.thresholds, read.attempts);
        },
        [this] {
            if (!m_bShown)
                EndDialog(IDCANCEL_RESULT);
        });
}

void CCourseDlg::Show(const QString& courseId, const CClassThresholds& thresholds,
                      const QList<CLessonAttempt>& attempts)
{
    if (courseId != m_strCourse)
        return; // another course was chosen meanwhile, and is read
    m_thresholds = thresholds;
    m_progress = CourseRules::Progress(CoursePlan::Course(courseId), attempts, thresholds);
    m_bShown = true;
    Fill();
}

void CCourseDlg::Fill()
{
    const CCourse& course = CoursePlan::Course(m_strCourse);
    QList<QStringList> rows;
    for (const CLesson& lesson : course.lessons) {
        const CLessonTargets targets = CourseRules::Targets(lesson, m_thresholds);
        const CLessonProgress& progress = m_progress[lesson.nNumber - 1];
        QString state = IsLessonOpen(lesson.nNumber) ? u"开放"_s : u"未开放"_s;
        if (progress.bPassed)
            state = u"已过关"_s;
        rows.append({QString::number(lesson.nNumber), lesson.strTitle,
                     QString::number(lesson.Keystrokes()),
                     u"正确率%1% 速度%2"_s.arg(targets.nAccuracy).arg(targets.nSpeed),
                     StarText(progress.nBestStars), state});
    }
    m_listLessons->DeleteAllItems();
    m_listLessons->AppendRows(rows);
    SetDlgItemText(IDC_TITLE, m_bOwn ? u"%1,你已经学到第 %2 课。"_s.arg(m_session.Account().strName)
                                           .arg(CourseRules::Reached(m_progress))
                                     : u"没有登录个人账号:每一课都可以试,成绩不保存。"_s);
    SetDlgItemText(IDC_NOTE, u"速度是每分钟打对的%1数。一课达到要求(正确率和速度)就开放下一课;"
                             u"正确率更高、速度更快可以得到两颗或三颗星。"_s.arg(course.strUnit));
    SelectLesson(m_bOwn ? CourseRules::Reached(m_progress) : 1);
}

bool CCourseDlg::IsLessonOpen(int lesson) const
{
    if (lesson < 1 || lesson > m_progress.size())
        return false;
    return !m_bOwn || CourseRules::IsOpen(lesson, m_progress, m_thresholds);
}

void CCourseDlg::SelectLesson(int lesson)
{
    const QModelIndex index = m_listLessons->model()->index(lesson - 1, 0);
    m_listLessons->setCurrentIndex(index);
    m_listLessons->selectionModel()->select(index, QItemSelectionModel::ClearAndSelect |
                                                       QItemSelectionModel::Rows);
}

void CCourseDlg::OnCommand(int nID)
{
    if (nID != IDC_COURSE || m_comboCourse->currentIndex() < 0)
        return;
    m_strCourse = CoursePlan::CourseIds().value(m_comboCourse->currentIndex());
    Load();
}

void CCourseDlg::OnOK()
{
    const int lesson = m_listLessons->currentIndex().row() + 1;
    if (lesson < 1) {
        AfxMessageBox(u"请先选择一课。"_s);
        return;
    }
    if (!IsLessonOpen(lesson)) {
        const CCourse& course = CoursePlan::Course(m_strCourse);
        const CLessonTargets targets =
            CourseRules::Targets(course.lessons[lesson - 2], m_thresholds);
        AfxMessageBox(
            u"第 %1 课还没有开放:先在第 %2 课达到要求(正确率 %3%,速度每分钟 %4 %5)。"_s.arg(lesson)
                .arg(lesson - 1)
                .arg(targets.nAccuracy)
                .arg(targets.nSpeed)
                .arg(course.UnitOf(course.lessons[lesson - 2])));
        return;
    }
    m_nChosen = lesson;
    CDialog::OnOK();
}
