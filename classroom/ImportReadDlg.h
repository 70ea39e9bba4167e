#pragma once

#include "classroom/ImportPlan.h"
#include "platform/Dialog.h"

#include <QSet>
#include <QString>

#include <memory>

class CProgressCtrl;
class QThread;

// 导入学生名单 while the file is read and checked: a progress bar and
// Cancel, the reading on a thread of its own so that the window keeps
// answering. Ends by itself with OK once the plan is made.
class CImportReadDlg : public CDialog
{
    Q_OBJECT
public:
    CImportReadDlg(QString path, QSet<QString> takenNames, QWidget* parent = nullptr);
    ~CImportReadDlg() override;

    bool OnInitDialog() override;
    void OnCancel() override;
    void OnTimer(int nIDEvent) override;

    // Blocks until the reading has ended and takes its plan, as the
    // reading's end would (for the tests, which run no event loop).
    void WaitForReading();
    // What was read; meaningful after OK.
    const CImportPlan& Plan() const { return m_plan; }

    CProgressCtrl* m_wndProgress = nullptr;

private:
    void OnRead();

    QString m_strPath;
    QSet<QString> m_takenNames;
    CReadProgress m_progress;
    CImportPlan m_plan;
    std::unique_ptr<QThread> m_pThread;
    bool m_bRead = false;
};
