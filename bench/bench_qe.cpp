// Inside-the-program timings with Google Benchmark, offscreen:
// a keystroke through CQeView::OnChar with the repaint of the cells it
// changed, a full repaint of the practice screen, and on SQLite (and on
// PostgreSQL when QE_BENCH_POSTGRES names a cluster) the login scan, the
// personal and the group score query and the group clearing over 100,000 rows,
// and 我的练习记录 over 1,000,000 attempts (bench_progress.cpp).
#include "app/MainFrame.h"
#include "bench/BenchClassroom.h"
#include "bench/BenchProgress.h"
#include "platform/Dao.h"
#include "platform/ListCtrl.h"
#include "platform/MainWindow.h"
#include "platform/ScriptedPlatform.h"
#include "practice/PracticeState.h"
#include "practice/QeDoc.h"
#include "practice/QeView.h"
#include "scores/ClearGroupScoresDlg.h"
#include "scores/ScoreQueryDlg.h"
#include "scores/ScoreQueryScope.h"
#include "users/CurrentUser.h"
#include "users/Database.h"
#include "users/DatabaseSetup.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QUrl>
#include <QWindow>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int RowCount = 100000;

// The main frame with its document and view, as start-up makes them, on an
// English practice screen.
class CPracticeScreen
{
public:
    CPracticeScreen()
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
    ~CPracticeScreen() { AfxSetMainWnd(nullptr); }

    CQeView* View() const { return m_view; }

    // A fresh practice, started with the space bar.
    void Start()
    {
        m_view->OnPracticeEnglish();
        m_view->OnChar(' ');
    }
    // The next character of the practice text, typed correctly.
    void TypeNext() { m_view->OnChar(static_cast<unsigned char>(NextByte())); }
    char NextByte() const { return m_doc.m_enText[CurrentRow][CurrentColumn]; }

private:
    CQeDoc m_doc;
    std::unique_ptr<CMainFrame> m_frame;
    CQeView* m_view = nullptr;
};

CPracticeScreen* g_pScreen = nullptr;
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

