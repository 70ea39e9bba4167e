#include "platform/Dialog.h"
#include "platform/ListCtrl.h"
#include "platform/ScriptedPlatform.h"
#include "tests/TestMain.h"

#include <QFontInfo>

#include <QComboBox>
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

int Round(double value)
{
    return static_cast<int>(std::lround(value));
}

// A probe dialog on a scripted platform. Run() shows it modally, calls
// inside while it is open and then ends it with IDOK if it is still open;
// values are captured inside and asserted afterwards.
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
    void controlsArePlacedInDialogUnits_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<QRect>("units");
        QTest::addColumn<QString>("height");
        QTest::newRow("number edit") << 1010 << QRect(10, 10, 60, 12) << u"a line"_s;
        QTest::newRow("password edit") << 1011 << QRect(10, 26, 41, 12) << u"a line"_s;
        QTest::newRow("button below the multi-line edit")
            << 1 << QRect(140, 100, 50, 14) << u"template"_s;
        QTest::newRow("list view") << 1040 << QRect(10, 74, 120, 20) << u"template"_s;
        QTest::newRow("place for the dialog's own widget")
            << 1060 << QRect(150, 10, 40, 40) << u"template"_s;
        QTest::newRow("drop list keeps its own height")
            << 1020 << QRect(80, 10, 60, 40) << u"own"_s;
    }
    void controlsArePlacedInDialogUnits()
    {
        QFETCH(int, id);
        QFETCH(QRect, units);
        QFETCH(QString, height);
        Probe p;
        QRect geometry;
        QFont font;
        int lineHeight = 0;
        int grown = 0;
        p.Run([&] {
            geometry = p.dlg.GetDlgItem(id)->geometry();
            font = p.dlg.GetDlgItem(id)->font();
            lineHeight = p.dlg.GetDlgItem(id)->sizeHint().height();
            grown = p.dlg.GetDlgItem(1050)->height() -
                    p.dlg.MapDialogRect(QRect(120, 58, 70, 30)).height();
        });
        QCOMPARE(font.family(), u"Noto Sans CJK SC"_s);
        QCOMPARE(font.pointSize(), 9);
        const QFontMetrics fm(font);
        int nLetters = 0;
        for (char16_t ch = u'A'; ch <= u'Z'; ++ch)
            nLetters += fm.horizontalAdvance(QChar(ch)) + fm.horizontalAdvance(QChar(ch + 32));
        const int bx = (nLetters / 26 + 1) / 2;
        const int by = QFontInfo(font).pixelSize(); // the em square, not the taller line
        QVERIFY2(bx >= 4 && bx <= 10, qPrintable(QString::number(bx)));
        const int left = Round(units.x() * bx / 4.0);
        const int top = Round(units.y() * by / 8.0);
        const int bottom = Round((units.y() + units.height()) * by / 8.0);
        // The multi-line edit 1050 (58 to 88 units) grew for its lines of the
        // taller face; what stands below it moved down as far.
        QVERIFY(grown > 0);
        const int shift = units.y() >= 58 + 30 ? grown : 0;
        QCOMPARE(geometry.x(), left);
        QCOMPARE(geometry.width(), Round((units.x() + units.width()) * bx / 4.0) - left);
        if (height == u"template") {
            QCOMPARE(geometry.y(), top + shift);
            QCOMPARE(geometry.height(), bottom - top);
        } else if (height == u"a line") {
            // A line of the taller face fits whole, about the same centre.
            QCOMPARE(geometry.height(), std::max(bottom - top, lineHeight));
            QVERIFY(std::abs(geometry.center().y() - (top + bottom) / 2) <= 1);
        } else {
            QCOMPARE(geometry.y(), top);
            QVERIFY(geometry.height() < bottom - top);
        }
        QCOMPARE(p.dlg.size(), p.dlg.MapDialogRect(QRect(0, 0, 200, 120)).size() + QSize(0, grown));
        QCOMPARE(p.dlg.minimumSize(), p.dlg.maximumSize());
    }

    void controlsAreFoundById_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("className");
        QTest::newRow("edit") << 1010 << u"QLineEdit"_s;
        QTest::newRow("multi-line edit") << 1050 << u"QPlainTextEdit"_s;
        QTest::newRow("drop list") << 1020 << u"QComboBox"_s;
        QTest::newRow("static") << 1021 << u"QLabel"_s;
        QTest::newRow("default button") << 1 << u"QPushButton"_s;
        QTest::newRow("list view") << 1040 << u"CListCtrl"_s;
        QTest::newRow("custom place") << 1060 << u"QWidget"_s;
        QTest::newRow("unknown id") << 4711 << QString();
    }
    void controlsAreFoundById()
    {
        QFETCH(int, id);
        QFETCH(QString, className);
        Probe p;
        QString found;
        p.Run([&] {
            if (QWidget* w = p.dlg.GetDlgItem(id))
                found = QString::fromLatin1(w->metaObject()->className());
        });
        QCOMPARE(found, className);
    }

    void droplistStartsWithItemsAndNoSelection()
    {
        Probe p;
        QStringList items;
        int nIndex = 0;
        p.Run([&] {
            auto* combo = p.dlg.Item<QComboBox>(1020);
            for (int i = 0; i < combo->count(); ++i)
                items.append(combo->itemText(i));
            nIndex = combo->currentIndex();
        });
        QCOMPARE(items, (QStringList{u"甲"_s, u"乙"_s, u"丙"_s}));
        QCOMPARE(nIndex, -1);
    }

    void tabOrderFollowsTemplate()
    {
        Probe p;
        QList<int> order;
        p.Run([&] {
            QWidget* first = p.dlg.GetDlgItem(1010);
            QWidget* w = first;
            do {
                const QVariant id = w->property("controlId");
                if (id.isValid() && (w->focusPolicy() & Qt::TabFocus))
                    order.append(id.toInt());
                w = w->nextInFocusChain();
            } while (w && w != first && order.size() < 50);
        });
        QCOMPARE(order, (QList<int>{1010, 1011, 1012, 1013, 1020, 1, 2, 1030, 1040, 1050}));
    }

    void editStylesTakeEffect()
    {
        Probe p;
        QString number, readOnly, limited, password, longNumber;
        QLineEdit::EchoMode echo = QLineEdit::Normal;
        int passwordWidth = 0, passwordRoom = 0;
        p.Run([&] {
            CDialog& dlg = p.dlg;
            QTest::keyClicks(dlg.GetDlgItem(1010), u"12ab3"_s);
            number = dlg.GetDlgItemText(1010);
            QTest::keyClicks(dlg.GetDlgItem(1012), u"xyz"_s);
            readOnly = dlg.GetDlgItemText(1012);
            QTest::keyClicks(dlg.GetDlgItem(1013), u"abcdefgh"_s);
            limited = dlg.GetDlgItemText(1013);
            auto* edit = dlg.Item<QLineEdit>(1011);
            echo = edit->echoMode();
            QTest::keyClicks(edit, QString(60, u'W'));
            password = edit->text();
            const QChar mask(
                edit->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, edit));
            passwordWidth = edit->fontMetrics().horizontalAdvance(QString(password.size(), mask));
            passwordRoom = edit->width();
            dlg.SetDlgItemText(1010, QString());
            QTest::keyClicks(dlg.GetDlgItem(1010), QString(40, u'7'));
            longNumber = dlg.GetDlgItemText(1010);
        });
        QCOMPARE(number, u"123"_s);
        QCOMPARE(readOnly, u"只读"_s);
        QCOMPARE(limited, u"abcde"_s);
        QCOMPARE(echo, QLineEdit::Password);
        // Without horizontal scrolling typing stops when the box is full.
        QVERIFY2(password.size() > 0 && password.size() < 60, qPrintable(password));
        QVERIFY(passwordWidth < passwordRoom);
        // Masked narrowly, a box as wide as the login's still takes a password
        // of the ten characters that registration allows.
        QVERIFY2(password.size() >= 10, qPrintable(QString::number(password.size())));
        // A box that scrolls takes more than it can show.
        QCOMPARE(longNumber, QString(40, u'7'));
    }

    // The edit's 30 units hold three lines of the template's face; it shows
    // three lines of the taller face without scrolling, and the group box
    // around it grows with it.
    void multilineEditKeepsLineBreaks()
    {
        Probe p;
        QString text;
        bool bReadOnly = false;
        int nLines = 0;
        int nScroll = -1;
        int grown = 0;
        int groupGrown = 0;
        p.Run([&] {
            p.dlg.SetDlgItemText(1050, u"一\r\n二\r\n三"_s);
            text = p.dlg.GetDlgItemText(1050);
            auto* edit = p.dlg.Item<QPlainTextEdit>(1050);
            bReadOnly = edit->isReadOnly();
            nLines = edit->document()->blockCount();
            nScroll = edit->verticalScrollBar()->maximum();
            grown = edit->height() - p.dlg.MapDialogRect(QRect(120, 58, 70, 30)).height();
            groupGrown = p.dlg.findChild<QGroupBox*>()->height() -
                         p.dlg.MapDialogRect(QRect(5, 5, 190, 92)).height();
        });
        QCOMPARE(text, u"一\r\n二\r\n三"_s);
        QVERIFY(bReadOnly);
        QCOMPARE(nLines, 3);
        QCOMPARE(nScroll, 0);
        QVERIFY(grown > 0);
        QCOMPARE(groupGrown, grown);
    }

    void inputReachesItsHandler_data()
    {
        QTest::addColumn<int>("id");  // 0: the dialog itself
        QTest::addColumn<int>("key"); // 0: a mouse click
        QTest::addColumn<QStringList>("calls");
        QTest::addColumn<int>("result");
        QTest::newRow("OK button") << 1 << 0 << QStringList{u"init"_s, u"ok"_s} << 1;
        QTest::newRow("Cancel button") << 2 << 0 << QStringList{u"init"_s, u"cancel"_s} << 2;
        // Another button leaves the dialog open; the driver then cancels it.
        QTest::newRow("other button")
            << 1030 << 0 << QStringList{u"init"_s, u"command 1030"_s, u"cancel"_s} << 2;
        QTest::newRow("Escape goes to OnCancel")
            << 0 << int(Qt::Key_Escape) << QStringList{u"init"_s, u"cancel"_s} << 2;
        QTest::newRow("Enter in an edit presses the default button")
            << 1013 << int(Qt::Key_Return) << QStringList{u"init"_s, u"ok"_s} << 1;
    }
    void inputReachesItsHandler()
    {
        QFETCH(int, id);
        QFETCH(int, key);
        QFETCH(QStringList, calls);
        QFETCH(int, result);
        Probe p;
        const int nResult = p.Run([&] {
            QWidget* target = id ? p.dlg.GetDlgItem(id) : &p.dlg;
            if (key && id)
                target->setFocus();
            if (key)
                QTest::keyClick(target, Qt::Key(key));
            else
                QTest::mouseClick(target, Qt::LeftButton);
            if (p.dlg.isVisible())
                p.dlg.ClickButton(2);
        });
        QCOMPARE(nResult, result);
        QCOMPARE(p.dlg.calls, calls);
        QCOMPARE(p.platform.unfinishedDialogs, 0);
    }

    void closeBoxStaysOpenWhenOnCancelRefuses()
    {
        Probe p;
        p.dlg.bRefuseCancel = true;
        bool bOpenAfterClose = false;
        const int nResult = p.Run([&] {
            p.dlg.close();
            bOpenAfterClose = p.dlg.isVisible();
        });
        QCOMPARE(nResult, IDOK);
        QVERIFY(bOpenAfterClose);
        QCOMPARE(p.dlg.calls, (QStringList{u"init"_s, u"cancel"_s}));
    }

    void listPickAndNotifyingStaticReachOnCommand()
    {
        Probe p;
        int nSelected = -1;
        p.Run([&] {
            p.dlg.Item<QComboBox>(1020)->setCurrentIndex(1); // code: no notification
            p.dlg.ChooseItem(1020, 2);
            nSelected = p.dlg.Item<QComboBox>(1020)->currentIndex();
            QTest::mouseClick(p.dlg.GetDlgItem(1021), Qt::LeftButton);
            // A plain static reports nothing.
            for (QLabel* label : p.dlg.findChildren<QLabel*>()) {
                if (label->text() == u"标签"_s)
                    QTest::mouseClick(label, Qt::LeftButton);
            }
            p.dlg.ClickButton(1021);
        });
        QCOMPARE(nSelected, 2);
        QCOMPARE(p.dlg.calls,
                 (QStringList{u"init"_s, u"command 1020"_s, u"command 1021"_s, u"command 1021"_s}));
    }

    void handlerExceptionIsShownAndDialogGoesOn()
    {
        Probe p;
        p.dlg.bThrowOnCommand = true;
        bool bOpen = false;
        const int nResult = p.Run([&] {
            p.dlg.ClickButton(1030);
            bOpen = p.dlg.isVisible();
            p.dlg.ClickButton(1);
        });
        QCOMPARE(nResult, IDOK);
        QVERIFY(bOpen);
        QCOMPARE(p.dlg.calls.last(), u"ok"_s);
        QCOMPARE(p.platform.boxes.size(), 1);
        QCOMPARE(p.platform.boxes[0].text, u"handler failed"_s);
        QCOMPARE(p.platform.boxes[0].flags & MB_ICONMASK, MB_ICONSTOP);
    }

    void timersKeepTheirIds()
    {
        Probe p;
        QList<int> both, afterKill, afterStop;
        // Lets the zero-interval timers fire and takes what they reported.
        const auto fired = [&p] {
            QCoreApplication::processEvents();
            return std::exchange(p.dlg.timers, {});
        };
        p.Run([&] {
            p.dlg.SetTimer(5, 0);
            p.dlg.SetTimer(5, 0); // replaces the first timer 5
            p.dlg.SetTimer(7, 0);
            both = fired();
            p.dlg.KillTimer(5);
            afterKill = fired();
            p.dlg.KillTimer(7);
            afterStop = fired();
        });
        QVERIFY2(both.contains(5) && both.contains(7), qPrintable(QString::number(both.size())));
        QVERIFY(!both.contains(0));
        QVERIFY(!afterKill.isEmpty());
        QVERIFY(!afterKill.contains(5));
        QVERIFY(afterStop.isEmpty());
    }

    void endingInInitSkipsTheModalRun()
    {
        Probe p;
        p.dlg.bEndInInit = true;
        QCOMPARE(p.dlg.DoModal(), 7);
        QVERIFY(p.platform.modalRuns.isEmpty());
        QVERIFY(p.dlg.IsEnded());
    }

    void controlsAreCreatedOnce()
    {
        Probe p;
        p.Run();
        QWidget* first = p.dlg.GetDlgItem(1010);
        const qsizetype nChildren = p.dlg.findChildren<QWidget*>().size();
        p.Run();
        QCOMPARE(p.dlg.GetDlgItem(1010), first);
        QCOMPARE(p.dlg.findChildren<QWidget*>().size(), nChildren);
        QCOMPARE(p.platform.modalRuns, (QStringList{u"CProbeDialog"_s, u"CProbeDialog"_s}));
    }

    void missingOrBadTemplateFailsTheRun_data()
    {
        QTest::addColumn<int>("id");
        QTest::newRow("no such template") << 9999;
        QTest::newRow("unknown control kind") << 9004;
    }
    void missingOrBadTemplateFailsTheRun()
    {
        QFETCH(int, id);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"CDialog: .*"_s));
        Probe p(id);
        QCOMPARE(p.dlg.DoModal(), -1);
        QVERIFY(p.platform.modalRuns.isEmpty());
        QVERIFY(p.dlg.calls.isEmpty());
    }

    void windowStylesMapToFlags_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<bool>("frameless");
        QTest::addColumn<bool>("closeButton");
        QTest::newRow("caption and system menu") << 9001 << false << true;
        QTest::newRow("no caption") << 9002 << true << false;
        QTest::newRow("caption without system menu") << 9003 << false << false;
    }
    void windowStylesMapToFlags()
    {
        QFETCH(int, id);
        QFETCH(bool, frameless);
        QFETCH(bool, closeButton);
        CProbeDialog dlg(id);
        const Qt::WindowFlags flags = dlg.windowFlags();
        QCOMPARE(flags.testFlag(Qt::FramelessWindowHint), frameless);
        QCOMPARE(flags.testFlag(Qt::WindowCloseButtonHint), closeButton);
        QCOMPARE(flags.testFlag(Qt::WindowTitleHint), !frameless);
        QVERIFY(dlg.isModal());
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
        const int w = dialog.width();
        const int h = dialog.height();
        const QRgb face = dialog.pixel(w / 2, 3);
        for (const QPoint edge :
             {QPoint(w / 2, 0), QPoint(w / 2, h - 1), QPoint(0, h / 2), QPoint(w - 1, h / 2)})
            QVERIFY2(dialog.pixel(edge) != face,
                     qPrintable(u"%1,%2"_s.arg(edge.x()).arg(edge.y())));
    }

    void centredDialogStandsInTheWorkAreaMiddle()
    {
        Probe p;
        QPoint centre, wanted;
        QString caption;
        p.Run([&] {
            centre = p.dlg.frameGeometry().center();
            wanted = p.dlg.screen()->availableGeometry().center();
            caption = p.dlg.windowTitle();
        });
        QCOMPARE(caption, u"测试对话框"_s);
        // The window frame is only known once shown; it may shift the
        // centre by its own width.
        QVERIFY2(
            std::abs(centre.x() - wanted.x()) <= 3 && std::abs(centre.y() - wanted.y()) <= 3,
            qPrintable(
                u"%1,%2 %3,%4"_s.arg(centre.x()).arg(centre.y()).arg(wanted.x()).arg(wanted.y())));
    }

    void groupBoxStaysBehindItsControls()
    {
        Probe p;
        p.Run();
        const auto* group = p.dlg.findChild<QGroupBox*>();
        QVERIFY(group);
        QWidget* firstWidget = nullptr;
        for (QObject* child : p.dlg.children()) {
            if (child->isWidgetType() && !firstWidget)
                firstWidget = static_cast<QWidget*>(child);
        }
        QCOMPARE(firstWidget, group);
        // A click inside the group box on a control reaches the control.
        QWidget* edit = p.dlg.GetDlgItem(1010);
        QCOMPARE(p.dlg.childAt(edit->geometry().center()), edit);
    }
};

QE_TEST_MAIN(TestDialog)
#include "tst_dialog.moc"
