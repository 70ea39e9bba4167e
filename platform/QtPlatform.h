#pragma once

#include "platform/HeadlessPlatform.h"

// The platform as it is: Qt message boxes, QDialog::exec, the desktop
// services, the system beep, the input-method probe, the file choosers and
// the print dialog; the clocks and the exit are the headless platform's.
class CQtPlatform : public CHeadlessPlatform
{
public:
    int MessageBox(QWidget* owner, const QString& text, const QString& caption,
                   unsigned flags) override;
    int RunModal(QDialog* dialog) override;
    void TrackPopupMenu(QMenu* menu, const QPoint& screenPoint) override;
    void OpenUrl(const QString& address) override;
    void Beep() override;
    InputMethodState InputMethod() override;
    QString GetSaveFileName(QWidget* owner, const QString& caption, const QString& suggested,
                            const QString& filter) override;
    QString GetOpenFileName(QWidget* owner, const QString& caption, const QString& directory,
                            const QString& filter) override;
    bool SetUpPrinter(QWidget* owner, QPrinter* printer) override;
};
