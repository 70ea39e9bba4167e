#include "app/SplashWnd.h"
#include "platform/Dao.h"
#include "platform/ScriptedPlatform.h"
#include "res/Resources.h"
#include "tests/DialogDriver.h"
#include "tests/FakeMainWindow.h"
#include "tests/TestMain.h"
#include "users/CurrentUser.h"
#include "users/Database.h"
#include "users/LoginDlg.h"

#include <QComboBox>
#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

using namespace Qt::Literals::StringLiterals;

namespace {

const QStringList DataFiles{u"english.txt"_s, u"chinese.txt"_s, u"number.txt"_s, u"punctuate.txt"_s,
                            u"user.mdb"_s};

void MakeFiles(const QStringList& missing)
{
    for (const QString& name : DataFiles) {
        if (missing.contains(name)) {
            QFile::remove(name);
        } else {
            QFile file(name);
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
    }
}

// A scripted platform and a main window; Show() makes the data files but
// those missing and shows the splash window.
struct Start
{
    CSplashWnd* Show(const QStringList& missing = {})
    {
        MakeFiles(missing);
        CSplashWnd::ShowSplash(&mainWindow);
        return CSplashWnd::s_pInstance;
    }
    CScriptedPlatform platform;
    CFakeMainWindow mainWindow;
};

QImage Rgb(const QPixmap& pixmap)
{
    return pixmap.toImage().convertToFormat(QImage::Format_RGB32);
}

} // namespace

class TestSplash : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        CurrentUser = CCurrentUser();
        CSplashWnd::EnableSplash(true);
        // The file check is about files; the login runs without a database.
        NoDatabase();
    }
    void cleanup()
    {
        delete CSplashWnd::s_pInstance;
        QVERIFY(!CSplashWnd::s_pInstance);
    }

    // The check drew its texts one over the other at the lower left, the
    // last with six dots; a repaint after it shows the picture alone. The
    // green text stands on a plain, dark part of the picture.
    void checkTextOnThePicture()
    {
        Start start;
        CSplashWnd* splash = start.Show();
        const QFontMetrics metrics(splash->font());
        const QPoint at(10, 240 - metrics.height() - 5 + metrics.ascent());
        const auto drawn = [&](int nSixDots) {
            QImage image = Rgb(splash->m_bitmap);
            QPainter painter(&image);
            painter.setFont(splash->font());
            painter.setPen(QColor(0, 255, 0));
            painter.drawText(at, u"正在初始化....."_s);
            for (int i = 0; i < nSixDots; ++i)
                painter.drawText(at, u"正在初始化......"_s);
            return image;
        };
        const QImage frame = Rgb(splash->CheckFrame());
        QCOMPARE(frame, drawn(4));
        QVERIFY(frame != drawn(0));
        QCOMPARE(Rgb(splash->grab()), Rgb(splash->m_bitmap));
        const QRect text(10, 240 - metrics.height() - 5,
                         metrics.horizontalAdvance(u"正在初始化......"_s), metrics.height());
        const QImage picture = Rgb(splash->m_bitmap);
        const QRgb under = picture.pixel(text.topLeft());
        for (int y = text.top(); y <= text.bottom(); ++y) {
            for (int x = text.left(); x <= text.right(); ++x)
                QVERIFY2(picture.pixel(x, y) == under, qPrintable(u"%1,%2"_s.arg(x).arg(y)));
        }
        QVERIFY(qGray(QColor(0, 255, 0).rgb()) - qGray(under) >= 100);
    }

    // Each missing file is named; the start goes on to the login. With a
    // lab's PostgreSQL database there is no user.mdb to miss.
    void missingFiles_data()
    {
        QTest::addColumn<QStringList>("missing");
        QTest::addColumn<QString>("server");
        QTest::newRow("english.txt and user.mdb missing")
            << QStringList{u"user.mdb"_s, u"english.txt"_s} << QString();
        QTest::newRow("all missing") << DataFiles << QString();
        QTest::newRow("a server database needs no user.mdb")
            << QStringList{u"user.mdb"_s} << u"postgresql://qe@127.0.0.1:1/qe"_s;
    }
    void missingFiles()
    {
        QFETCH(QStringList, missing);
        QFETCH(QString, server);
        Start start;
        CDaoDatabase::SetTarget(server);
        CSplashWnd* splash = start.Show(missing);
        CDaoDatabase::SetTarget(QString());
        QStringList expected, shown;
        for (const QString& name : DataFiles) {
            if (missing.contains(name) && (server.isEmpty() || name != u"user.mdb"_s))
                expected << u"初始化文件'%1'时出错,可能是文件已损坏或文件不存在!"_s.arg(name);
        }
        for (const CScriptedPlatform::Box& box : start.platform.boxes) {
            shown.append(box.text);
            QCOMPARE(Box(box.text, box.caption, box.flags),
                     Box(box.text, u"出错"_s, MB_OK | MB_ICONEXCLAMATION));
            QCOMPARE(box.owner, splash);
        }
        QCOMPARE(shown, expected);
        QVERIFY(start.platform.modalRuns.isEmpty());
        Drive<CLoginDlg>(start.platform, [](CLoginDlg* dlg) {
            dlg->ChooseItem(1004, 2);
            dlg->ClickButton(1);
        });
        splash->OnTimer(1);
        QCOMPARE(std::tuple(start.platform.modalRuns, CSplashWnd::s_pInstance,
                            start.platform.exits.size(), CurrentUser.KindCode),
                 std::tuple(QStringList{u"CLoginDlg"_s}, nullptr, qsizetype(0),
                            int(UserKind::Anonymous)));
    }
};

QE_TEST_MAIN(TestSplash)
#include "tst_splash.moc"
