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

QString Message(const QString& file)
{
    return u"初始化文件'%1'时出错,可能是文件已损坏或文件不存在!"_s.arg(file);
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

    void window()
    {
        CScriptedPlatform platform;
        MakeFiles({});
        CFakeMainWindow mainWindow;
        CSplashWnd::ShowSplash(&mainWindow);
        CSplashWnd* splash = CSplashWnd::s_pInstance;
        QVERIFY(splash);
        QVERIFY(splash->isVisible());
        QCOMPARE(splash->size(), QSize(326, 240));
        QCOMPARE(splash->m_bitmap.size(), QSize(326, 240));
        QVERIFY(splash->windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(splash->cursor().shape(), Qt::WaitCursor);
        const QRect work = QGuiApplication::primaryScreen()->availableGeometry();
        QVERIFY(qAbs(splash->geometry().center().x() - work.center().x()) <= 1);
        QVERIFY(qAbs(splash->geometry().center().y() - work.center().y()) <= 1);
        QVERIFY(!splash->m_bFirstPaint);
        // A second call while the splash stands does nothing.
        CSplashWnd::ShowSplash(&mainWindow);
        QCOMPARE(CSplashWnd::s_pInstance, splash);
    }

    void allFilesPresent()
    {
        CScriptedPlatform platform;
        MakeFiles({});
        CFakeMainWindow mainWindow;
        CSplashWnd::ShowSplash(&mainWindow);
        CSplashWnd* splash = CSplashWnd::s_pInstance;
        QVERIFY(splash);
        QVERIFY(platform.boxes.isEmpty());
        QVERIFY(platform.modalRuns.isEmpty());

        // The check drew its texts one over the other at the lower left.
        const auto drawn = [splash](int nSixDots) {
            QImage image = splash->m_bitmap.toImage().convertToFormat(QImage::Format_RGB32);
            QPainter painter(&image);
            painter.setFont(splash->font());
            painter.setPen(QColor(0, 255, 0));
            const QFontMetrics metrics(splash->font());
            const QPoint at(10, 240 - metrics.height() - 5 + metrics.ascent());
            painter.drawText(at, u"正在初始化....."_s);
            for (int i = 0; i < nSixDots; ++i)
                painter.drawText(at, u"正在初始化......"_s);
            return image;
        };
        const QImage frame = splash->CheckFrame().toImage().convertToFormat(QImage::Format_RGB32);
        QVERIFY(frame != splash->m_bitmap.toImage().convertToFormat(QImage::Format_RGB32));
        QCOMPARE(frame, drawn(4));
        // The sixth dot shows: five-dot text alone would differ.
        QVERIFY(frame != drawn(0));

        // A repaint after the check shows the picture alone.
        const QImage repainted = splash->grab().toImage().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(repainted, splash->m_bitmap.toImage().convertToFormat(QImage::Format_RGB32));
    }

    // The green progress text stands on a plain, dark part of the picture,
    // so that it can be read.
    void progressTextStandsOnAPlainArea()
    {
        CScriptedPlatform platform;
        MakeFiles({});
        CFakeMainWindow mainWindow;
        CSplashWnd::ShowSplash(&mainWindow);
        CSplashWnd* splash = CSplashWnd::s_pInstance;
        QVERIFY(splash);
        const QFontMetrics metrics(splash->font());
        const QRect text(10, 240 - metrics.height() - 5,
                         metrics.horizontalAdvance(u"正在初始化......"_s), metrics.height());
        const QImage picture = splash->m_bitmap.toImage().convertToFormat(QImage::Format_RGB32);
        const QRgb under = picture.pixel(text.topLeft());
        for (int y = text.top(); y <= text.bottom(); ++y) {
            for (int x = text.left(); x <= text.right(); ++x)
                QVERIFY2(picture.pixel(x, y) == under, qPrintable(u"%1,%2"_s.arg(x).arg(y)));
        }
        // Pure green against it: far apart in brightness.
        QVERIFY2(qGray(QColor(0, 255, 0).rgb()) - qGray(under) >= 100,
                 qPrintable(QString::number(qGray(under))));
    }

    // With a lab's PostgreSQL database there is no user.mdb to miss.
    void serverDatabaseNeedsNoFile()
    {
        CScriptedPlatform platform;
        MakeFiles({u"user.mdb"_s});
        CDaoDatabase::SetTarget(u"postgresql://qe@127.0.0.1:1/qe"_s);
        CFakeMainWindow mainWindow;
        CSplashWnd::ShowSplash(&mainWindow);
        CDaoDatabase::SetTarget(QString());
        QVERIFY(CSplashWnd::s_pInstance);
        QVERIFY(platform.boxes.isEmpty());
    }

    void missingFiles_data()
    {
        QTest::addColumn<QStringList>("missing");
        QTest::newRow("english.txt and user.mdb missing")
            << QStringList{u"user.mdb"_s, u"english.txt"_s};
        QTest::newRow("all missing") << DataFiles;
        QTest::newRow("only punctuate.txt missing") << QStringList{u"punctuate.txt"_s};
    }
    void missingFiles()
    {
        QFETCH(QStringList, missing);
        CScriptedPlatform platform;
        MakeFiles(missing);
        CFakeMainWindow mainWindow;
        CSplashWnd::ShowSplash(&mainWindow);
        CSplashWnd* splash = CSplashWnd::s_pInstance;
        QVERIFY(splash);

        QStringList expected;
        for (const QString& name : DataFiles) {
            if (missing.contains(name))
                expected.append(Message(name));
        }
        QStringList shown;
        for (const CScriptedPlatform::Box& box : platform.boxes) {
            shown.append(box.text);
            QCOMPARE(box.caption, u"出错"_s);
            QCOMPARE(box.flags, MB_OK | MB_ICONEXCLAMATION);
            QCOMPARE(box.owner, splash);
        }
        QCOMPARE(shown, expected);
        // The start goes on: the login still follows.
        QVERIFY(platform.modalRuns.isEmpty());
        Drive<CLoginDlg>(platform, [](CLoginDlg* dlg) {
            dlg->ChooseItem(1004, 2);
            dlg->ClickButton(1);
        });
        splash->OnTimer(1);
        QCOMPARE(platform.modalRuns, QStringList{u"CLoginDlg"_s});
        QVERIFY(!CSplashWnd::s_pInstance);
        QVERIFY(platform.exits.isEmpty());
        QCOMPARE(CurrentUser.KindCode, int(UserKind::Anonymous));
    }

    void disabled()
    {
        CScriptedPlatform platform;
        MakeFiles({u"english.txt"_s});
        CFakeMainWindow mainWindow;
        CSplashWnd::EnableSplash(false);
        CSplashWnd::ShowSplash(&mainWindow);
        QVERIFY(!CSplashWnd::s_pInstance);
        QVERIFY(platform.boxes.isEmpty());
        QVERIFY(platform.modalRuns.isEmpty());
    }

    void cancelFirstLoginEndsProcess()
    {
        CScriptedPlatform platform;
        MakeFiles({});
        CFakeMainWindow mainWindow;
        CSplashWnd::ShowSplash(&mainWindow);
        QVERIFY(CSplashWnd::s_pInstance);
        int nBoxesBefore = -1;
        Drive(platform, [&](CDialog* dlg) {
            nBoxesBefore = int(platform.boxes.size());
            dlg->ClickButton(2);
        });
        CSplashWnd::s_pInstance->OnTimer(1);
        QCOMPARE(platform.modalRuns, QStringList{u"CLoginDlg"_s});
        QCOMPARE(platform.exits, QList<int>{0});
        // Nothing is asked after the Cancel.
        QCOMPARE(platform.boxes.size(), nBoxesBefore);
        QVERIFY(!CSplashWnd::s_pInstance);
    }

    void loginWithoutCancelGoesOn()
    {
        CScriptedPlatform platform;
        MakeFiles({});
        CFakeMainWindow mainWindow;
        CSplashWnd::ShowSplash(&mainWindow);
        Drive(platform, [](CDialog* dlg) { dlg->ClickButton(1007); });
        Drive(platform, [](CDialog* dlg) { dlg->ClickButton(2); });
        Drive(platform, [](CDialog* dlg) { dlg->ClickButton(2); });
        CSplashWnd::s_pInstance->OnTimer(1);
        // The new-user button ends the first login without Cancel; the login
        // that follows a cancelled registration may be cancelled freely.
        QCOMPARE(platform.modalRuns,
                 (QStringList{u"CLoginDlg"_s, u"CNewUserDlg"_s, u"CLoginDlg"_s}));
        QVERIFY(platform.exits.isEmpty());
    }

    void inputDoesNothing()
    {
        CScriptedPlatform platform;
        MakeFiles({});
        CFakeMainWindow mainWindow;
        CSplashWnd::ShowSplash(&mainWindow);
        CSplashWnd* splash = CSplashWnd::s_pInstance;
        QTest::keyClick(splash, Qt::Key_Escape);
        QTest::keyClick(splash, Qt::Key_Space);
        QTest::mouseClick(splash, Qt::LeftButton);
        QCOMPARE(CSplashWnd::s_pInstance, splash);
        QVERIFY(splash->isVisible());
        QVERIFY(platform.modalRuns.isEmpty());
    }

    void destroyedWithOwner()
    {
        CScriptedPlatform platform;
        MakeFiles({});
        {
            CFakeMainWindow mainWindow;
            CSplashWnd::ShowSplash(&mainWindow);
            QVERIFY(CSplashWnd::s_pInstance);
        }
        QVERIFY(!CSplashWnd::s_pInstance);
    }
};

QE_TEST_MAIN(TestSplash)
#include "tst_splash.moc"
