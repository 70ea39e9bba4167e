#pragma once

#include "app/CommandRouter.h"
#include "app/DisplayCommands.h"
#include "app/HelpWindow.h"
#include "practice/PracticeClock.h"
#include "classroom/ClassroomCommands.h"
#include "coaching/CoachingCommands.h"
#include "course/CourseCommands.h"
#include "exams/ExamCommands.h"
#include "monitor/AssignmentCommands.h"
#include "monitor/MonitorCommands.h"
#include "platform/CommandTarget.h"
#include "platform/MainWindow.h"
#include "reports/ReportCommands.h"
#include "scores/ScoreCommands.h"
#include "texts/TextCommands.h"
#include "users/UserCommands.h"

#include <QLabel>
#include <QList>
#include <QMainWindow>
#include <QSize>
#include <QPointer>

#include <memory>

class CCommandBars;
class CDaoRecordset;
class CQeDoc;
class CQeView;
class QToolBar;

// The one main window: menu, tool bar and the eight status-bar panes; it
// holds the practice clock, driven by its one-second timer 1, routes the
// commands, asks before the program closes, and handles the frame's commands.
class CMainFrame : public QMainWindow, public IStatusPanes, public IMenuHost, public ICommandTarget
{
    Q_OBJECT
public:
    static constexpr int PaneCount = 8;
    // The window's size with its frame, in pixels at 100 %.
    static constexpr QSize OuterSize{750, 540};

    CMainFrame();
    ~CMainFrame() override;

    // The window creation: view, tool bar, status bar, size and place, the
    // splash window, timer 1. False when a part could not be made.
    bool Create(CQeDoc* pDoc, ICommandTarget* pApplication = nullptr);
    CQeView* GetActiveView() const { return m_pView; }
    CQeDoc* GetActiveDocument() const { return m_pDocument; }
    const CCommandRouter& Router() const { return m_router; }
    CCommandBars* CommandBars() const { return m_pBars; }
    QToolBar* ToolBar() const { return m_pToolBar; }
    CHelpWindow* HelpWindow() const { return m_pHelpWindow; }

    void SetPaneText(int index, const QString& text) override;
    QString PaneText(int index) const;
    QLabel* Pane(int index) const { return m_aPanes.value(index); }

    CPracticeClock& Clock() { return m_clock; }

    // The timer message: timer 1 runs the practice clock's tick.
    void OnTimer(int nIDEvent);
    void TrackPopupMenu(int nMenuId, const QPoint& screenPoint) override;
    // A key press for the main window: true when an accelerator took it.
    bool TranslateAccelerator(const QKeyEvent& event);

    void OnHelpTopics();
    void OnHelpNews();
    void OnHelpUpgrade();

    bool OnCmdMsg(int nID) override;
    bool HasCommandHandler(int nID) const override;
    bool OnUpdateCmdUI(CCmdUI& cmdUI) override;

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void showEvent(QShowEvent* event) override;
    QMenu* createPopupMenu() override { return nullptr; }

private:
    void PreCreateWindow();
    bool CreateToolBar();
    bool CreateStatusBar();
    void CenterOnWorkArea();
    void FitOuterSize();
    void UpdateLockPanes();

    CPracticeClock m_clock;
    CUserCommands m_users;
    CScoreCommands m_scores;
    CReportCommands m_reports;
    CClassroomCommands m_classroom;
    CTextCommands m_texts;
    CExamCommands m_exams;
    CDisplayCommands m_display;
    CCourseCommands m_course;
    CCoachingCommands m_coaching;
    CMonitorCommands m_monitor;
    CAssignmentCommands m_assignments;
    CCommandRouter m_router;
    CCommandBars* m_pBars = nullptr;
    QList<QLabel*> m_aPanes;
    QToolBar* m_pToolBar = nullptr;
    CQeDoc* m_pDocument = nullptr;
    CQeView* m_pView = nullptr;
    QPointer<CHelpWindow> m_pHelpWindow;
    int m_nClockTimer = 0;
};
