#pragma once

#include "course/CourseRules.h"
#include "platform/Dialog.h"

#include <QList>

class CListCtrl;
class CSession;
class QComboBox;

// 指法课程 / 拼音课程: the lessons of a course with the pupil's best stars and
// which are open; OK starts the chosen lesson when it is open. A pupil
// without an account of their own (anonymous, a teacher) may try any lesson.
class CCourseDlg : public CDialog
{
    Q_OBJECT
public:
    explicit CCourseDlg(const CSession& session, const QString& course, QWidget* parent = nullptr);

    bool OnInitDialog() override;
    void OnOK() override;
    void OnCommand(int nID) override;

    const QString& ChosenCourse() const { return m_strCourse; }
    int ChosenLesson() const { return m_nChosen; }
    // Selects a lesson's row as a click would.
    void SelectLesson(int lesson);
    bool IsLessonOpen(int lesson) const;

    CListCtrl* m_listLessons = nullptr;
    QComboBox* m_comboCourse = nullptr;

private:
    // Reads the course's progress (on the session's worker for a pupil's
    // own login) and shows it; a window that never showed it closes when it
    // cannot be read.
    void Load();
    void Show(const QString& courseId, const CClassThresholds& thresholds,
              const QList<CLessonAttempt>& attempts);
    void Fill();

    const CSession& m_session;
    QString m_strCourse;
    int m_nChosen = 0;
    bool m_bOwn = false;
    CClassThresholds m_thresholds;
    QList<CLessonProgress> m_progress;
    bool m_bShown = false;
};
