#pragma once

#include "classroom/ImportPlan.h"
#include "platform/Dialog.h"

#include <QSet>
#include <QString>

#include <memory>

class CProgressCtrl;
class CSession;
class QThread;

// 导入学生名单 while the file is read and checked: a progress bar and
// Cancel, the reading on a thread of its own so that the window keeps
// answering. Ends by itself with OK once the plan is made.
class CImportReadDlg : public CDialog
{
    Q_OBJECT
public:
    CImportReadDlg(const CSession& session, QString path, QWidget* parent = nullptr);
    ~CImportReadDlg() override;

    bool OnInitDialog() override;
    void OnCancel() override;
    void OnTimer(int nIDEvent) override;

    // Blocks until the reading (begun once the names taken are read) has
    // ended and takes its plan, as the reading's end would (for the tests,
    // which run no event loop).
    void WaitForReading();
    // What was read; meaningful after OK.
    const CImportPlan& Plan() const { return m_plan; }

    CProgressCtrl* m_wndProgress = nullptr;

private:
    void StartReading(QSet<QString> takenNames);
    void OnRead();

    const CSession& m_session;
    QString m_strPath;
    CReadProgress m_progress;
    CImportPlan m_plan;
    std::unique_ptr<QThread> m_pThread;
    bool m_bRead = false;
};
