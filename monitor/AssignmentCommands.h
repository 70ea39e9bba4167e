#pragma once

#include "monitor/TodayTasks.h"
#include "platform/CommandMap.h"

#include <QMetaObject>

#include <optional>

class CCourseCommands;
class CQeView;
class CSession;
struct CAssignment;
struct CAssignmentStatus;

// 作业 (teachers), 我的作业 and 今日任务 (pupils) in the menu 教学(&J);
// after a pupil's login, 今日任务 when an exam waits or an assignment is
// still to be done. An assignment starts as its lesson, its text's screen
// or its drill would from their own commands.
class CAssignmentCommands : public CCommandMap
{
public:
    explicit CAssignmentCommands(const CSession& session);
    ~CAssignmentCommands() override;

    // The view the assignments start in; after each exam or lesson it
    // closes, 今日任务 shows when something is still to do.
    void SetView(CQeView* pView);
    void SetCourse(CCourseCommands* pCourse) { m_pCourse = pCourse; }

private:
    // 今日任务 after every login, and after a result when an exam waits or
    // an assignment is still to do.
    void OfferToday(bool bAfterLogin);
    void ShowMyAssignments();
    // 今日任务, with the tasks read already when given.
    void ShowToday(std::optional<CToday> read = std::nullopt);
    void Start(const CAssignment& assignment, const CAssignmentStatus& status);

    const CSession& m_session;
    CQeView* m_pView = nullptr;
    CCourseCommands* m_pCourse = nullptr;
    QMetaObject::Connection m_loggedIn;
};
