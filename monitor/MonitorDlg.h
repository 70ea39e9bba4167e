#pragma once

#include "monitor/MonitorModel.h"
#include "monitor/PupilTiles.h"
#include "platform/Dialog.h"
#include "users/LiveWatch.h"

class CListCtrl;
class CSession;
class QComboBox;

// 课堂监控: the pupils of a class and what their programs are doing, as
// they report it. On PostgreSQL the window is woken by the reports' notices
// (LISTEN qe_live); it reads the class again every five seconds besides, for
// where notices do not arrive (a file database, a connection pooler). A
// click on a heading sorts by that column; 结束考试 ends the exam running in
// the class for everybody. The pupils show as tiles, or as a list.
class CMonitorDlg : public CDialog
{
    Q_OBJECT
public:
    explicit CMonitorDlg(const CSession& session, QWidget* parent = nullptr);
    ~CMonitorDlg() override;

    bool OnInitDialog() override;
    void OnCommand(int nID) override;

    // Reads the class again on the session's worker, as a notice or the
    // timer does; the list and the tiles show it once answered.
    void Reload();
    void SortBy(int column);
    const QList<MonitorModel::CLine>& Lines() const { return m_lines; }
    // How often a notice woke the window (for the suites).
    int Notices() const { return m_watch.Notices(); }

    CListCtrl* m_listPupils = nullptr;
    QComboBox* m_comboClass = nullptr;
    CPupilTiles* m_pTiles = nullptr;

    static constexpr int PollMs = 5000;

private:
    void ReadClass();
    void Fill();
    void ShowAsList(bool bList);
    void EndExam();

    const CSession& m_session;
    CLiveWatch m_watch;
    QList<MonitorModel::CLine> m_lines;
    QDateTime m_now;
    int m_nSortColumn = -1;
    bool m_bAscending = true;
};
