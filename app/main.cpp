#include "app/ProgramDatabaseSteps.h"
#include "app/QeApp.h"
#include "classroom/ImportCommand.h"
#include "platform/Dao.h"
#include "platform/DaoOffThread.h"
#include "platform/LocalZone.h"
#include "platform/QtPlatform.h"
#include "users/DatabaseSetup.h"
#include "users/Session.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <cstring>

using namespace Qt::Literals::StringLiterals;

namespace {

// How long the program waits at its end for the database's last jobs.
constexpr int ExitWaitMs = 1000;

bool HasArgument(int argc, char** argv, const char* name)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], name) == 0)
            return true;
    }
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    LocalZone::ReadOnce();
    // The administrator's commands need no display.
    if (HasArgument(argc, argv, "--create-database")) {
        QCoreApplication application(argc, argv);
        return RunCreateDatabaseCommand(QCoreApplication::arguments(), ProgramDatabaseSteps());
    }
    if (HasArgument(argc, argv, "--upgrade-database")) {
        QCoreApplication application(argc, argv);
        return RunUpgradeDatabaseCommand(QCoreApplication::arguments(), ProgramDatabaseSteps());
    }
    if (HasArgument(argc, argv, "--lab-line")) {
        QCoreApplication application(argc, argv);
        return RunLabLineCommand(QCoreApplication::arguments());
    }
    if (HasArgument(argc, argv, "--import-class-list")) {
        QCoreApplication application(argc, argv);
        return RunImportClassListCommand(QCoreApplication::arguments());
    }

    QApplication application(argc, argv);
    // The desktop's message boxes, dialogs, choosers and printer.
    CQtPlatform desktop;
    SetPlatform(&desktop);
    const QStringList arguments = QApplication::arguments();
    const qsizetype database = arguments.indexOf(u"--database"_s);
    if (database > 0 && database + 1 < arguments.size())
        CDaoDatabase::SetTarget(arguments.at(database + 1));

    int status = 1;
    {
        CQeApp theApp;
        if (theApp.InitInstance(arguments))
            status = QApplication::exec();
    }
    // What the database still has to take (the live view's last row) gets a
    // moment; a server that does not answer keeps no program waiting.
    CSession::Instance().Worker().Finish(ExitWaitMs);
    if (OffThread::Abandoned() > 0) {
        // Threads still wait for that server inside the connections that
        // the ordinary end would close under them.
        std::fflush(nullptr);
        std::_Exit(status);
    }
    SetPlatform(nullptr);
    return status;
}
