#pragma once

#include "course/CourseClassModel.h"
#include "platform/Dialog.h"

#include <memory>

class CListCtrl;
class CSession;
class QComboBox;

// 班级课程进度: for one class and course, each pupil's lesson reached,
// lessons passed, stars and last practice; exported like the class report,
// and the class's thresholds a button away.
class CCourseClassDlg : public CDialog
{
    Q_OBJECT
public:
    explicit CCourseClassDlg(const CSession& session, QWidget* parent = nullptr);

    bool OnInitDialog() override;
    void OnCommand(int nID) override;

    const CCourseClassModel* Model() const { return m_pModel.get(); }
    QString ChosenClass() const;
    QString ChosenCourse() const;

    CListCtrl* m_listPupils = nullptr;
    QComboBox* m_comboClass = nullptr;
    QComboBox* m_comboCourse = nullptr;

private:
    void Refresh();

    const CSession& m_session;
    std::unique_ptr<CCourseClassModel> m_pModel;
};
