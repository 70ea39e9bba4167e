#pragma once

#include "platform/Dialog.h"

class QLabel;

// The About box (dialog 100): product, version and maker, the picture, and
// the blue link line that opens the maker's web address.
class CAboutDlg : public CDialog
{
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);

    bool OnInitDialog() override;
    void OnCommand(int nID) override;

    // The four information lines, joined by carriage return and line feed.
    static QString InformationText();

    QLabel* m_wndLink = nullptr;
    QString m_strInfo;
};
