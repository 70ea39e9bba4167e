#include "platform/Dialog.h"
#include "platform/ListCtrl.h"
#include "platform/ScriptedPlatform.h"
#include "tests/TestMain.h"

#include <QComboBox>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QScrollBar>
#include <QPushButton>
#include <QScreen>

#include <functional>
#include <stdexcept>
#include <utility>

using namespace Qt::Literals::StringLiterals;

namespace {

// Records which handlers ran, in order.
class CProbeDialog : public CDialog
{
    Q_OBJECT
public:
    explicit CProbeDialog(int nID = 9001) : CDialog(nID) {}

    bool OnInitDialog() override
    {
        calls.append(u"init"_s);
        if (bEndInInit)
            EndDialog(7);
        return true;
    }
    void OnOK() override
    {
        calls.append(u"ok"_s);
        CDialog::OnOK();
    }
    void OnCancel() override
    {
        calls.append(u"cancel"_s);
        if (!bRefuseCancel)
            CDialog::OnCancel();
    }
    void OnCommand(int nID) override
    {
        calls.append(u"command %1"_s.arg(nID));
        if (nID == 1030 && bThrowOnCommand)
            throw std::runtime_error("handler failed");
    }
    void OnTimer(int nIDEvent) override { timers.append(nIDEvent); }

    QStringList calls;
    QList<int> timers;
    bool bEndInInit = false;
    bool bRefuseCancel = false;
    bool bThrowOnCommand = false;
};

// A probe dialog on a scripted platform. Run() shows it modally, calls inside
// while it is open, then ends it with IDOK if it is still open.
struct Probe
{
    explicit Probe(int nID = 9001) : dlg(nID) {}
    int Run(const std::function<void()>& inside = {})
    {
        platform.DriveDialog([this, inside](QDialog*) {
            if (inside)
                inside();
            if (dlg.isVisible())
                dlg.EndDialog(IDOK);
        });
        return dlg.DoModal();
    }
    CScriptedPlatform platform;
    CProbeDialog dlg;
};

} // namespace

class TestDialog : public QObject
{
    Q_OBJECT
private slots:

    // Ending in OnInitDialog skips the modal run; controls are made once
    // for runs of the same dialog; a missing or bad template fails the run.
    void runs()
    {
        Probe ended;
        ended.dlg.bEndInInit = true;
        QCOMPARE(ended.dlg.DoModal(), 7);
        QVERIFY(ended.platform.modalRuns.isEmpty() && ended.dlg.IsEnded());
        Probe p;
        p.Run();
        QWidget* first = p.dlg.GetDlgItem(1010);
        const qsizetype nChildren = p.dlg.findChildren<QWidget*>().size();
        p.Run();
        QCOMPARE(std::tuple(p.dlg.GetDlgItem(1010), p.dlg.findChildren<QWidget*>().size(),
                            p.platform.modalRuns),
                 std::tuple(first, nChildren, QStringList{u"CProbeDialog"_s, u"CProbeDialog"_s}));
        for (int id : {9999, 9004}) { // no such template; an unknown control kind
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"CDialog: .*"_s));
            Probe bad(id);
            const int nResult = bad.dlg.DoModal();
            QCOMPARE(bad.platform.modalRuns + bad.dlg.calls << QString::number(nResult),
                     QStringList{u"-1"_s});
        }
    }

    // With two questions out, the dialog waits for both answers: OK and
    // Cancel stay greyed and Esc does nothing until the last one.
    void waitsForTheLastAnswer()
    {
        Probe p;
        QList<bool> okEnabled;
        p.Run([&p, &okEnabled] {
            p.dlg.SetWaiting(true);
            p.dlg.SetWaiting(true);
            p.dlg.SetWaiting(false);
            okEnabled.append(p.dlg.GetDlgItem(1)->isEnabled());
            static_cast<QDialog&>(p.dlg).reject();
            QCoreApplication::processEvents();
            p.dlg.SetWaiting(false);
            okEnabled.append(p.dlg.GetDlgItem(1)->isEnabled());
        });
        QCOMPARE(okEnabled, (QList<bool>{false, true}));
        QVERIFY(!p.dlg.calls.contains(u"cancel"_s));
    }

    // A dialog without a caption still shows a frame along its edge, and its
    // progress bar with an empty range is an empty bar, not a busy stripe.
    void captionlessDialogFrameAndEmptyBar()
    {
        Probe p(9002);
        QImage dialog, bar, empty;
        p.Run([&] {
            auto* progress = p.dlg.Item<QProgressBar>(1013);
            progress->setRange(0, 0);
            dialog = p.dlg.grab().toImage();
            bar = progress->grab().toImage();
            progress->setRange(0, 1);
            progress->setValue(0);
            empty = progress->grab().toImage();
        });
        QVERIFY(!bar.isNull());
        QCOMPARE(bar, empty);
        const int w = dialog.width(), h = dialog.height();
        const QRgb face = dialog.pixel(w / 2, 3);
        for (const QPoint edge :
             {QPoint(w / 2, 0), QPoint(w / 2, h - 1), QPoint(0, h / 2), QPoint(w - 1, h / 2)})
            QVERIFY2(dialog.pixel(edge) != face,
                     qPrintable(u"%1,%2"_s.arg(edge.x()).arg(edge.y())));
    }

    // A multi-line edit grows for the taller lines of the face only as far as
    // the screen leaves room for the dialog and its title bar (this one would
    // grow beyond it); the button below moves down with it and stays inside.
    void tallEditStopsGrowingAtTheScreen()
    {
        Probe p(9005);
        p.Run();
        const int available = p.dlg.screen()->availableGeometry().height();
        auto* edit = p.dlg.Item<QPlainTextEdit>(1050);
        const QRect templateRect = p.dlg.MapDialogRect(QRect(5, 5, 190, 340));
        const QRect button = p.dlg.GetDlgItem(1)->geometry();
        QVERIFY2(p.dlg.height() + 30 <= available && p.dlg.height() + 60 > available,
                 qPrintable(u"%1 of %2"_s.arg(p.dlg.height()).arg(available)));
        QVERIFY(edit->height() > templateRect.height());
        QCOMPARE(button.top() - edit->geometry().bottom(),
                 p.dlg.MapDialogRect(QRect(145, 360, 50, 14)).top() - templateRect.bottom());
        QVERIFY(p.dlg.rect().contains(button));
    }
};

QE_TEST_MAIN(TestDialog)
#include "tst_dialog.moc"
