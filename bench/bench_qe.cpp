// Inside-the-program timings with Google Benchmark, offscreen:
// a keystroke through CQeView::OnChar with the repaint of the cells it
// changed, a full repaint of the practice screen, and on SQLite (and on
// PostgreSQL when QE_BENCH_POSTGRES names a cluster) the database work of
// the dialogs over 100,000 and 1,000,000 rows: the login's lookup, the
// login dialog's list of names, the personal and the group score query, the
// clearings (with the longest stall of the interface thread meanwhile), and
// 我的练习记录 over 1,000,000 attempts (bench_progress.cpp).
#include "app/MainFrame.h"
#include "app/ProgramDatabaseSteps.h"
#include "bench/BenchClassroom.h"
#include "bench/BenchCoaching.h"
#include "bench/BenchData.h"
#include "bench/BenchFloor.h"
#include "bench/BenchLesson.h"
#include "bench/BenchProgress.h"
#include "platform/Dao.h"
#include "platform/GlyphBlending.h"
#include "platform/ListCtrl.h"
#include "platform/LocalZone.h"
#include "platform/MainWindow.h"
#include "platform/ScriptedPlatform.h"
#include "practice/PracticeState.h"
#include "practice/QeDoc.h"
#include "practice/QeView.h"
#include "scores/ClearGroupScoresDlg.h"
#include "scores/ClearPersonalScoresDlg.h"
#include "scores/ScoreQueryDlg.h"
#include "scores/ScoreQueryScope.h"
#include "users/CurrentUser.h"
#include "users/Database.h"
#include "users/DatabaseSetup.h"
#include "users/LoginDlg.h"
#include "users/LoginHistoryDlg.h"
#include "users/Session.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QProgressBar>
#include <QTimer>
#include <QTemporaryDir>
#include <QUrl>
#include <QWindow>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int SmallRows = 100000;
constexpr int LargeRows = 1000000;

// The main frame with its document and view, as start-up makes them, on an
// English practice screen.
class CBenchWindow
{
public:
    CBenchWindow()
    {
        QFile english(u"english.txt"_s);
        if (!english.open(QIODevice::WriteOnly))
            qFatal("cannot write english.txt");
        QFile shipped(QStringLiteral(QE_ENGLISH_TEXT));
        if (!shipped.open(QIODevice::ReadOnly))
            qFatal("cannot read %s", QE_ENGLISH_TEXT);
        english.write(shipped.readAll());
        english.close();
        m_doc.OnNewDocument();
        m_frame = std::make_unique<CMainFrame>();
        AfxSetMainWnd(m_frame.get());
        m_frame->Create(&m_doc);
        m_frame->show();
        QCoreApplication::processEvents();
        m_view = m_frame->GetActiveView();
    }
    ~CBenchWindow() { AfxSetMainWnd(nullptr); }

    CQeView* View() const { return m_view; }

    // A fresh practice, started with the space bar.
    void Start()
    {
        m_view->OnPracticeEnglish();
        m_view->OnChar(' ');
    }
    // The same text as a stored text's screen, on the large screen.
    void StartLarge()
    {
        QFile shipped(QStringLiteral(QE_ENGLISH_TEXT));
        shipped.open(QIODevice::ReadOnly);
        CPracticeScreen screen;
        screen.text = shipped.readAll();
        screen.strTitle = u"english"_s;
        m_view->LoadScreen(screen);
        m_view->OnChar(' ');
    }
    // The next character of the practice text, typed correctly.
    void TypeNext() { m_view->OnChar(static_cast<unsigned char>(NextByte())); }
    char NextByte() const { return m_doc.m_enText[CurrentRow][CurrentColumn]; }

private:
    CQeDoc m_doc{ProgramDatabaseSteps()};
    std::unique_ptr<CMainFrame> m_frame;
    CQeView* m_view = nullptr;
};

CBenchWindow* g_pScreen = nullptr;
CScriptedPlatform* g_pPlatform = nullptr; // one for the whole run: each restores Qt's