void BM_KeystrokeWithRepaint(benchmark::State& state)
{
    CPracticeScreen& screen = *g_pScreen;
    screen.Start();
    QImage image(screen.View()->size(), QImage::Format_RGB32);
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
        ++typed;
    }
    benchmark::DoNotOptimize(image.constBits());
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
void BM_KeystrokeThroughBackingStore(benchmark::State& state)
{
    CPracticeScreen& screen = *g_pScreen;
    screen.Start();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
    CPaintCounter counter;
    screen.View()->installEventFilter(&counter);
    int typed = 0;
    int keys = 0;
    for (auto _ : state) {
        if (typed == KeysPerPractice) {
            state.PauseTiming();
            screen.Start();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
            counter.m_nPaints -= 1;
            typed = 0;
            state.ResumeTiming();
        }
        screen.TypeNext();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
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
    CPracticeScreen& screen = *g_pScreen;
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

// One database with 100,000 user rows and (when asked) 100,000 score rows.
class CBenchDatabase
{
public:
    CBenchDatabase(QString engine, QString target)
        : m_strEngine(std::move(engine)), m_strTarget(std::move(target))
    {
    }

    const QString& Engine() const { return m_strEngine; }
    CDaoDatabase* Db() { return &m_db; }

    // Made and filled with the users on first use, so that a run filtered
    // to other benchmarks does not wait for it.
    void Activate()
    {
        if (!m_db.IsOpen())
            Create();
        CDaoDatabase* db = &m_db;
        SetActiveDatabaseSource([db] { return db; });
    }

    // Fills the score table when a clearing has emptied it. Every tenth row
    // belongs to the user of the personal query.
    void EnsureScores()
    {
        if (m_bScoresFull)
            return;
        CDaoTransaction transaction(&m_db);
        for (int i = 0; i < RowCount; ++i) {
            const bool bLi = i % 10 == 0;
            AppendRow(&m_db, u"score"_s,
                      {{0, CDaoFieldValue::FromText(bLi ? u"Li"_s : u"user%1"_s.arg(i))},
                       {1, CDaoFieldValue::FromText(QString::number(bLi ? 2003000 : 2003000 + i))},
                       {3, CDaoFieldValue::FromText(u"英文测试"_s)},
                       {5, CDaoFieldValue::FromText(QString::number(i % 97))},
                       {8, CDaoFieldValue::FromText(QString::number(60 + i % 300))},
                       {9, CDaoFieldValue::FromInt16(qint16(i % 101))}});
        }
        transaction.Commit();
        m_bScoresFull = true;
    }
    void ScoresCleared() { m_bScoresFull = false; }

private:
    void Create()
    {
        CreateDatabase(m_strTarget, u"admin"_s, u"admin"_s);
        m_db.Open(m_strTarget);
        CDaoTransaction transaction(&m_db);
        for (int i = 0; i < RowCount; ++i) {
            AppendRow(&m_db, u"user"_s,
                      {{0, CDaoFieldValue::FromText(u"user%1"_s.arg(i))},
                       {1, CDaoFieldValue::FromText(u"class%1"_s.arg(i % 40))},
                       {2, CDaoFieldValue::FromText(QString::number(2003000 + i))},
                       {3, CDaoFieldValue::FromText(u"pw%1"_s.arg(i))},
                       {4, CDaoFieldValue::FromText(u"普通用户"_s)}});
        }
        transaction.Commit();
    }

    QString m_strEngine;
    QString m_strTarget;
    CDaoDatabase m_db;
    bool m_bScoresFull = false;
};

// A database error ends a benchmark as skipped, with the engine's message.
void BM_LoginScan(benchmark::State& state, CBenchDatabase* db)
{
    try {
        db->Activate();
        for (auto _ : state) {
            CDaoRecordset rs(db->Db());
            if (!OpenScan(rs, Sql::ScanUsers) || SeekNext(rs, 0, u"nobody"_s)) {
                state.SkipWithError("the scan failed or found a missing name");
                break;
            }
        }
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
        db->EnsureScores();
        CScriptedPlatform& platform = *g_pPlatform;
        // Li, logged in as an ordinary user: the personal rows are Li's with
        // Li's student number.
        CurrentUser.Name = u"Li"_s;
        CurrentUser.StudentNo = u"2003000"_s;
        CurrentUser.KindCode = UserKind::Ordinary;
        CurrentUser.RowKey = 1;
        int listed = 0;
        for (auto _ : state) {
            QElapsedTimer timer;
            platform.DriveDialog([&](QDialog* dialog) {
                for (int i = 0; i < 1000 && !dialog->windowHandle()->isExposed(); ++i)
                    QCoreApplication::processEvents();
                dialog->repaint();
                state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
                listed = static_cast<CScoreQueryDlg*>(dialog)->m_listScore->GetItemCount();
                dialog->reject();
            });
            timer.start();
            ScoreQueryScope = scope;
            CScoreQueryDlg dlg;
            dlg.DoModal();
        }
        const int expected = scope == ScoreScope::Personal ? RowCount / 10 : RowCount;
        if (listed != expected)
            state.SkipWithError("the query listed a wrong number of rows");
        state.counters["rows_listed"] = listed;
    } catch (const CDaoException& e) {
        state.SkipWithError(e.what());
    }
}

// The whole clearing dialog: its scan for the count, then the deleting pass
// with the progress bar (the dialog's timer tick comes at once).
void BM_GroupClearing(benchmark::State& state, CBenchDatabase* db)
{
    try {
        db->Activate();
        CScriptedPlatform& platform = *g_pPlatform;
        int deleted = 0;
        for (auto _ : state) {
            state.PauseTiming();
            db->EnsureScores();
            state.ResumeTiming();
            QElapsedTimer timer;
            platform.DriveDialog([&](QDialog* dialog) {
                auto* dlg = static_cast<CClearGroupScoresDlg*>(dialog);
                for (int i = 0; i < 1000 && !dialog->windowHandle()->isExposed(); ++i)
                    QCoreApplication::processEvents();
                dlg->OnTimer(1);
                state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
                deleted = dlg->m_wndProgress->value();
            });
            timer.start();
            {
                CClearGroupScoresDlg dlg;
                dlg.DoModal();
            }
            db->ScoresCleared();
        }
        if (deleted != RowCount)
            state.SkipWithError("the clearing did not delete every row");
        state.counters["rows_deleted"] = deleted;
    } catch (const CDaoException& e) {
        state.SkipWithError(e.what());
    }
}

void RegisterDatabase(CBenchDatabase* db, int clearings)
{
    const std::string engine = db->Engine().toStdString();
    benchmark::RegisterBenchmark(("LoginScan/" + engine).c_str(), BM_LoginScan, db)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(5);
    benchmark::RegisterBenchmark(("PersonalScoreQuery/" + engine).c_str(), BM_ScoreQuery, db,
                                 int(ScoreScope::Personal))
        ->Unit(benchmark::kMillisecond)
        ->UseManualTime()
        ->Iterations(3);
    benchmark::RegisterBenchmark(("GroupScoreQuery/" + engine).c_str(), BM_ScoreQuery, db,
                                 int(ScoreScope::Group))
        ->Unit(benchmark::kMillisecond)
        ->UseManualTime()
        ->Iterations(3);
    benchmark::RegisterBenchmark(("GroupClearing/" + engine).c_str(), BM_GroupClearing, db)
        ->Unit(benchmark::kMillisecond)
        ->UseManualTime()
        ->Iterations(clearings);
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    QTemporaryDir workDir;
    if (!workDir.isValid() || !QDir::setCurrent(workDir.path()))
        return 2;

    CScriptedPlatform platform; // the missing database's report, the dialogs
    g_pPlatform = &platform;
    CPracticeScreen screen;
    g_pScreen = &screen;
    benchmark::RegisterBenchmark("Keystroke/OnChar+dirty_repaint", BM_KeystrokeWithRepaint)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("Keystroke/OnChar+backing_store", BM_KeystrokeThroughBackingStore)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("FullRepaint", BM_FullRepaint)
        ->Arg(0)
        ->Arg(7)
        ->Arg(13)
        ->Unit(benchmark::kMicrosecond);

    std::unique_ptr<CBenchDatabase> sqlite;
    std::unique_ptr<CBenchDatabase> postgres;
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
        sqlite = std::make_unique<CBenchDatabase>(u"sqlite"_s, workDir.filePath(u"user.mdb"_s));
        RegisterDatabase(sqlite.get(), 3);
        sqliteProgress =
            std::make_unique<CProgressDatabase>(u"sqlite"_s, workDir.filePath(u"progress.mdb"_s));
        RegisterProgressBenchmark(sqliteProgress.get(), &platform);
        if (!cluster.isEmpty()) {
            postgres = std::make_unique<CBenchDatabase>(u"postgresql"_s, onCluster(u"scores"_s));
            RegisterDatabase(postgres.get(), 1);
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
    SetActiveDatabaseSource({});
    sqlite.reset();
    postgres.reset();
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
