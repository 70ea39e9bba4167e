#pragma once

#include "course/CourseStore.h"
#include "platform/Dialog.h"

// The result of a finished lesson: speed in keys a minute and WPM, the
// keystroke accuracy, the keys missed most, the stars against the lesson's
// targets and whether the next lesson is open. It ends with Next, Again
// or IDCANCEL.
class CLessonResultDlg : public CDialog
{
    Q_OBJECT
public:
    enum : int { Next = 10, Again = 11 };

    CLessonResultDlg(const CCourse& course, const CLessonRecord& record, bool bKept,
                     QWidget* parent = nullptr);

    bool OnInitDialog() override;
    void OnCommand(int nID) override;

    // The texts shown, for the tests.
    QString StarsText() const;
    QString SummaryText() const;

private:
    const CCourse& m_course;
    const CLessonRecord& m_record;
    bool m_bKept;
};
