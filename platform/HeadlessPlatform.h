#pragma once

#include "platform/Platform.h"

// The platform of a process without a desktop (the administrator's
// commands, the benches, a library used on its own): the system's clocks
// and _exit; a message box is written to stderr and answered with its
// safe choice (OK, Cancel, No); nothing runs modally, nothing is chosen,
// nothing is printed. The program installs the desktop's platform at its
// start.
class CHeadlessPlatform : public IPlatform
{
public:
    int MessageBox(QWidget* owner, const QString& text, const QString& caption,
                   unsigned flags) override;
    int RunModal(QDialog* dialog) override;
    void TrackPopupMenu(QMenu* menu, const QPoint& screenPoint) override;
    void OpenUrl(const QString& address) override;
    void Beep() override;
    QTime CurrentTime() override;
    QDateTime CurrentDateTime() override;
    qint64 MonotonicMilliseconds() override;
    void ExitProcess(int status) override;
    InputMethodState InputMethod() override;
    QString GetSaveFileName(QWidget* owner, const QString& caption, const QString& suggested,
                            const QString& filter) override;
    QString GetOpenFileName(QWidget* owner, const QString& caption, const QString& directory,
                            const QString& filter) override;
    bool SetUpPrinter(QWidget* owner, QPrinter* printer) override;
};
