#pragma once

#include "platform/Dao.h"
#include "platform/Dialog.h"
#include "users/SlidePlacement.h"

#include <memory>

// What the two super-user dialogs share: they slide in from the left screen
// edge and out to the right, and work on a scan of table supperuser.
class CSuperUserDlg : public CDialog
{
    Q_OBJECT
public:
    CSuperUserDlg(int nIDTemplate, QWidget* parent);
    ~CSuperUserDlg() override;

    bool OnInitDialog() override;
    void OnCancel() override;

    const CSlidePlacement& Placement() const { return m_placement; }

protected:
    // Moves the preset values into the edits.
    virtual void ShowValues() = 0;
    // False when the table could not be opened: OK then does nothing.
    bool HasOpenSet() const { return m_pSet && m_pSet->IsOpen(); }
    // Slides the dialog out and closes it with nResult.
    void Close(int nResult);
    void ShowError(const QString& text);

    std::unique_ptr<CDaoRecordset> m_pSet;

private:
    CSlidePlacement m_placement;
};