// Sends the view's cell invalidations into a region instead of update().
class CDirtyCapture
{
public:
    explicit CDirtyCapture(CQeView* view) : m_view(view)
    {
        view->Session().SetInvalidate([this](int line, int column, int count) {
            m_region += m_view->DirtyRect(line, column, count);
        });
    }
    ~CDirtyCapture()
    {
        CQeView* view = m_view;
        view->Session().SetInvalidate([view](int line, int column, int count) {
            view->update(view->DirtyRect(line, column, count));
        });
    }
    // Paints the changed cells as a paint event would: clipped to the
    // region, with its bounding rectangle as the dirty rectangle.
    void Paint(QImage& image)
    {
        QPainter painter(&image);
        painter.setClipRegion(m_region);
        m_view->OnDraw(painter, m_region.boundingRect());
        painter.end();
        m_region = QRegion();
    }

private:
    CQeView* m_view;
    QRegion m_region;
};

// Typing stays below the screen's end, where the practice would end itself.
constexpr int KeysPerPractice = 12 * CQeDoc::Columns;

// One key per iteration, its cells repainted into image; afterKey(n) runs
// after the n-th key of a practice, which starts again (untimed) before its
// end.
template <typename AfterKey>
void TypeAndRepaint(benchmark::State& state, CBenchWindow& screen, QImage& image, AfterKey afterKey)
{
    CDirtyCapture dirty(screen.View());
    dirty.Paint(image);
    int typed = 0;
    for (auto _ : state) {
        if (typed == KeysPerPractice) {
            state.PauseTiming();
            screen.Start();
            dirty.Paint(image);
            typed = 0;
            state.ResumeTiming();
        }
        screen.TypeNext();
        dirty.Paint(image);
        afterKey(++typed);
    }
    benchmark::DoNotOptimize(image.constBits());
}

void BM_KeystrokeWithRepaint(benchmark::State& state)
{
    CBenchWindow& screen = *g_pScreen;
    screen.Start();
    QImage image(screen.View()->size(), QImage::Format_RGB32);
    TypeAndRepaint(state, screen, image, [](int) {});
}

// The same keystroke while a pupil's practice reports to the live view: a
// pupil logged in on a file database, and a report handed to the reporter's
// thread every tenth key (a pupil typing five keys a second reports every
// two seconds); the thread writes it meanwhile.
void BM_KeystrokeWhileReporting(benchmark::State& state, CDaoDatabase* db, qint64 pupilKey)
{
    CSession::Instance().SetDatabaseSource([db] { return db; });
    CurrentUser = CCurrentUser();
    CurrentUser.Name = u"live"_s;
    CurrentUser.Class = u"机房"_s;
    CurrentUser.KindCode = UserKind::Ordinary;
    CurrentUser.RowKey = pupilKey;
    CBenchWindow& screen = *g_pScreen;
    screen.Start();
    QImage image(screen.View()->size(), QImage::Format_RGB32);
    CLiveReporter& reporter = screen.View()->Reporter();
    if (!reporter.IsRunning())
        state.SkipWithError("the practice does not report");
    TypeAndRepaint(state, screen, image, [&reporter](int typed) {
        if (typed % 10 == 0)
            reporter.ReportNow();
    });
    reporter.WaitUntilSent();
    screen.View()->OnPracticeEnglish(); // ends the reports
    CurrentUser = CCurrentUser();
    CSession::Instance().SetDatabaseSource({});
}

// Counts the paint events the view receives.
class CPaintCounter : public QObject
{
public:
    int m_nPaints = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++m_nPaints;
        return QObject::eventFilter(watched, event);
    }
};

// The same keystroke with Qt's own path: update() of the changed cells, the
// update request and the paint into the window's backing store.
void BM_KeystrokeThroughBackingStore(benchmark::State& state, bool bLarge)
{
    CBenchWindow& screen = *g_pScreen;
    const auto start = [&screen, bLarge] { bLarge ? screen.StartLarge() : screen.Start(); };
    start();
    QCoreApplication::sendPostedEvents();
    CPaintCounter counter;
    screen.View()->installEventFilter(&counter);
    int typed = 0;
    int keys = 0;
    for (auto _ : state) {
        if (typed == KeysPerPractice) {
            state.PauseTiming();
            start();
            QCoreApplication::sendPostedEvents();
            counter.m_nPaints -= 1;
            typed = 0;
            state.ResumeTiming();
        }
        screen.TypeNext();
        QCoreApplication::sendPostedEvents();
        ++typed;
        ++keys;
    }
    screen.View()->removeEventFilter(&counter);
    if (counter.m_nPaints < keys)
        state.SkipWithError("a keystroke was not painted");
}

