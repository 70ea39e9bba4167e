// One hostile file through the teacher's import, as the teacher meets it:
// the file chosen, read and checked, its refusal or the preview. Prints the
// longest stall of the interface thread (the longest time its event loop
// could not run), the process's peak memory and the message shown. One file
// a process, so that the peak is that file's:
//   qe_bench_import wide-sheet|inflating-strings|long-names|seven-letters|outside-gbk
#include "classroom/ImportPreviewDlg.h"
#include "platform/Dao.h"
#include "platform/ScriptedPlatform.h"
#include "tests/HostileFiles.h"
#include "texts/TextRules.h"
#include "users/Database.h"
#include "users/DatabaseSetup.h"
#include "users/Session.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>

using namespace Qt::Literals::StringLiterals;

namespace {

double PeakMiB()
{
    QFile status(u"/proc/self/status"_s);
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024;
    }
    return -1;
}

// The longest gap between two turns of the event loop while it is watched.
class CStallWatch
{
public:
    CStallWatch()
    {
        m_timer.setInterval(2);
        QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] { Tick(); });
        m_clock.start();
        m_timer.start();
    }
    void Tick()
    {
        const qint64 now = m_clock.elapsed();
        m_nLongest = std::max(m_nLongest, now - m_nLast);
        m_nLast = now;
    }
    qint64 Longest()
    {
        Tick();
        return m_nLongest;
    }

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_nLast = 0;
    qint64 m_nLongest = 0;
};

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString kind = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    CScriptedPlatform platform;

    if (kind == u"outside-gbk"_s) {
        const QString body = HostileFiles::DistinctOutsideGbk();
        const double base = PeakMiB();
        QElapsedTimer timer;
        timer.start();
        const QStringList refused = TextRules::Refused(body, 111);
        std::printf("import %s stall_ms=%lld peak_mib=%.1f base_mib=%.1f refused=%lld\n", argv[1],
                    timer.elapsed(), PeakMiB(), base, qlonglong(refused.size()));
        return 0;
    }

    QByteArray bytes;
    QString name;
    if (kind == u"wide-sheet"_s)
        bytes = HostileFiles::WideSheet(), name = u"wide.xlsx"_s;
    else if (kind == u"inflating-strings"_s)
        bytes = HostileFiles::InflatingStrings(), name = u"strings.xlsx"_s;
    else if (kind == u"seven-letters"_s)
        bytes = HostileFiles::SevenLetterColumn(), name = u"seven.xlsx"_s;
    else if (kind == u"long-names"_s)
        bytes = HostileFiles::LongNamesCsv(), name = u"names.csv"_s;
    if (bytes.isEmpty()) {
        std::fprintf(stderr, "qe_bench_import: unknown kind or no file made\n");
        return 2;
    }
    QFile file(name);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return 2;
    file.close();
    bytes.clear();
    bytes.squeeze();

    const QString target = QDir::current().filePath(u"user.mdb"_s);
    CreateDatabase(target, u"admin"_s, u"admin"_s, {});
    CDaoDatabase db;
    db.Open(target);
    CSession::Instance().SetDatabaseSource([&db] { return &db; });

    platform.AnswerFiles({QDir::current().filePath(name)});
    QString shown;
    // Whatever dialog the import runs: one that works on its own is left
    // to finish; the preview is noted and closed.
    for (int i = 0; i < 4; ++i) {
        platform.DriveDialog([&](QDialog* dialog) {
            if (std::string_view(dialog->metaObject()->className()) == "CImportPreviewDlg") {
                // Shown and painted as on a screen: long cells cost there.
                shown = u"preview"_s;
                dialog->show();
                QCoreApplication::processEvents();
                dialog->repaint();
                dialog->reject();
                return;
            }
            QEventLoop loop;
            QObject::connect(dialog, &QDialog::finished, &loop, &QEventLoop::quit);
            if (dialog->isVisible())
                loop.exec();
        });
    }
    const double base = PeakMiB();
    CStallWatch watch;
    QElapsedTimer timer;
    timer.start();
    ImportClassList(CSession::Instance(), nullptr);
    const qint64 elapsed = timer.elapsed();
    const qint64 stall = watch.Longest();
    if (!platform.boxes.isEmpty())
        shown = platform.boxes.first().text;
    std::printf("import %s stall_ms=%lld total_ms=%lld peak_mib=%.1f base_mib=%.1f file_kib=%lld "
                "message=%s\n",
                argv[1], stall, elapsed, PeakMiB(), base, qlonglong(QFile(name).size() / 1024),
                qPrintable(shown.simplified()));
    return 0;
}
