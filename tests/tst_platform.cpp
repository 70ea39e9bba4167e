#include "platform/ChineseOrder.h"
#include "platform/DisplayScale.h"
#include "platform/FileChooser.h"
#include "platform/Gbk.h"
#include "platform/InputMethodProbe.h"
#include "platform/Platform.h"
#include "platform/ScriptedPlatform.h"
#include "tests/TestMain.h"

#include <QDBusConnection>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

using namespace Qt::Literals::StringLiterals;

class TestPlatform : public QObject
{
    Q_OBJECT
private slots:
    // Titles and classes in the order a teacher reads them: by pinyin, with
    // the grades, classes and lessons counted in Chinese in their order.
    void chineseOrderCountsGrades()
    {
        QStringList titles{u"六年级 春"_s,   u"三年级二班"_s, u"十二年级"_s, u"三年级十班"_s,
                           u"一年级 小猫"_s, u"三年级三班"_s, u"第十课"_s,   u"第二课"_s,
                           u"一只小鸟"_s,    u"春晓"_s};
        std::sort(titles.begin(), titles.end(),
                  [](const QString& a, const QString& b) { return CompareChinese(a, b) < 0; });
        QCOMPARE(titles, (QStringList{u"一年级 小猫"_s, u"三年级二班"_s, u"三年级三班"_s,
                                      u"三年级十班"_s, u"六年级 春"_s, u"十二年级"_s, u"春晓"_s,
                                      u"第二课"_s, u"第十课"_s, u"一只小鸟"_s}));
    }

    // The main window at 100 % is 750 x 540 with its frame.
    void displaySizeFitsTheWorkArea_data()
    {
        QTest::addColumn<QSize>("workArea");
        QTest::addColumn<int>("percent");
        QTest::newRow("1024x768 takes 125 %") << QSize(1024, 768) << 125;
        QTest::newRow("1280x1024 takes 150 %") << QSize(1280, 1024) << 150;
        QTest::newRow("1920x1080 takes 200 %, the whole height") << QSize(1920, 1080) << 200;
        QTest::newRow("a panel of 40 px at 1920x1080 takes 175 %") << QSize(1920, 1040) << 175;
        QTest::newRow("1366x768 is held by its height") << QSize(1366, 768) << 125;
        QTest::newRow("3840x2160 takes the largest step") << QSize(3840, 2160) << 300;
        QTest::newRow("a work area smaller than the window keeps 100 %") << QSize(640, 480) << 100;
    }
    void displaySizeFitsTheWorkArea()
    {
        QFETCH(QSize, workArea);
        QFETCH(int, percent);
        QCOMPARE(DisplayScale::FitPercent(workArea, QSize(750, 540)), percent);
    }
    void displaySizeChoiceIsKept_data()
    {
        QTest::addColumn<int>("chosen");
        QTest::addColumn<int>("kept");
        QTest::newRow("a step") << 150 << 150;
        QTest::newRow("automatic") << 0 << 0;
        QTest::newRow("a size that is no step is refused") << 130 << 0;
        QTest::newRow("a value written by hand that is no step") << -133 << 0;
    }
    void displaySizeChoiceIsKept()
    {
        QFETCH(int, chosen);
        QFETCH(int, kept);
        DisplayScale::SetChosenPercent(175);
        if (chosen < 0)
            QSettings().setValue(u"display/scale"_s, -chosen);
        else
            DisplayScale::SetChosenPercent(chosen);
        QCOMPARE(DisplayScale::ChosenPercent(), kept);
    }

