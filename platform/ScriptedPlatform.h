#pragma once

#include "platform/Platform.h"

#include <QList>
#include <QPoint>
#include <QStringList>

#include <deque>
#include <functional>

// The platform the tests install: it answers message boxes from a queue and
// records them, drives each modal dialog through a callback that receives
// the live, initialised dialog, fixes the clocks and records exits, beeps
// and opened addresses instead of performing them; the input method is
// whatever the test sets; file choosers take their answers from a queue and
// printing goes to a PDF file the test names.
class CScriptedPlatform : public IPlatform
{
public:
    struct Box
    {
        QString text;
        QString caption;
        unsigned flags = 0;
        QWidget* owner = nullptr;
    };
    using DialogDriver = std::function<void(QDialog*)>;
    using PopupDriver = std::function<void(QMenu*)>;

    CScriptedPlatform();           // installs itself
    ~CScriptedPlatform() override; // restores the Qt platform

    // Answers for the next boxes, in order. With the queue empty a box is
    // answered with its first button (IDOK, or IDYES for Yes/No).
    void AnswerBoxes(std::initializer_list<int> answers);
    // Drivers for the next modal runs, in order. The driver fills controls
    // and presses buttons; a dialog it leaves open is closed with result -1
    // and counted in UnfinishedDialogs. With no driver queued a dialog is
    // closed at once with IDCANCEL without running its own handlers.
    void DriveDialog(DialogDriver driver);
    // A driver for the next pop-up menu: it receives the live menu, shown
    // at its point, and may highlight items; the menu is closed afterwards.
    void DrivePopup(PopupDriver driver);

    // Answers for the next file choosers, in order: a path, or an empty
    // text for Cancel. With the queue empty a chooser is cancelled.
    void AnswerFiles(std::initializer_list<QString> paths);
    // Answers for the next print dialogs: the printout goes to this PDF
    // file; an empty text cancels. With the queue empty printing is cancelled.
    void AnswerPrints(std::initializer_list<QString> pdfPaths);

    void SetTime(const QTime& time) { m_time = time; }
    void SetDate(const QDate& date) { m_date = date; }
    // Moves both clocks on: the monotonic one and the time of day (past
    // midnight into the next day); then tells whoever keeps a clock of its
    // own (a server's records of when things began, moved back as much).
    void Advance(qint64 milliseconds)
    {
        m_nMonotonic += milliseconds;
        const QDateTime next = CurrentDateTime().addMSecs(milliseconds);
        m_date = next.date();
        m_time = next.time();
        if (TimePasses())
            TimePasses()(milliseconds);
    }
    static std::function<void(qint64)>& TimePasses()
    {
        static std::function<void(qint64)> passes;
        return passes;
    }

    QList<Box> boxes;
    QStringList modalRuns; // class names of the dialogs run, in order
    QStringList openedUrls;
    struct Popup
    {
        QPoint point;
        QStringList texts; // the menu's items, "-" for a separator
    };
    QList<Popup> popups;
    QList<int> exits;
    QStringList fileChoosers;   // captions of the file choosers shown, in order
    QStringList fileFilters;    // their filters
    QStringList startFolders;   // the folder each started in
    QStringList suggestedFiles; // the names the save choosers suggested
    int printDialogs = 0;
    int beeps = 0;
    int unfinishedDialogs = 0;

    int MessageBox(QWidget* owner, const QString& text, const QString& caption,
                   unsigned flags) override;
    int RunModal(QDialog* dialog) override;
    void TrackPopupMenu(QMenu* menu, const QPoint& screenPoint) override;
    void OpenUrl(const QString& address) override;
    void Beep() override { ++beeps; }
    QTime CurrentTime() override { return m_time; }
    QDateTime CurrentDateTime() override { return QDateTime(m_date, m_time); }
    qint64 MonotonicMilliseconds() override { return m_nMonotonic; }
    void ExitProcess(int status) override { exits.append(status); }
    InputMethodState InputMethod() override { return inputMethod; }
    QString GetSaveFileName(QWidget* owner, const QString& caption, const QString& suggested,
                            const QString& filter) override;
    QString GetOpenFileName(QWidget* owner, const QString& caption, const QString& directory,
                            const QString& filter) override;
    bool SetUpPrinter(QWidget* owner, QPrinter* printer) override;

    InputMethodState inputMethod = InputMethodState::Active;

private:
    std::deque<int> m_answers;
    std::deque<DialogDriver> m_drivers;
    std::deque<PopupDriver> m_popupDrivers;
    std::deque<QString> m_files;
    std::deque<QString> m_prints;
    QTime m_time{12, 0, 0};
    QDate m_date{2024, 9, 2};
    qint64 m_nMonotonic = 1000000;
};
