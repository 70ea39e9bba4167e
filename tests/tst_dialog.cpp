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
#include <QPushButton>
#include <QScreen>

#include <stdexcept>

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

} // namespace

class TestDialog : public QObject
{
    Q_OBJECT
private slots:
    void controlsArePlacedInDialogUnits_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<QRect>("units");
        QTest::addColumn<bool>("fixedHeight");
        QTest::newRow("number edit") << 1010 << QRect(10, 10, 60, 12) << true;
        QTest::newRow("password edit") << 1011 << QRect(10, 26, 41, 12) << true;
        QTest::newRow("button far right") << 1 << QRect(140, 100, 50, 14) << true;
        QTest::newRow("list view") << 1040 << QRect(10, 74, 120, 20) << true;
        QTest::newRow("drop list keeps its own height") << 1020 << QRect(80, 10, 60, 40) << false;
    }
    void controlsArePlacedInDialogUnits()
    {
        QFETCH(int, id);
        QFETCH(QRect, units);
        QFETCH(bool, fixedHeight);
        CScriptedPlatform platform;
        CProbeDialog dlg;
        QRect geometry;
        QFont font;
        platform.DriveDialog([&](QDialog*) {
            geometry = dlg.GetDlgItem(id)->geometry();
            font = dlg.GetDlgItem(id)->font();
            dlg.EndDialog(IDOK);
        });
        dlg.DoModal();

        QCOMPARE(font.family(), u"Noto Sans CJK SC"_s);
        QCOMPARE(font.pointSize(), 9);
        const QFontMetrics fm(font);
        int nLetters = 0;
        for (char16_t ch = u'A'; ch <= u'Z'; ++ch)
            nLetters += fm.horizontalAdvance(QChar(ch));
        for (char16_t ch = u'a'; ch <= u'z'; ++ch)
            nLetters += fm.horizontalAdvance(QChar(ch));
        const int bx = (nLetters / 26 + 1) / 2;
        const int by = QFontInfo(font).pixelSize(); // the em square, not the taller line
        QVERIFY2(bx >= 4 && bx <= 10, qPrintable(QString::number(bx)));
        const int left = Round(units.x() * bx / 4.0);
        const int top = Round(units.y() * by / 8.0);
        QCOMPARE(geometry.x(), left);
        QCOMPARE(geometry.y(), top);
        QCOMPARE(geometry.width(), Round((units.x() + units.width()) * bx / 4.0) - left);
        if (fixedHeight)
            QCOMPARE(geometry.height(), Round((units.y() + units.height()) * by / 8.0) - top);
        else
            QVERIFY(geometry.height() < Round(units.height() * by / 8.0));
        QCOMPARE(dlg.size(), dlg.MapDialogRect(QRect(0, 0, 200, 120)).size());
        QCOMPARE(dlg.minimumSize(), dlg.maximumSize());
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
        QTest::newRow("unknown id") << 4711 << QString();
    }
    void controlsAreFoundById()
    {
        QFETCH(int, id);
        QFETCH(QString, className);
        CScriptedPlatform platform;
        CProbeDialog dlg;
        QString found;
        platform.DriveDialog([&](QDialog*) {
            if (QWidget* w = dlg.GetDlgItem(id))
                found = QString::fromLatin1(w->metaObject()->className());
            dlg.EndDialog(IDOK);
        });
        dlg.DoModal();
        QCOMPARE(found, className);
    }

    void droplistStartsWithItemsAndNoSelection()
    {
        CScriptedPlatform platform;
        CProbeDialog dlg;
        QStringList items;
        int nIndex = 0;
        platform.DriveDialog([&](QDialog*) {
            auto* combo = dlg.Item<QComboBox>(1020);
            for (int i = 0; i < combo->count(); ++i)
                items.append(combo->itemText(i));
            nIndex = combo->currentIndex();
            dlg.EndDialog(IDOK);
        });
        dlg.DoModal();
        QCOMPARE(items, (QStringList{u"甲"_s, u"乙"_s, u"丙"_s}));
        QCOMPARE(nIndex, -1);
    }

    void tabOrderFollowsTemplate()
    {
        CScriptedPlatform platform;
        CProbeDialog dlg;
        QList<int> order;
        platform.DriveDialog([&](QDialog*) {
            QWidget* first = dlg.GetDlgItem(1010);
            QWidget* w = first;
            do {
                const QVariant id = w->property("controlId");
                if (id.isValid() && (w->focusPolicy() & Qt::TabFocus))
                    order.append(id.toInt());
                w = w->nextInFocusChain();
            } while (w && w != first && order.size() < 50);
            dlg.EndDialog(IDOK);
        });
        dlg.DoModal();
        QCOMPARE(order, (QList<int>{1010, 1011, 1012, 1013, 1020, 1, 2, 1030, 1040, 1050}));
    }

    void editStylesTakeEffect()
    {
        CScriptedPlatform platform;
        CProbeDialog dlg;
        QString number, readOnly, limited, password, longNumber;
        QLineEdit::EchoMode echo = QLineEdit::Normal;
        int passwordWidth = 0, passwordRoom = 0;
        platform.DriveDialog([&](QDialog*) {
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
            dlg.EndDialog(IDOK);
        });
        dlg.DoModal();
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

    void multilineEditKeepsLineBreaks()
    {
        CScriptedPlatform platform;
        CProbeDialog dlg;
        QString text;
        bool bReadOnly = false;
        int nLines = 0;
        platform.DriveDialog([&](QDialog*) {
            dlg.SetDlgItemText(1050, u"一\r\n二\r\n三"_s);
            text = dlg.GetDlgItemText(1050);
            auto* edit = dlg.Item<QPlainTextEdit>(1050);
            bReadOnly = edit->isReadOnly();
            nLines = edit->document()->blockCount();
            dlg.EndDialog(IDOK);
        });
        dlg.DoModal();
        QCOMPARE(text, u"一\r\n二\r\n三"_s);
        QVERIFY(bReadOnly);
        QCOMPARE(nLines, 3);
    }

    void buttonsReachTheirHandlers_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<QStringList>("calls");
        QTest::addColumn<int>("result");
        QTest::newRow("OK button") << 1 << QStringList{u"init"_s, u"ok"_s} << 1;
        QTest::newRow("Cancel button") << 2 << QStringList{u"init"_s, u"cancel"_s} << 2;
        // Another button leaves the dialog open; the driver then closes it.
        QTest::newRow("other button")
            << 1030 << QStringList{u"init"_s, u"command 1030"_s, u"cancel"_s} << 2;
    }
    void buttonsReachTheirHandlers()
    {
        QFETCH(int, id);
        QFETCH(QStringList, calls);
        QFETCH(int, result);
        CScriptedPlatform platform;
        CProbeDialog dlg;
        platform.DriveDialog([&](QDialog*) {
            QTest::mouseClick(dlg.GetDlgItem(id), Qt::LeftButton);
            if (dlg.isVisible())
                dlg.ClickButton(2);
        });
        QCOMPARE(dlg.DoModal(), result);
        QCOMPARE(dlg.calls, calls);
        QCOMPARE(platform.unfinishedDialogs, 0);
    }

    void escapeGoesToOnCancel()
    {
        CScriptedPlatform platform;
        CProbeDialog dlg;
        platform.DriveDialog([&](QDialog*) { QTest::keyClick(&dlg, Qt::Key_Escape); });
        QCOMPARE(dlg.DoModal(), IDCANCEL);
        QCOMPARE(dlg.calls, (QStringList{u"init"_s, u"cancel"_s}));
    }

    void closeBoxStaysOpenWhenOnCancelRefuses()
    {
        CScriptedPlatform platform;
        CProbeDialog dlg;
        dlg.bRefuseCancel = true;
        bool bOpenAfterClose = false;
        platform.DriveDialog([&](QDialog*) {
            dlg.close();
            bOpenAfterClose = dlg.isVisible();
            dlg.EndDialog(IDOK);
        });
        QCOMPARE(dlg.DoModal(), IDOK);
        QVERIFY(bOpenAfterClose);
        QCOMPARE(dlg.calls, (QStringList{u"init"_s, u"cancel"_s}));
    }

    void enterPressesTheDefaultButton()
    {
        CScriptedPlatform platform;
        CProbeDialog dlg;
        platform.DriveDialog([&](QDialog*) {
            QWidget* edit = dlg.GetDlgItem(1013);
            edit->setFocus();
            QTest::keyClick(edit, Qt::Key_Return);
            if (dlg.isVisible())
                dlg.EndDialog(-5);
        });
        QCOMPARE(dlg.DoModal(), IDOK);
        QCOMPARE(dlg.calls, (QStringList{u"init"_s, u"ok"_s}));
    }

    void listPickAndNotifyingStaticReachOnCommand()
    {
        CScriptedPlatform platform;
        CProbeDialog dlg;
        int nSelected = -1;
        platform.DriveDialog([&](QDialog*) {
            dlg.Item<QComboBox>(1020)->setCurrentIndex(1); // code: no notification
            dlg.ChooseItem(1020, 2);
            nSelected = dlg.Item<QComboBox>(1020)->currentIndex();
            QTest::mouseClick(dlg.GetDlgItem(1021), Qt::LeftButton);
            // A plain static reports nothing.
            const QList<QLabel*> labels = dlg.findChildren<QLabel*>();
            for (QLabel* label : labels) {
                if (label->text() == u"标签"_s)
                    QTest::mouseClick(label, Qt::LeftButton);
            }
            dlg.ClickButton(1021);
            dlg.EndDialog(IDOK);
        });
        dlg.DoModal();
        QCOMPARE(nSelected, 2);
        QCOMPARE(dlg.calls,
                 (QStringList{u"init"_s, u"command 1020"_s, u"command 1021"_s, u"command 1021"_s}));
    }

    void handlerExceptionIsShownAndDialogGoesOn()
    {
        CScriptedPlatform platform;
        CProbeDialog dlg;
        dlg.bThrowOnCommand = true;
        bool bOpen = false;
        platform.DriveDialog([&](QDialog*) {
            dlg.ClickButton(1030);
            bOpen = dlg.isVisible();
            dlg.ClickButton(1);
        });
        QCOMPARE(dlg.DoModal(), IDOK);
        QVERIFY(bOpen);
        QCOMPARE(platform.boxes.size(), 1);
        QCOMPARE(platform.boxes[0].text, u"handler failed"_s);
        QCOMPARE(platform.boxes[0].flags & MB_ICONMASK, MB_ICONSTOP);
    }

    void timersKeepTheirIds()
    {
        CScriptedPlatform platform;
        CProbeDialog dlg;
        QList<int> both, afterKill, afterStop;
        platform.DriveDialog([&](QDialog*) {
            dlg.SetTimer(5, 0);
            dlg.SetTimer(5, 0); // replaces the first timer 5
            dlg.SetTimer(7, 0);
            QCoreApplication::processEvents();
            both = dlg.timers;
            dlg.timers.clear();
            dlg.KillTimer(5);
            QCoreApplication::processEvents();
            afterKill = dlg.timers;
            dlg.timers.clear();
            dlg.KillTimer(7);
            QCoreApplication::processEvents();
            afterStop = dlg.timers;
            dlg.EndDialog(IDOK);
        });
        dlg.DoModal();
        QVERIFY2(both.contains(5) && both.contains(7), qPrintable(QString::number(both.size())));
        QVERIFY(!both.contains(0));
        QVERIFY(!afterKill.isEmpty());
        QVERIFY(!afterKill.contains(5));
        QVERIFY(afterStop.isEmpty());
    }

    void endingInInitSkipsTheModalRun()
    {
        CScriptedPlatform platform;
        CProbeDialog dlg;
        dlg.bEndInInit = true;
        QCOMPARE(dlg.DoModal(), 7);
        QVERIFY(platform.modalRuns.isEmpty());
        QVERIFY(dlg.IsEnded());
    }

    void controlsAreCreatedOnce()
    {
        CScriptedPlatform platform;
        CProbeDialog dlg;
        dlg.DoModal();
        QWidget* first = dlg.GetDlgItem(1010);
        const qsizetype nChildren = dlg.findChildren<QWidget*>().size();
        dlg.DoModal();
        QCOMPARE(dlg.GetDlgItem(1010), first);
        QCOMPARE(dlg.findChildren<QWidget*>().size(), nChildren);
        QCOMPARE(platform.modalRuns, (QStringList{u"CProbeDialog"_s, u"CProbeDialog"_s}));
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
        CScriptedPlatform platform;
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"CDialog: .*"_s));
        CProbeDialog dlg(id);
        QCOMPARE(dlg.DoModal(), -1);
        QVERIFY(platform.modalRuns.isEmpty());
        QVERIFY(dlg.calls.isEmpty());
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

    void centredDialogStandsInTheWorkAreaMiddle()
    {
        CScriptedPlatform platform;
        CProbeDialog dlg;
        QPoint centre, wanted;
        QString caption;
        platform.DriveDialog([&](QDialog*) {
            centre = dlg.frameGeometry().center();
            wanted = dlg.screen()->availableGeometry().center();
            caption = dlg.windowTitle();
            dlg.EndDialog(IDOK);
        });
        dlg.DoModal();
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
        CProbeDialog dlg;
        CScriptedPlatform platform;
        dlg.DoModal();
        const QObjectList children = dlg.children();
        const auto* group = dlg.findChild<QGroupBox*>();
        QVERIFY(group);
        qsizetype nGroup = -1, nFirstWidget = -1;
        for (qsizetype i = 0; i < children.size(); ++i) {
            if (!children[i]->isWidgetType())
                continue;
            if (nFirstWidget < 0)
                nFirstWidget = i;
            if (children[i] == group)
                nGroup = i;
        }
        QCOMPARE(nGroup, nFirstWidget);
        // A click inside the group box on a control reaches the control.
        const QPoint inEdit = dlg.GetDlgItem(1010)->geometry().center();
        QCOMPARE(dlg.childAt(inEdit), dlg.GetDlgItem(1010));
    }
};

QE_TEST_MAIN(TestDialog)
#include "tst_dialog.moc"
