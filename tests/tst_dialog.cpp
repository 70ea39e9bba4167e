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

int Round(double value)
{
    return static_cast<int>(std::lround(value));
}

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
    void controlsArePlacedInDialogUnits_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<QRect>("units");
        QTest::addColumn<QString>("height");
        QTest::addColumn<QString>("className");
        QTest::newRow("number edit")
            << 1010 << QRect(10, 10, 60, 12) << u"a line"_s << u"QLineEdit"_s;
        QTest::newRow("button below the multi-line edit")
            << 1 << QRect(140, 100, 50, 14) << u"template"_s << u"QPushButton"_s;
        QTest::newRow("list view")
            << 1040 << QRect(10, 74, 120, 20) << u"template"_s << u"CListCtrl"_s;
        QTest::newRow("place for the dialog's own widget")
            << 1060 << QRect(150, 10, 40, 40) << u"template"_s << u"QWidget"_s;
        QTest::newRow("drop list keeps its own height")
            << 1020 << QRect(80, 10, 60, 40) << u"own"_s << u"QComboBox"_s;
        QTest::newRow("static") << 1021 << QRect(80, 30, 60, 8) << QString() << u"QLabel"_s;
    }
    void controlsArePlacedInDialogUnits()
    {
        QFETCH(int, id);
        QFETCH(QRect, units);
        QFETCH(QString, height);
        QFETCH(QString, className);
        Probe p;
        QRect geometry;
        QFont font;
        int lineHeight = 0, grown = 0;
        QString found;
        p.Run([&] {
            QWidget* w = p.dlg.GetDlgItem(id);
            found = QString::fromLatin1(w->metaObject()->className());
            geometry = w->geometry();
            font = w->font();
            lineHeight = w->sizeHint().height();
            grown = p.dlg.GetDlgItem(1050)->height() -
                    p.dlg.MapDialogRect(QRect(120, 58, 70, 30)).height();
            QVERIFY(!p.dlg.GetDlgItem(4711));
        });
        QCOMPARE(std::tuple(found, font.family(), font.pointSize()),
                 std::tuple(className, u"Noto Sans CJK SC"_s, 9));
        const QFontMetrics fm(font);
        int nLetters = 0;
        for (char16_t ch = u'A'; ch <= u'Z'; ++ch)
            nLetters += fm.horizontalAdvance(QChar(ch)) + fm.horizontalAdvance(QChar(ch + 32));
        const int bx = (nLetters / 26 + 1) / 2;
        const int by = QFontInfo(font).pixelSize(); // the em square, not the taller line
        const int left = Round(units.x() * bx / 4.0);
        const int top = Round(units.y() * by / 8.0);
        const int bottom = Round((units.y() + units.height()) * by / 8.0);
        const int right = Round((units.x() + units.width()) * bx / 4.0);
        // The multi-line edit 1050 (58 to 88 units) grew for its lines of the
        // taller face; what stands below it moved down as far.
        QVERIFY(grown > 0);
        const int shift = units.y() >= 58 + 30 ? grown : 0;
        QCOMPARE(std::pair(geometry.x(), geometry.width()), std::pair(left, right - left));
        if (height == u"template")
            QCOMPARE(std::pair(geometry.y(), geometry.height()),
                     std::pair(top + shift, bottom - top));
        // A line of the taller face fits whole, about the same centre.
        if (height == u"a line")
            QVERIFY(geometry.height() == std::max(bottom - top, lineHeight) &&
                    std::abs(geometry.center().y() - (top + bottom) / 2) <= 1);
        if (height == u"own")
            QVERIFY(geometry.y() == top && geometry.height() < bottom - top);
        QCOMPARE(p.dlg.size(), p.dlg.MapDialogRect(QRect(0, 0, 200, 120)).size() + QSize(0, grown));
        QCOMPARE(p.dlg.minimumSize(), p.dlg.maximumSize());
    }

    // The drop list starts with its items and no selection; the tab order
    // follows the template; the group box stays behind its controls.
    void openingState()
    {
        Probe p;
        QStringList shown; // the drop list's items and selection, the caption
        QList<int> order;
        QPoint centre, wanted;
        p.Run([&] {
            auto* combo = p.dlg.Item<QComboBox>(1020);
            for (int i = 0; i < combo->count(); ++i)
                shown << combo->itemText(i);
            shown << QString::number(combo->currentIndex()) << p.dlg.windowTitle();
            QWidget* first = p.dlg.GetDlgItem(1010);
            QWidget* w = first;
            do {
                const QVariant id = w->property("controlId");
                if (id.isValid() && (w->focusPolicy() & Qt::TabFocus))
                    order.append(id.toInt());
                w = w->nextInFocusChain();
            } while (w && w != first && order.size() < 50);
            centre = p.dlg.frameGeometry().center();
            wanted = p.dlg.screen()->availableGeometry().center();
        });
        QCOMPARE(shown, (QStringList{u"甲"_s, u"乙"_s, u"丙"_s, u"-1"_s, u"测试对话框"_s}));
        QCOMPARE(order, (QList<int>{1010, 1011, 1012, 1013, 1020, 1, 2, 1030, 1040, 1050}));
        // Centred in the work area; the frame, known once shown, may shift it.
        QVERIFY((centre - wanted).manhattanLength() <= 6);
        QCOMPARE(static_cast<QWidget*>(p.dlg.children().value(0)),
                 static_cast<QWidget*>(p.dlg.findChild<QGroupBox*>()));
        QWidget* edit = p.dlg.GetDlgItem(1010);
        QCOMPARE(p.dlg.childAt(edit->geometry().center()), edit);
    }

    // Digits only, read-only, at most five characters, a masked password that
    // stops when its box is full, a box that scrolls taking more than it shows;
    // the multi-line edit's 30 units hold three lines of the taller face
    // without scrolling, and the group box around it grows with it.
    void editStylesTakeEffect()
    {
        Probe p;
        QStringList texts;
        QString password;
        int passwordWidth = 0, passwordRoom = 0;
        p.Run([&] {
            CDialog& dlg = p.dlg;
            for (const auto& [id, typed] :
                 {std::pair{1010, u"12ab3"_s}, {1012, u"xyz"_s}, {1013, u"abcdefgh"_s}}) {
                QTest::keyClicks(dlg.GetDlgItem(id), typed);
                texts << dlg.GetDlgItemText(id);
            }
            auto* edit = dlg.Item<QLineEdit>(1011);
            QTest::keyClicks(edit, QString(60, u'W'));
            password = edit->text();
            const QChar mask(
                edit->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, edit));
            passwordWidth = edit->fontMetrics().horizontalAdvance(QString(password.size(), mask));
            passwordRoom = edit->width();
            dlg.SetDlgItemText(1010, QString());
            QTest::keyClicks(dlg.GetDlgItem(1010), QString(40, u'7'));
            dlg.SetDlgItemText(1050, u"一\r\n二\r\n三"_s);
            auto* lines = dlg.Item<QPlainTextEdit>(1050);
            const int grown = lines->height() - dlg.MapDialogRect(QRect(120, 58, 70, 30)).height();
            const int groupGrown = dlg.findChild<QGroupBox*>()->height() -
                                   dlg.MapDialogRect(QRect(5, 5, 190, 92)).height();
            texts << dlg.GetDlgItemText(1010) << dlg.GetDlgItemText(1050)
                  << QString::number(edit->echoMode()) << QString::number(lines->isReadOnly())
                  << QString::number(lines->document()->blockCount())
                  << QString::number(lines->verticalScrollBar()->maximum())
                  << QString::number(grown > 0) << QString::number(groupGrown == grown);
        });
        QCOMPARE(texts, (QStringList{u"123"_s, u"只读"_s, u"abcde"_s, QString(40, u'7'),
                                     u"一\r\n二\r\n三"_s, u"2"_s, u"1"_s, u"3"_s, u"0"_s, u"1"_s,
                                     u"1"_s}));
        // Masked narrowly, a box as wide as the login's takes ten characters.
        QVERIFY2(password.size() >= 10 && password.size() < 60, qPrintable(password));
        QVERIFY(passwordWidth < passwordRoom);
    }

    void inputReachesItsHandler_data()
    {
        QTest::addColumn<int>("id"); // 0: the dialog itself
        // 0: a mouse click; -1: the close box, Cancel refused; -2: the handler throws
        QTest::addColumn<int>("key");
        QTest::addColumn<QStringList>("calls");
        QTest::addColumn<int>("result");
        const QString init = u"init"_s, ok = u"ok"_s, cancel = u"cancel"_s;
        QTest::newRow("OK button") << 1 << 0 << QStringList{init, ok} << 1;
        QTest::newRow("Cancel button") << 2 << 0 << QStringList{init, cancel} << 2;
        // Another button leaves the dialog open; the driver then cancels it.
        QTest::newRow("other button")
            << 1030 << 0 << QStringList{init, u"command 1030"_s, cancel} << 2;
        QTest::newRow("Escape goes to OnCancel")
            << 0 << int(Qt::Key_Escape) << QStringList{init, cancel} << 2;
        QTest::newRow("Enter in an edit presses the default button")
            << 1013 << int(Qt::Key_Return) << QStringList{init, ok} << 1;
        QTest::newRow("close box stays open when OnCancel refuses")
            << 0 << -1 << QStringList{init, cancel, ok} << 1;
        // Choosing in code sends no notification; a plain static none.
        QTest::newRow("list pick and notifying static")
            << 1020 << 0 << QStringList{init, u"command 1020"_s, u"command 1021"_s, ok} << 1;
        QTest::newRow("a failing handler is reported and the dialog goes on")
            << 1030 << -2 << QStringList{init, u"command 1030"_s, ok} << 1;
    }
    void inputReachesItsHandler()
    {
        QFETCH(int, id);
        QFETCH(int, key);
        QFETCH(QStringList, calls);
        QFETCH(int, result);
        Probe p;
        p.dlg.bRefuseCancel = key == -1;
        p.dlg.bThrowOnCommand = key == -2;
        const int nResult = p.Run([&] {
            QWidget* target = id ? p.dlg.GetDlgItem(id) : &p.dlg;
            if (key < 0) {
                key == -1 ? void(p.dlg.close()) : p.dlg.ClickButton(1030);
                if (p.dlg.isVisible())
                    p.dlg.ClickButton(1);
            } else if (id == 1020) {
                p.dlg.Item<QComboBox>(1020)->setCurrentIndex(1);
                p.dlg.ChooseItem(1020, 2);
                QTest::mouseClick(p.dlg.GetDlgItem(1021), Qt::LeftButton);
                for (QLabel* label : p.dlg.findChildren<QLabel*>()) {
                    if (label->text() == u"标签"_s)
                        QTest::mouseClick(label, Qt::LeftButton);
                }
                p.dlg.ClickButton(1);
            } else if (key) {
                if (id)
                    target->setFocus();
                QTest::keyClick(target, Qt::Key(key));
            } else {
                QTest::mouseClick(target, Qt::LeftButton);
            }
            if (p.dlg.isVisible())
                p.dlg.ClickButton(2);
        });
        QStringList boxes;
        for (const CScriptedPlatform::Box& box : p.platform.boxes)
            boxes << u"%1 %2"_s.arg(box.text).arg(box.flags & MB_ICONMASK);
        QCOMPARE(std::tuple(nResult, p.dlg.calls, p.platform.unfinishedDialogs, boxes),
                 std::tuple(result, calls, 0,
                            key == -2 ? QStringList{u"handler failed 16"_s} : QStringList()));
    }

    void timersKeepTheirIds()
    {
        Probe p;
        QList<QSet<int>> fired; // what the zero-interval timers reported, between kills
        p.Run([&] {
            p.dlg.SetTimer(5, 0);
            p.dlg.SetTimer(5, 0); // replaces the first timer 5
            p.dlg.SetTimer(7, 0);
            for (int nKill : {5, 7, 0}) {
                QCoreApplication::processEvents();
                fired << QSet<int>(p.dlg.timers.begin(), p.dlg.timers.end());
                p.dlg.timers.clear();
                if (nKill)
                    p.dlg.KillTimer(nKill);
            }
        });
        QCOMPARE(fired, (QList<QSet<int>>{{5, 7}, {7}, {}}));
    }

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

    // Caption and system menu; no caption; caption without system menu.
    void windowStylesMapToFlags()
    {
        QList<QList<bool>> flags;
        for (int id : {9001, 9002, 9003}) {
            CProbeDialog dlg(id);
            const Qt::WindowFlags f = dlg.windowFlags();
            flags << QList<bool>{f.testFlag(Qt::FramelessWindowHint),
                                 f.testFlag(Qt::WindowCloseButtonHint),
                                 f.testFlag(Qt::WindowTitleHint), dlg.isModal()};
        }
        QCOMPARE(flags, (QList<QList<bool>>{{false, true, true, true},
                                            {true, false, false, true},
                                            {false, false, true, true}}));
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
};

QE_TEST_MAIN(TestDialog)
#include "tst_dialog.moc"
