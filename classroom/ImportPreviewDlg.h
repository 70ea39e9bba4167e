#pragma once

#include "classroom/ImportPlan.h"
#include "platform/Dialog.h"

#include <QList>
#include <QString>

class CListCtrl;
class CProgressCtrl;
class CSession;

// 导入学生名单: shows what the import of a class list would add and which
// rows it refuses and why; nothing is written until the teacher confirms,
// then every accepted pupil in one transaction.
class CImportPreviewDlg : public CDialog
{
    Q_OBJECT
public:
    CImportPreviewDlg(const CSession& session, QString fileName, QString encoding,
                      QList<CImportRow> plan, QWidget* parent = nullptr);

    bool OnInitDialog() override;
    void OnOK() override;

    int AcceptedCount() const;
    // How many were added; 0 until confirmed.
    int AddedCount() const { return m_nAdded; }

    CListCtrl* m_listRows = nullptr;
    CProgressCtrl* m_wndProgress = nullptr;

private:
    void Added(const QList<CPupil>& pupils);

    const CSession& m_session;
    QString m_strFileName;
    QString m_strEncoding;
    QList<CImportRow> m_plan;
    int m_nAdded = 0;
};

// The whole import as the teacher does it: a file chosen (through the
// platform seam), read and checked, the preview; true when pupils were added.
bool ImportClassList(const CSession& session, QWidget* owner);

// What the teacher is asked once the pupils are imported.
QString ImportedQuestion(int added);
