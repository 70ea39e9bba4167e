#pragma once

#include "app/PracticeClock.h"
#include "platform/CommandTarget.h"
#include "platform/MainWindow.h"

#include <QLabel>
#include <QList>
#include <QMainWindow>

#include <memory>

class CDaoRecordset;
class CQeDoc;
class CQeView;
class QToolBar;

// The one main window: menu, tool bar and the eight status-bar panes; it
// holds the practice clock, driven by its one-second timer 1, asks before
// the program closes, and handles the frame's commands.
class CMainFrame : public QMainWindow,
                   public IStatusPanes,
                   public IPracticeClock,
                   public ICommandTarget
{
    Q_OBJECT
public:
    static constexpr int PaneCount = 8;

    CMainFrame();
    ~CMainFrame() override;

    // The window creation: view, tool bar, status bar, size and place, the
    // splash window, timer 1. False when a part could not be made.
    bool Create(CQeDoc* pDoc);
    CQeView* GetActiveView() const { return m_pView; }
    CQeDoc* GetActiveDocument() const { return m_pDocument; }

    void SetPaneText(int index, const QString& text) override;
    QString PaneText(int index) const;
    QLabel* Pane(int index) const { return m_aPanes.value(index); }

    void MarkStartTime() override { m_clock.MarkStartTime(); }
    void StartClock() override { m_clock.StartClock(); }
    void StopClock() override { m_clock.StopClock(); }
    void ShowReadyPrompt() override { m_clock.ShowReadyPrompt(); }
    void ShowPracticeRunning() override { m_clock.ShowPracticeRunning(); }
    void ResetClock() override { m_clock.ResetClock(); }
    CPracticeClock& Clock() { return m_clock; }

    // The timer message: timer 1 runs the practice clock's tick.
    void OnTimer(int nIDEvent);

    bool OnCmdMsg(int nID) override;
    bool HasCommandHandler(int nID) const override;
    bool OnUpdateCmdUI(CCmdUI& cmdUI) override;

    std::unique_ptr<CDaoRecordset> m_pHistorySet;

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    void PreCreateWindow();
    bool CreateStatusBar();
    void CenterOnWorkArea();

    CPracticeClock m_clock;
    QList<QLabel*> m_aPanes;
    QToolBar* m_pToolBar = nullptr;
    CQeDoc* m_pDocument = nullptr;
    CQeView* m_pView = nullptr;
    int m_nClockTimer = 0;
};