// A full repaint with rows typed correctly (every typed cell red).
void BM_FullRepaint(benchmark::State& state)
{
    CBenchWindow& screen = *g_pScreen;
    screen.Start();
    {
        CDirtyCapture dirty(screen.View()); // no update() storm while filling
        for (int i = 0; i < state.range(0) * CQeDoc::Columns; ++i)
            screen.TypeNext();
    }
    QImage image(screen.View()->size(), QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter painter(&image);
        screen.View()->OnDraw(painter, image.rect());
        painter.end();
    }
    benchmark::DoNotOptimize(image.constBits());
    state.counters["typed_rows"] = double(state.range(0));
}

// A full repaint of the large screen with 13 rows typed, one cell in ten
// wrong, at a display scale (percent) on a 1366×768 display's client.
void BM_LargeFullRepaint(benchmark::State& state)
{
    CBenchWindow& screen = *g_pScreen;
    CQeView* view = screen.View();
    const QSize size = view->size();
    view->resize(1366, 611);
    screen.StartLarge();
    {
        CDirtyCapture dirty(view);
        for (int i = 0; i < 13 * CQeDoc::Columns; ++i)
            i % 10 == 9 ? view->OnChar('#') : screen.TypeNext();
    }
    const qreal ratio = state.range(0) / 100.0;
    QImage image(view->size() * ratio, QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    for (auto _ : state) {
        QPainter painter(&image);
        view->OnDraw(painter, view->rect());
        painter.end();
    }
    benchmark::DoNotOptimize(image.constBits());
    state.counters["scale_percent"] = double(state.range(0));
    view->OnPracticeEnglish();
    view->resize(size);
}

// A database of the benchmarks, made and filled on first use (so that a
// run filtered to other benchmarks does not wait for it) with nRows users,
// nRows scores and, when asked, nRows logins.
class CBenchDatabase
{
public:
    CBenchDatabase(QString engine, QString target, int nRows)
        : m_strEngine(std::move(engine)), m_strTarget(std::move(target)), m_nRows(nRows)
    {
    }

    const QString& Engine() const { return m_strEngine; }
    int Rows() const { return m_nRows; }
    CDaoDatabase* Db() { return &m_db; }

    void Activate()
    {
        if (!m_db.IsOpen()) {
            CreateDatabase(m_strTarget, u"admin"_s, u"admin"_s, ProgramDatabaseSteps());
            m_db.Open(m_strTarget);
            BenchData::AddUsers(m_db, m_nRows);
            BenchData::AddScores(m_db, m_nRows);
            Analyse();
        }
        CDaoDatabase* db = &m_db;
        CSession::Instance().SetDatabaseSource([db] { return db; });
    }
    // Fills a table again that a clearing emptied (in part).
    void RefillScores()
    {
        m_db.Execute(u"DELETE FROM score"_s);
        BenchData::AddScores(m_db, m_nRows);
        Analyse();
    }
    void RefillLogins()
    {
        m_db.Execute(u"DELETE FROM loginhistory"_s);
        BenchData::AddLogins(m_db, m_nRows);
        Analyse();
    }

private:
    // Fresh statistics, as the engine keeps them for a table that grew by use.
    void Analyse() { m_db.Execute(m_db.IsPostgres() ? u"VACUUM ANALYZE"_s : u"ANALYZE"_s); }

    QString m_strEngine;
    QString m_strTarget;
    int m_nRows;
    CDaoDatabase m_db;
};

// The longest time the interface thread went without running its event
// loop, measured by a timer that should fire every few milliseconds.
class CStallMeter : public QObject
{
public:
    CStallMeter()
    {
        m_clock.start();
        m_timer.setTimerType(Qt::PreciseTimer);
        connect(&m_timer, &QTimer::timeout, this, [this] { Tick(); });
        m_timer.start(5);
    }
    // Milliseconds of the longest gap, the time up to now included.
    double Longest()
    {
        Tick();
        return m_fLongest;
    }

private:
    void Tick()
    {
        const qint64 now = m_clock.nsecsElapsed();
        m_fLongest = std::max(m_fLongest, double(now - m_nLast) / 1e6);
        m_nLast = now;
    }

    QElapsedTimer m_clock;
    QTimer m_timer;
    qint64 m_nLast = 0;
    double m_fLongest = 0;
};

// The login's lookup: the scan opened, the name sought; the last user.
void BM_LoginLookup(benchmark::State& state, CBenchDatabase* db)
{
    try {
        db->Activate();
        const int nLast = db->Rows() - 1;
        const QString name = u"user%1"_s.arg(nLast);
        for (auto _ : state) {
            CDaoRecordset rs(db->Db());
            if (!OpenScan(rs, Sql::ScanUsers) || !SeekNext(rs, 0, name) ||
                VariantToText(rs.GetFieldValue(2)) != QString::number(2003000 + nLast)) {
                state.SkipWithError("the lookup did not find the last user");
                break;
            }
        }
    } catch (const CDaoException& e) {
        state.SkipWithError(e.what());
    }
}

// From the login dialog's construction until it is on screen with its list
// of every user's name. The first opening on each database is also kept:
// it is the one a pupil sees, on memory and pages the process has not used
// yet.
void BM_LoginDialog(benchmark::State& state, CBenchDatabase* db)
{
    static std::map<const CBenchDatabase*, double> s_firstMs;
    try {
        db->Activate();
        int names = 0;
        double stall = 0;
        for (auto _ : state) {
            QElapsedTimer timer;
            std::unique_ptr<CStallMeter> meter;
            g_pPlatform->DriveDialog([&](QDialog* dialog) {
                stall = std::max(stall, meter->Longest());
                for (int i = 0; i < 1000 && !dialog->windowHandle()->isExposed(); ++i)
                    QCoreApplication::processEvents();
                dialog->repaint();
                state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
                s_firstMs.try_emplace(db, double(timer.nsecsElapsed()) / 1e6);
                names =
                    static_cast<CLoginDlg*>(dialog)->Item<QComboBox>(CLoginDlg::IDC_NAME)->count();
                dialog->hide();
            });
            timer.start();
            meter = std::make_unique<CStallMeter>();
            CLoginDlg dlg;
            dlg.DoModal();
        }
        if (names != db->Rows())
            state.SkipWithError("the login dialog listed a wrong number of names");
        state.counters["stall_ms"] = stall;
        state.counters["first_ms"] = s_firstMs[db];
    } catch (const CDaoException& e) {
        state.SkipWithError(e.what());
    }
}

// From the dialog's construction until it is on screen with its list filled
// and painted.
void BM_ScoreQuery(benchmark::State& state, CBenchDatabase* db, int scope)
{
    try {
        db->Activate();
        // Li, logged in as an ordinary user: the personal rows are Li's with
        // Li's student number.
        CurrentUser.Name = u"Li"_s;
        CurrentUser.StudentNo = u"2003000"_s;
        CurrentUser.KindCode = UserKind::Ordinary;
        CurrentUser.RowKey = 1;
        int listed = 0;
        QString last;
        for (auto _ : state) {
            QElapsedTimer timer;
            g_pPlatform->DriveDialog([&](QDialog* dialog) {
                for (int i = 0; i < 1000 && !dialog->windowHandle()->isExposed(); ++i)
                    QCoreApplication::processEvents();
                dialog->repaint();
                state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
                CListCtrl* list = static_cast<CScoreQueryDlg*>(dialog)->m_listScore;
                listed = list->GetItemCount();
                last = list->GetItemText(listed - 1, 0);
                dialog->reject();
            });
            timer.start();
            ScoreQueryScope = scope;
            CScoreQueryDlg dlg;
            dlg.DoModal();
        }
        const bool bPersonal = scope == ScoreScope::Personal;
        const int expected = bPersonal ? db->Rows() / 10 : db->Rows();
        const QString lastName = bPersonal || (db->Rows() - 1) % 10 == 0
                                     ? u"Li"_s
                                     : u"user%1"_s.arg((db->Rows() - 1) % 997);
        if (listed != expected || last != lastName)
            state.SkipWithError("the query listed wrong rows");
        state.counters["rows_listed"] = listed;
    } catch (const CDaoException& e) {
        state.SkipWithError(e.what());
    }
}

// The whole clearing dialog: the count, the question, then the deleting
// pass with the progress bar (the dialog's timer tick comes at once). Also
// the longest stall of the interface thread meanwhile.
template <class Dlg> void BM_Clearing(benchmark::State& state, CBenchDatabase* db, int expected)
{
    try {
        db->Activate();
        CurrentUser.Name = u"Li"_s;
        CurrentUser.StudentNo = u"2003000"_s;
        CurrentUser.KindCode = std::is_same_v<Dlg, CClearGroupScoresDlg> ? int(UserKind::Super)
                                                                         : int(UserKind::Ordinary);
        CurrentUser.RowKey = 1;
        int deleted = 0;
        double stall = 0;
        for (auto _ : state) {
            state.PauseTiming();
            db->RefillScores();
            state.ResumeTiming();
            QElapsedTimer timer;
            std::unique_ptr<CStallMeter> meter;
            g_pPlatform->DriveDialog([&](QDialog* dialog) {
                auto* dlg = static_cast<Dlg*>(dialog);
                for (int i = 0; i < 1000 && !dialog->windowHandle()->isExposed(); ++i)
                    QCoreApplication::processEvents();
                dlg->OnTimer(1);
                BenchData::WaitFor([dialog] { return !dialog->isVisible(); });
                state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
                stall = std::max(stall, meter->Longest());
                deleted = dlg->m_wndProgress->value();
            });
            timer.start();
            meter = std::make_unique<CStallMeter>();
            {
                Dlg dlg;
                dlg.DoModal();
            }
        }
        if (deleted != expected)
            state.SkipWithError("the clearing did not delete the rows counted");
        state.counters["rows_deleted"] = deleted;
        state.counters["stall_ms"] = stall;
    } catch (const CDaoException& e) {
        state.SkipWithError(e.what());
    }
}

// The login-history clearing command after its question.
void BM_LoginHistoryClearing(benchmark::State& state, CBenchDatabase* db)
{
    try {
        db->Activate();
        double stall = 0;
        int left = -1;
        for (auto _ : state) {
            state.PauseTiming();
            db->RefillLogins();
            state.ResumeTiming();
            CStallMeter meter;
            QElapsedTimer timer;
            timer.start();
            std::unique_ptr<CDaoRecordset> historySet;
            ClearLoginHistory(nullptr, historySet);
            // The pass runs on the session's worker; the wait cursor goes
            // when it is done.
            BenchData::WaitFor([] { return QGuiApplication::overrideCursor() == nullptr; });
            state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
            stall = std::max(stall, meter.Longest());
            left = BenchData::Count(*db->Db(), u"loginhistory"_s);
        }
        if (left != 0)
            state.SkipWithError("rows were left in the login history");
        state.counters["stall_ms"] = stall;
    } catch (const CDaoException& e) {
        state.SkipWithError(e.what());
    }
}

// The floor of a query: the rows it shows selected and every value read.
void BM_ReadFloor(benchmark::State& state, CBenchDatabase* db, QString sql, QVariantList values,
                  int expected)
{
    try {
        db->Activate();
        int rows = 0;
        for (auto _ : state)
            rows = BenchFloor::ReadAll(*db->Db(), sql, values);
        if (rows != expected)
            state.SkipWithError("the floor read a wrong number of rows");
    } catch (const CDaoException& e) {
        state.SkipWithError(e.what());
    }
}

// The floor of a clearing: the same rows deleted by one statement in one
// transaction, on a connection of its own as the program's pass has one (it
// runs off the interface thread, which keeps the windows painting, and a
// connection serves one thread); the table refilled between runs.
void BM_DeleteFloor(benchmark::State& state, CBenchDatabase* db, QString sql, QVariantList values,
                    bool bLogins, int expected)
{
    try {
        db->Activate();
        int deleted = 0;
        for (auto _ : state) {
            state.PauseTiming();
            bLogins ? db->RefillLogins() : db->RefillScores();
            state.ResumeTiming();
            CDaoDatabase own;
            own.Open(db->Db()->Target());
            deleted = BenchFloor::InOneTransaction(own, sql, values);
        }
        if (deleted != expected)
            state.SkipWithError("the floor deleted a wrong number of rows");
    } catch (const CDaoException& e) {
        state.SkipWithError(e.what());
    }
}

// Each figure and its floor are timed several times, each time a
// repetition of its own, and bench/run keeps the median: a slow spell of
// the machine that fell on one of a pair alone would otherwise move their
// ratio. Figures run once each time; a login's lookup, well under a
// millisecond, LookupIterations times.
constexpr int FigureRuns = 3;
constexpr int FloorRuns = 5;
constexpr int LookupRuns = 9;
constexpr int LookupIterations = 20;
// The login dialog's first opening pays for the process's first reading of
// the long table, by an amount that depends on what ran before.
constexpr int LoginDialogRuns = 9;

void RegisterDatabase(CBenchDatabase* db, bool bLarge)
{
    // Built by appending: "/" + std::string trips a false -Wrestrict of GCC 12.
    std::string suffix(1, '/');
    suffix.append(db->Engine().toStdString()).append(1, '/').append(std::to_string(db->Rows()));
    auto timed = [](benchmark::internal::Benchmark* b, int runs = FigureRuns) {
        b->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1)->Repetitions(runs);
    };
    auto read = [&](const char* figure, const QString& sql, const QVariantList& values,
                    int expected, int runs = FloorRuns, int iterations = 1) {
        benchmark::RegisterBenchmark(("Floor/" + std::string(figure) + suffix).c_str(),
                                     BM_ReadFloor, db, sql, values, expected)
            ->Unit(benchmark::kMillisecond)
            ->Iterations(iterations)
            ->Repetitions(runs);
    };
    auto erase = [&](const char* figure, const QString& sql, const QVariantList& values,
                     bool bLogins, int expected) {
        benchmark::RegisterBenchmark(("Floor/" + std::string(figure) + suffix).c_str(),
                                     BM_DeleteFloor, db, sql, values, bLogins, expected)
            ->Unit(benchmark::kMillisecond)
            ->Iterations(1)
            ->Repetitions(FigureRuns);
    };
    const int rows = db->Rows();
    const QVariantList li{u"Li"_s, u"2003000"_s};
    benchmark::RegisterBenchmark(("LoginLookup" + suffix).c_str(), BM_LoginLookup, db)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(LookupIterations)
        ->Repetitions(LookupRuns);
    read("LoginLookup", u"SELECT * FROM \"user\" WHERE name = ?"_s, {u"user%1"_s.arg(rows - 1)}, 1,
         LookupRuns, LookupIterations);
    timed(benchmark::RegisterBenchmark(("GroupScoreQuery" + suffix).c_str(), BM_ScoreQuery, db,
                                       int(ScoreScope::Group)));
    read("GroupScoreQuery", u"SELECT * FROM score"_s, {}, rows);
    timed(benchmark::RegisterBenchmark(("PersonalScoreQuery" + suffix).c_str(), BM_ScoreQuery, db,
                                       int(ScoreScope::Personal)));
    read("PersonalScoreQuery", u"SELECT * FROM score WHERE name = ? AND student_no = ?"_s, li,
         rows / 10);
    if (bLarge) {
        timed(benchmark::RegisterBenchmark(("PersonalClearing" + suffix).c_str(),
                                           BM_Clearing<CClearPersonalScoresDlg>, db, rows / 10));
        erase("PersonalClearing", u"DELETE FROM score WHERE name = ? AND student_no = ?"_s, li,
              false, rows / 10);
        return;
    }
    timed(benchmark::RegisterBenchmark(("LoginDialog" + suffix).c_str(), BM_LoginDialog, db),
          LoginDialogRuns);
    read("LoginDialog", u"SELECT name FROM \"user\""_s, {}, rows, LoginDialogRuns);
    timed(benchmark::RegisterBenchmark(("GroupClearing" + suffix).c_str(),
                                       BM_Clearing<CClearGroupScoresDlg>, db, rows));
    // A WHERE clause: without one SQLite empties the table without visiting
    // its rows, which no clearing of chosen rows can do.
    erase("GroupClearing", u"DELETE FROM score WHERE qe_key >= 0"_s, {}, false, rows);
    timed(benchmark::RegisterBenchmark(("LoginHistoryClearing" + suffix).c_str(),
                                       BM_LoginHistoryClearing, db));
    erase("LoginHistoryClearing", u"DELETE FROM loginhistory WHERE qe_key >= 0"_s, {}, true, rows);
}

} // namespace

