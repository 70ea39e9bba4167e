#include "app/PracticeClock.h"
#include "platform/ScriptedPlatform.h"
#include "tests/FakeMainWindow.h"
#include "tests/TestMain.h"

using namespace Qt::Literals::StringLiterals;

// The practice clock: time of day, elapsed seconds and the ready prompt.
class TestClock : public QObject
{
    Q_OBJECT
private:
    struct Rig
    {
        CScriptedPlatform platform;
        CFakeMainWindow window;
        CPracticeClock clock{window};

        void StartAt(const QTime& time)
        {
            platform.SetTime(time);
            clock.StartClock();
            clock.MarkStartTime();
            clock.ShowPracticeRunning();
        }
        void TickAt(const QTime& time)
        {
            platform.SetTime(time);
            clock.Tick(time);
        }
    };

private slots:
    void timeOfDayPadsWithSpaces_data()
    {
        QTest::addColumn<QTime>("time");
        QTest::addColumn<QString>("pane");
        QTest::newRow("single digits") << QTime(9, 5, 7) << u"当前时间: 9: 5: 7"_s;
        QTest::newRow("two digits") << QTime(23, 59, 10) << u"当前时间:23:59:10"_s;
        QTest::newRow("midnight") << QTime(0, 0, 0) << u"当前时间: 0: 0: 0"_s;
    }
    void timeOfDayPadsWithSpaces()
    {
        QFETCH(QTime, time);
        QFETCH(QString, pane);
        Rig rig;
        rig.TickAt(time);
        QCOMPARE(rig.window.panes.value(4), pane);
    }

    void elapsedSeconds_data()
    {
        QTest::addColumn<QTime>("start");
        QTest::addColumn<QTime>("tick");
        QTest::addColumn<int>("seconds");
        QTest::newRow("across the hour") << QTime(10, 59, 58) << QTime(11, 0, 1) << 3;
        QTest::newRow("past midnight") << QTime(23, 59, 50) << QTime(0, 0, 10) << 20;
        QTest::newRow("same second") << QTime(8, 0, 0) << QTime(8, 0, 0) << 0;
        QTest::newRow("long practice") << QTime(8, 0, 0) << QTime(9, 30, 15) << 5415;
    }
    void elapsedSeconds()
    {
        QFETCH(QTime, start);
        QFETCH(QTime, tick);
        QFETCH(int, seconds);
        Rig rig;
        rig.StartAt(start);
        rig.TickAt(tick);
        QCOMPARE(ElapsedSeconds, seconds);
        QCOMPARE(rig.window.panes.value(3), u"记时:%1秒"_s.arg(seconds));
    }

    void practiceEndedBeforeFirstTickKeepsZero()
    {
        Rig rig;
        rig.clock.ResetClock();
        rig.StartAt(QTime(8, 0, 0));
        rig.clock.StopClock();
        QCOMPARE(ElapsedSeconds, 0);
    }

    void stopClockFreezesCount()
    {
        Rig rig;
        rig.StartAt(QTime(8, 0, 0));
        rig.TickAt(QTime(8, 0, 5));
        rig.clock.StopClock();
        QCOMPARE(rig.window.panes.value(3), u"记时:0秒"_s);
        QCOMPARE(rig.window.panes.value(0), u"已经结束练习!"_s);
        rig.TickAt(QTime(8, 0, 9));
        QCOMPARE(ElapsedSeconds, 5);
        QCOMPARE(rig.window.panes.value(3), u"记时:0秒"_s);
    }

    void resetClock()
    {
        Rig rig;
        rig.StartAt(QTime(8, 0, 0));
        rig.TickAt(QTime(8, 0, 5));
        rig.clock.ShowReadyPrompt();
        rig.clock.ResetClock();
        QCOMPARE(ElapsedSeconds, 0);
        QCOMPARE(rig.window.panes.value(0), u" "_s);
        QCOMPARE(rig.window.panes.value(3), u"记时:0秒"_s);
        QVERIFY(!rig.clock.m_bReadyPrompt);
        QVERIFY(!rig.clock.m_bClockRunning);
    }

    void readyPromptBlinksAndResumesItsPhase()
    {
        Rig rig;
        const QString prompt = u"◎☆准备就绪,按空格键开始计时☆◎"_s;
        rig.clock.ShowReadyPrompt();
        rig.TickAt(QTime(8, 0, 1));
        QCOMPARE(rig.window.panes.value(0), prompt);
        rig.TickAt(QTime(8, 0, 2));
        QCOMPARE(rig.window.panes.value(0), u"  "_s);
        rig.TickAt(QTime(8, 0, 3));
        QCOMPARE(rig.window.panes.value(0), prompt);
        // the running practice stops the blink where it stands ...
        rig.StartAt(QTime(8, 0, 3));
        rig.TickAt(QTime(8, 0, 4));
        QCOMPARE(rig.window.panes.value(0), u"№:现在正处练习中,你可按ESC键中止练习"_s);
        // ... and the next prompt goes on in that phase: blank first
        rig.clock.ResetClock();
        rig.clock.ShowReadyPrompt();
        rig.TickAt(QTime(8, 0, 5));
        QCOMPARE(rig.window.panes.value(0), u"  "_s);
    }

    // A notice takes the blank phase of the blink until it is taken away or
    // the next reset.
    void noticeBlinksWithTheReadyPrompt()
    {
        Rig rig;
        const QString prompt = u"◎☆准备就绪,按空格键开始计时☆◎"_s;
        const QString notice = u"中文输入法没有运行"_s;
        rig.clock.ShowReadyPrompt();
        rig.clock.ShowNotice(notice);
        QCOMPARE(rig.window.panes.value(0), notice);
        rig.TickAt(QTime(8, 0, 1));
        QCOMPARE(rig.window.panes.value(0), prompt);
        rig.TickAt(QTime(8, 0, 2));
        QCOMPARE(rig.window.panes.value(0), notice);
        rig.clock.ShowNotice(QString());
        rig.TickAt(QTime(8, 0, 3));
        rig.TickAt(QTime(8, 0, 4));
        QCOMPARE(rig.window.panes.value(0), u"  "_s);
        rig.clock.ShowNotice(notice);
        rig.clock.ResetClock();
        rig.clock.ShowReadyPrompt();
        rig.TickAt(QTime(8, 0, 5));
        rig.TickAt(QTime(8, 0, 6));
        QVERIFY(!rig.window.panes.value(0).contains(notice));
    }
};

QE_TEST_MAIN(TestClock)
#include "tst_clock.moc"
