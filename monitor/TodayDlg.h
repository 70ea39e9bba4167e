#pragma once

#include "monitor/TodayTasks.h"
#include "platform/Dialog.h"

class CListCtrl;
class CSession;

// 今日任务: a pupil's start page. The class's open exams, its assignments
// with their status, the next lesson of the course and the last three
// results, in one window; 开始 (or a double click) starts the task chosen;
// 我的弱项 opens the pupil's weak keys and characters over it.
class CTodayDlg : public CDialog
{
    Q_OBJECT
public:
    explicit CTodayDlg(const CSession& session, QWidget* parent = nullptr);

    bool OnInitDialog() override;
    void OnOK() override;
    void OnCommand(int nID) override;

    CListCtrl* m_listTasks = nullptr;
    CListCtrl* m_listRecent = nullptr;
    const CToday& Today() const { return m_today; }
    // The tasks read already: the window shows them without reading again.
    void SetToday(CToday today)
    {
        m_today = std::move(today);
        m_bRead = true;
    }
    const CTodayTask& Chosen() const { return m_chosen; }

private:
    void Show();

    const CSession& m_session;
    CToday m_today;
    bool m_bRead = false;
    CTodayTask m_chosen;
};