    // Each chooser starts in the folder where the last one ended; one that
    // was cancelled changes nothing; a folder since removed gives way to the
    // documents folder (or home).
    void fileChooserStartsWhereTheLastEnded()
    {
        QTemporaryDir top;
        const QString lists = QDir(top.path()).filePath(u"名单"_s);
        const QString gone = QDir(top.path()).filePath(u"旧文件夹"_s);
        QVERIFY(QDir().mkpath(lists) && QDir().mkpath(gone));
        const QString documents =
            QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        const QString first = QFileInfo(documents).isDir() ? documents : QDir::homePath();
        CScriptedPlatform platform;
        platform.AnswerFiles({QDir(lists).filePath(u"三年级二班.csv"_s), QString(),
                              QDir(gone).filePath(u"报表.xlsx"_s), QString()});
        FileChooser::ChooseOpenFile(nullptr, u"导入"_s, u"*.csv"_s);
        FileChooser::ChooseSaveFile(nullptr, u"导出"_s, u"报表.xlsx"_s, u"*.xlsx"_s);
        FileChooser::ChooseSaveFile(nullptr, u"导出"_s, u"报表.xlsx"_s, u"*.xlsx"_s);
        QVERIFY(QDir(gone).removeRecursively());
        FileChooser::ChooseOpenFile(nullptr, u"导入"_s, u"*.csv"_s);
        QCOMPARE(platform.startFolders, (QStringList{first, lists, lists, first}));
        QCOMPARE(platform.suggestedFiles.value(0), QDir(lists).filePath(u"报表.xlsx"_s));
    }

    // The probe on a session bus of its own, where the test itself owns the
    // name an input method would own, and on the Qt modules installed here
    // (fcitx5-frontend-qt6 and Qt's own IBus module).
    void inputMethodProbe_data()
    {
        QTest::addColumn<QString>("platformName");
        QTest::addColumn<QString>("module");
        QTest::addColumn<bool>("modules");
        QTest::addColumn<QString>("busName");
        QTest::addColumn<int>("state");
        const auto row = [](const char* name, const QString& platform, const QString& module,
                            bool modules, const QString& busName, InputMethodState state) {
            QTest::newRow(name) << platform << module << modules << busName << int(state);
        };
        const QString xcb = u"xcb"_s;
        row("nothing set on x11", xcb, QString(), true, QString(), InputMethodState::NotConfigured);
        row("compose only", xcb, u"compose"_s, true, QString(), InputMethodState::NotConfigured);
        row("nothing set on wayland", u"wayland"_s, QString(), true, QString(),
            InputMethodState::Active);
        row("fcitx running", xcb, u"fcitx"_s, true, u"org.fcitx.Fcitx5"_s,
            InputMethodState::Active);
        row("fcitx5 through its portal", xcb, u"fcitx5"_s, true, u"org.freedesktop.portal.Fcitx"_s,
            InputMethodState::Active);
        row("fcitx not running", xcb, u"fcitx"_s, true, QString(), InputMethodState::NotRunning);
        row("fcitx without its qt module", xcb, u"fcitx"_s, false, u"org.fcitx.Fcitx5"_s,
            InputMethodState::ModuleMissing);
        row("ibus running", xcb, u"ibus"_s, true, u"org.freedesktop.IBus"_s,
            InputMethodState::Active);
        row("ibus not running, fcitx is", xcb, u"ibus"_s, true, u"org.fcitx.Fcitx5"_s,
            InputMethodState::NotRunning);
        row("a framework it cannot check", xcb, u"uim"_s, false, QString(),
            InputMethodState::Active);
    }
    void inputMethodProbe()
    {
        QFETCH(QString, platformName);
        QFETCH(QString, module);
        QFETCH(bool, modules);
        QFETCH(QString, busName);
        QFETCH(int, state);
        QProcess bus;
        bus.start(u"dbus-daemon"_s, {u"--session"_s, u"--nofork"_s, u"--print-address=1"_s});
        QVERIFY2(bus.waitForReadyRead(10000), "dbus-daemon did not start");
        const QString address = QString::fromUtf8(bus.readLine()).trimmed();
        const QString owner = u"input-method-owner"_s;
        {
            QDBusConnection connection = QDBusConnection::connectToBus(address, owner);
            QVERIFY(connection.isConnected());
            if (!busName.isEmpty())
                QVERIFY(connection.registerService(busName));
            QTemporaryDir empty;
            const QString plugins =
                modules ? QLibraryInfo::path(QLibraryInfo::PluginsPath) : empty.path();
            QCOMPARE(int(CInputMethodProbe::Probe({platformName, module, {plugins}, address})),
                     state);
        }
        QDBusConnection::disconnectFromBus(owner);
        bus.terminate();
        QVERIFY(bus.waitForFinished(10000));
    }
};

QE_TEST_MAIN(TestPlatform)
#include "tst_platform.moc"
