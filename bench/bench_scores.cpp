// Times the score query and the group clearing over a large score table on
// SQLite: qe_bench_scores [rows] (100000 unless given).

#include "bench/BenchData.h"
#include "platform/Dao.h"
#include "platform/DaoTransaction.h"
#include "platform/ListCtrl.h"
#include "platform/ScriptedPlatform.h"
#include "scores/ClearGroupScoresDlg.h"
#include "scores/ScoreQueryDlg.h"
#include "scores/ScoreQueryScope.h"
#include "users/CurrentUser.h"
#include "users/Database.h"
#include "users/DatabaseSetup.h"
#include "users/Session.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QWindow>

#include <cstdio>

using namespace Qt::Literals::StringLiterals;

namespace {
void Fill(CDaoDatabase* db, int rows)
{
    CDaoTransaction transaction(*db, CDaoTransaction::OnThrow::KeepDone);
    for (int i = 0; i < rows; ++i) {
        const FieldList fields = {
            {0, CDaoFieldValue::FromText(i % 10 == 0 ? u"Li"_s : u"user%1"_s.arg(i % 997))},
            {1, CDaoFieldValue::FromText(QString::number(i % 10 == 0 ? 0 : i))},
            {3, CDaoFieldValue::FromText(u"英文测试"_s)},
            {5, CDaoFieldValue::FromText(QString::number(i % 7))},
            {8, CDaoFieldValue::FromText(QString::number(i % 300))},
            {9, CDaoFieldValue::FromInt16(qint16(i % 101))},
        };
        AppendRow(db, u"score"_s, fields);
    }
    transaction.Commit();
}

double TimeQuery(CScriptedPlatform& platform, int scope, int* listed)
{
    platform.DriveDialog([listed](QDialog* dialog) {
        auto* dlg = static_cast<CScoreQueryDlg*>(dialog);
        *listed = dlg->m_listScore->GetItemCount();
        dlg->ClickButton(1);
    });
    QElapsedTimer timer;
    timer.start();
    ScoreQueryScope = scope;
    CScoreQueryDlg dlg;
    dlg.DoModal();
    return timer.nsecsElapsed() / 1e6;
}
} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int rows = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 100000;
    QTemporaryDir workDir;
    if (!workDir.isValid() || !QDir::setCurrent(workDir.path()))
        return 2;

    try {
        const QString target = workDir.filePath(u"user.mdb"_s);
        CreateDatabase(target, u"admin"_s, u"admin"_s, {});
        CDaoDatabase db;
        db.Open(target);
        CSession::Instance().SetDatabaseSource([&db] { return &db; });
        CScriptedPlatform platform;
        // Li, logged in as an ordinary user, with student number 0.
        CurrentUser.Name = u"Li"_s;
        CurrentUser.StudentNo = u"0"_s;
        CurrentUser.KindCode = UserKind::Ordinary;
        CurrentUser.RowKey = 1;

        QElapsedTimer timer;
        timer.start();
        Fill(&db, rows);
        std::printf("fill %d rows: %.0f ms\n", rows, timer.nsecsElapsed() / 1e6);

        // The plain scan under the query: open plus reading the seven fields.
        timer.restart();
        {
            CDaoRecordset rs(&db);
            OpenScan(rs, Sql::ScanScores);
            const double openMs = timer.nsecsElapsed() / 1e6;
            int read = 0;
            for (; !rs.IsEOF(); rs.MoveNext(), ++read)
                for (int field : {0, 1, 3, 4, 5, 6, 7, 8, 9})
                    VariantToText(rs.GetFieldValue(field));
            std::printf("scan alone: open %.0f ms, %d rows read in %.0f ms\n", openMs, read,
                        timer.nsecsElapsed() / 1e6);
        }

        int listed = 0;
        double ms = TimeQuery(platform, ScoreScope::Group, &listed);
        std::printf("group query: %d rows listed in %.0f ms\n", listed, ms);
        ms = TimeQuery(platform, ScoreScope::Personal, &listed);
        std::printf("personal query: %d rows listed in %.0f ms\n", listed, ms);

        int maximum = 0;
        int value = 0;
        platform.DriveDialog([&](QDialog* dialog) {
            auto* dlg = static_cast<CClearGroupScoresDlg*>(dialog);
            maximum = dlg->m_wndProgress->maximum();
            // On screen, as when the tick comes, so that the bar's repaints count.
            for (int i = 0; i < 1000 && !dialog->windowHandle()->isExposed(); ++i)
                QCoreApplication::processEvents();
            QElapsedTimer tick;
            tick.start();
            dlg->OnTimer(1);
            BenchData::WaitFor([dialog] { return !dialog->isVisible(); });
            std::printf("group clearing, deleting pass: %.0f ms\n", tick.nsecsElapsed() / 1e6);
            value = dlg->m_wndProgress->value();
        });
        timer.restart();
        {
            CClearGroupScoresDlg dlg;
            dlg.DoModal();
        }
        std::printf("group clearing, whole dialog: %.0f ms (bar 0..%d, final value %d)\n",
                    timer.nsecsElapsed() / 1e6, maximum, value);
        CSession::Instance().SetDatabaseSource([] { return static_cast<CDaoDatabase*>(nullptr); });
    } catch (const CDaoException& e) {
        std::fprintf(stderr, "database error: %s\n", e.what());
        return 1;
    }
    return 0;
}
