#pragma once

#include <QDateTime>
#include <QString>
#include <QTime>

class QDialog;
class QMenu;
class QPoint;
class QPrinter;
class QWidget;

// Message-box flags and results with the Windows values, so that the
// behaviour tables of the program read the same in code and in tests.
enum : unsigned {
    MB_OK = 0x00000000u,
    MB_OKCANCEL = 0x00000001u,
    MB_YESNO = 0x00000004u,
    MB_ICONSTOP = 0x00000010u,
    MB_ICONHAND = MB_ICONSTOP,
    MB_ICONQUESTION = 0x00000020u,
    MB_ICONEXCLAMATION = 0x00000030u,
    MB_ICONINFORMATION = 0x00000040u,
    MB_DEFBUTTON2 = 0x00000100u,
    MB_TYPEMASK = 0x0000000Fu,
    MB_ICONMASK = 0x000000F0u,
    MB_DEFMASK = 0x00000F00u,
};

enum : int {
    IDOK = 1,
    IDCANCEL = 2,
    IDYES = 6,
    IDNO = 7,
};

// Whether typed Chinese can reach the program through an input method.
enum class InputMethodState {
    Active,        // running, or a kind we cannot check
    NotConfigured, // the program was not told to use one (QT_IM_MODULE)
    ModuleMissing, // the input method's Qt module is not installed
    NotRunning,    // the input method named is not running
};

// The one seam for everything that blocks or leaves the process: message
// boxes, modal runs, the desktop, the beep, the clocks, the exit and the
// state of the input method.
// The default implementation calls Qt; tests install a scripted one.
class IPlatform
{
public:
    virtual ~IPlatform() = default;

    // Shows a modal box owned by owner (may be null) and returns IDOK,
    // IDCANCEL, IDYES or IDNO.
    virtual int MessageBox(QWidget* owner, const QString& text, const QString& caption,
                           unsigned flags) = 0;
    // Runs an initialised dialog modally and returns its result code.
    virtual int RunModal(QDialog* dialog) = 0;
    // Shows a pop-up menu at a screen point until it closes.
    virtual void TrackPopupMenu(QMenu* menu, const QPoint& screenPoint) = 0;
    // Hands an address (with or without scheme) or a file to the desktop.
    virtual void OpenUrl(const QString& address) = 0;
    virtual void Beep() = 0;
    virtual QTime CurrentTime() = 0;
    // The local date and time of day, for what is recorded with a date.
    virtual QDateTime CurrentDateTime() = 0;
    // Milliseconds of a clock that only moves forward, whatever happens to
    // the time of day; for measuring how long something took.
    virtual qint64 MonotonicMilliseconds() = 0;
    // Ends the process at once with the given status; nothing is saved.
    virtual void ExitProcess(int status) = 0;
    virtual InputMethodState InputMethod() = 0;

    // File choosers: the path the user chose, or an empty text when they
    // cancelled. filter is a QFileDialog filter ("表格 (*.xlsx)"); a save
    // chooser suggests a path, an open chooser starts in directory.
    virtual QString GetSaveFileName(QWidget* owner, const QString& caption,
                                    const QString& suggested, const QString& filter) = 0;
    virtual QString GetOpenFileName(QWidget* owner, const QString& caption,
                                    const QString& directory, const QString& filter) = 0;
    // Lets the user choose a printer and its settings for printer; false
    // when they cancelled.
    virtual bool SetUpPrinter(QWidget* owner, QPrinter* printer) = 0;
};

// The platform in use: the one installed (the program installs the
// desktop's, CQtPlatform; a test its scripted one), else the headless one.
IPlatform& Platform();
// Installs platform (not owned); nullptr restores the headless one.
void SetPlatform(IPlatform* platform);

// The application-level message box: caption "qe" and, when flags name no
// icon, the exclamation icon.
int AfxMessageBox(const QString& text, unsigned flags = MB_OK);