int main(int argc, char** argv)
{
    LocalZone::ReadOnce(); // as the program does at its start
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    GlyphBlending::UsePlainBlending(); // as the program does at its start
    benchmark::Initialize(&argc, argv);
    QTemporaryDir workDir;
    if (!workDir.isValid() || !QDir::setCurrent(workDir.path()))
        return 2;

    CScriptedPlatform platform; // the missing database's report, the dialogs
    g_pPlatform = &platform;
    CBenchWindow screen;
    g_pScreen = &screen;
    benchmark::RegisterBenchmark("Keystroke/OnChar+dirty_repaint", BM_KeystrokeWithRepaint)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("Keystroke/OnChar+backing_store", BM_KeystrokeThroughBackingStore,
                                 false)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("Keystroke/large+backing_store", BM_KeystrokeThroughBackingStore,
                                 true)
        ->Unit(benchmark::kMicrosecond);
    // A pupil of a file database, whose practice reports to the live view.
    const QString liveTarget = workDir.filePath(u"live.mdb"_s);
    CDaoDatabase liveDb;
    qint64 livePupil = 0;
    try {
        CreateDatabase(liveTarget, u"admin"_s, u"admin"_s, ProgramDatabaseSteps());
        liveDb.Open(liveTarget);
        AppendRow(&liveDb, u"user"_s,
                  {{0, CDaoFieldValue::FromText(u"live"_s)},
                   {1, CDaoFieldValue::FromText(u"机房"_s)},
                   {2, CDaoFieldValue::FromText(u"2003000"_s)},
                   {3, CDaoFieldValue::FromText(u"pw"_s)},
                   {4, CDaoFieldValue::FromText(u"普通用户"_s)}},
                  &livePupil);
    } catch (const CDaoException& e) {
        std::fprintf(stderr, "qe_bench: %s\n", e.what());
        return 1;
    }
    benchmark::RegisterBenchmark("Keystroke/OnChar+dirty_repaint+reporting",
                                 BM_KeystrokeWhileReporting, &liveDb, livePupil)
        ->Unit(benchmark::kMicrosecond);
    RegisterLessonBenchmarks(screen.View());
    RegisterCoachingBenchmarks();
    benchmark::RegisterBenchmark("FullRepaint", BM_FullRepaint)
        ->Arg(0)
        ->Arg(7)
        ->Arg(13)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("FullRepaint/large", BM_LargeFullRepaint)
        ->Arg(150)
        ->Arg(200)
        ->Unit(benchmark::kMicrosecond);

    // Each engine gets a database of 100,000 rows a table and one of a
    // million; on PostgreSQL they live in databases made for the run.
    std::vector<std::unique_ptr<CBenchDatabase>> databases;
    std::unique_ptr<CProgressDatabase> sqliteProgress;
    std::unique_ptr<CProgressDatabase> postgresProgress;
    QStringList postgresNames;
    const QString cluster = qEnvironmentVariable("QE_BENCH_POSTGRES");
    // A new database of its own on the cluster.
    const auto onCluster = [&](const QString& purpose) {
        const QString name =
            u"qe_bench_%1_%2"_s.arg(purpose).arg(QCoreApplication::applicationPid());
        CDaoDatabase admin;
        admin.Open(cluster);
        admin.Execute(u"CREATE DATABASE %1"_s.arg(name));
        postgresNames.append(name);
        QUrl url(cluster);
        url.setPath(u'/' + name);
        return url.toString();
    };
    try {
        for (const int rows : {SmallRows, LargeRows}) {
            databases.push_back(std::make_unique<CBenchDatabase>(
                u"sqlite"_s, workDir.filePath(u"user-%1.mdb"_s.arg(rows)), rows));
            RegisterDatabase(databases.back().get(), rows == LargeRows);
        }
        sqliteProgress =
            std::make_unique<CProgressDatabase>(u"sqlite"_s, workDir.filePath(u"progress.mdb"_s));
        RegisterProgressBenchmark(sqliteProgress.get(), &platform);
        if (!cluster.isEmpty()) {
            for (const int rows : {SmallRows, LargeRows}) {
                databases.push_back(std::make_unique<CBenchDatabase>(
                    u"postgresql"_s, onCluster(u"scores%1"_s.arg(rows)), rows));
                RegisterDatabase(databases.back().get(), rows == LargeRows);
            }
            postgresProgress =
                std::make_unique<CProgressDatabase>(u"postgresql"_s, onCluster(u"progress"_s));
            RegisterProgressBenchmark(postgresProgress.get(), &platform);
        }
        RegisterClassroomBenchmarks(workDir.path(), cluster, &platform);
    } catch (const CDaoException& e) {
        std::fprintf(stderr, "qe_bench: %s\n", e.what());
        return 1;
    }

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    CSession::Instance().SetDatabaseSource({});
    databases.clear();
    sqliteProgress.reset();
    postgresProgress.reset();
    DropClassroomBenchmarks();
    for (const QString& name : std::as_const(postgresNames)) {
        CDaoDatabase admin;
        admin.Open(cluster);
        admin.Execute(u"DROP DATABASE IF EXISTS %1 WITH (FORCE)"_s.arg(name));
    }
    return 0;
}
