#include "attempts/Metrics.h"
#include "attempts/PracticeKind.h"
#include "attempts/Progress.h"
#include "tests/TestMain.h"

#include <QRandomGenerator>

using namespace Qt::Literals::StringLiterals;

// The figures every window shows, against values worked out by hand.
class TestMetrics : public QObject
{
    Q_OBJECT
private slots:
    void speedInTheKindsUnit_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("correct");
        QTest::addColumn<qint64>("ms");
        QTest::addColumn<QString>("shown");
        const auto row = [](const char* name, int kind, int correct, qint64 ms,
                            const QString& shown) {
            QTest::newRow(name) << kind << correct << ms << shown;
        };
        const int chinese = PracticeKind::Chinese, english = PracticeKind::English;
        const int number = PracticeKind::Number, symbol = PracticeKind::Symbol;
        // 25 units in 60 s: 25 per minute, where the described speed is 0.
        row("Chinese beginner, 25 in a minute", chinese, 25, 60000, u"25.0 字/分"_s);
        row("Chinese, 37 in 80.5 s", chinese, 37, 80500, u"27.6 字/分"_s); // 27.577...
        // 150 characters in 90 s: 100 CPM, 20 words of five.
        row("English is WPM, characters / 5", english, 150, 90000, u"20.0 WPM"_s);
        row("digits are CPM", number, 45, 30500, u"88.5 CPM"_s); // 88.52...
        row("symbols are CPM", symbol, 12, 6000, u"120.0 CPM"_s);
        row("0 ms gives 0, not a division fault", chinese, 40, 0, u"0.0 字/分"_s);
        row("a clock run backwards gives 0", english, 40, -500, u"0.0 WPM"_s);
        row("nothing correct gives 0", number, 0, 30000, u"0.0 CPM"_s);
        row("negative counts read as 0", symbol, -3, 30000, u"0.0 CPM"_s);
    }
    void speedInTheKindsUnit()
    {
        QFETCH(int, kind);
        QFETCH(int, correct);
        QFETCH(qint64, ms);
        QFETCH(QString, shown);
        QCOMPARE(Metrics::SpeedText(Metrics::KindSpeed(kind, correct, ms)), shown);
    }

    // The best and the averages are taken over the same attempts, those of
    // 30 s or a whole screen of 5 s; the averages are all their correct units over
    // all their time (and over all they typed).
    void bestAndAverageOfAttempts_data()
    {
        QTest::addColumn<QList<CAttemptSummary>>("attempts");
        QTest::addColumn<int>("counted");
        QTest::addColumn<double>("best");
        QTest::addColumn<double>("average");
        QTest::addColumn<int>("bestAccuracy");
        QTest::addColumn<int>("averageAccuracy");
        const auto at = [](qint64 ms, int typed, int correct, bool whole = false,
                           int kind = PracticeKind::Chinese) {
            return CAttemptSummary{.nKind = kind,
                                   .nElapsedMs = ms,
                                   .nTypedUnits = typed,
                                   .nCorrectUnits = correct,
                                   .bWholeText = whole};
        };
        // 18 in 6 s would be 180 字/分; a whole minute of 15 counts.
        QTest::newRow("six seconds and Esc count for nothing")
            << QList{at(6000, 18, 18), at(60000, 16, 15)} << 1 << 15.0 << 15.0 << 93 << 93;
        QTest::newRow("a whole screen in 20 s is the best")
            << QList{at(20000, 40, 40, true), at(60000, 30, 30)} << 2 << 120.0 << 52.5 << 100
            << 100;
        QTest::newRow("a whole screen in under 5 s counts for nothing")
            << QList{at(4999, 40, 40, true), at(60000, 30, 30)} << 1 << 30.0 << 30.0 << 100 << 100;
        QTest::newRow("exactly 30 s counts")
            << QList{at(30000, 20, 10), at(60000, 20, 20)} << 2 << 20.0 << 20.0 << 100 << 75;
        QTest::newRow("only short attempts: nothing counts")
            << QList{at(5000, 10, 10), at(1000, 2, 1)} << 0 << 0.0 << 0.0 << 0 << 0;
        QTest::newRow("a minute of nothing lowers the average, not the best")
            << QList{at(60000, 40, 40), at(60000, 0, 0)} << 2 << 40.0 << 20.0 << 100 << 100;
        QTest::newRow("57 of 100 is 57 both ways")
            << QList{at(60000, 100, 57)} << 1 << 57.0 << 57.0 << 57 << 57;
        // 1284 of 1288 is 99 %: the best is the attempt's own figure, never
        // rounded up to 100.
        QTest::newRow("the best of 1284 of 1288 is 99, not 100")
            << QList{at(600000, 1288, 1284), at(60000, 50, 40)} << 2 << 128.4
            << 1324 * 60000.0 / 660000 << 99 << 98;
        QTest::newRow("other kinds are left out")
            << QList{at(60000, 40, 40), at(60000, 100, 100, false, PracticeKind::English)} << 1
            << 40.0 << 40.0 << 100 << 100;
    }
    void bestAndAverageOfAttempts()
    {
        QFETCH(QList<CAttemptSummary>, attempts);
        QFETCH(int, counted);
        QFETCH(double, best);
        QFETCH(double, average);
        QFETCH(int, bestAccuracy);
        QFETCH(int, averageAccuracy);
        const CProgressFigures figures = SummariseKind(attempts, PracticeKind::Chinese);
        QCOMPARE(figures.nCounted, counted);
        QCOMPARE(figures.dBestSpeed, best);
        QCOMPARE(figures.dAverageSpeed, average);
        QCOMPARE(figures.nBestAccuracy, bestAccuracy);
        QCOMPARE(figures.nAverageAccuracy, averageAccuracy);
    }

    // Whatever a pupil typed, no best is below its average, as computed and
    // as shown (one decimal): random sets of attempts of every kind.
    void bestIsNeverBelowAverage()
    {
        QRandomGenerator random(20261209);
        for (int set = 0; set < 2000; ++set) {
            const int kind = PracticeKind::Chinese + int(random.bounded(4));
            QList<CAttemptSummary> attempts(1 + random.bounded(12));
            for (CAttemptSummary& attempt : attempts) {
                attempt.nKind = kind;
                attempt.nElapsedMs = random.bounded(1, 400000);
                attempt.nTypedUnits = random.bounded(0, 800);
                attempt.nCorrectUnits = random.bounded(0, attempt.nTypedUnits + 1);
                attempt.bWholeText = random.bounded(4) == 0;
            }
            const CProgressFigures f = SummariseKind(attempts, kind);
            const auto shown = [](double value) {
                return QString::number(value, 'f', 1).toDouble();
            };
            QVERIFY2(
                f.dBestSpeed >= f.dAverageSpeed && shown(f.dBestSpeed) >= shown(f.dAverageSpeed),
                qPrintable(u"set %1: %2 < %3"_s.arg(set).arg(f.dBestSpeed).arg(f.dAverageSpeed)));
            QVERIFY2(
                f.nBestAccuracy >= f.nAverageAccuracy,
                qPrintable(
                    u"set %1: %2 < %3"_s.arg(set).arg(f.nBestAccuracy).arg(f.nAverageAccuracy)));
        }
    }
};

QE_TEST_MAIN(TestMetrics)
#include "tst_metrics.moc"
