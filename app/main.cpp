#include "app/QeApp.h"
#include "platform/Dao.h"
#include "users/DatabaseSetup.h"

#include <QApplication>

using namespace Qt::Literals::StringLiterals;

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    const QStringList arguments = QApplication::arguments();
    if (arguments.contains(u"--create-database"_s))
        return RunCreateDatabaseCommand(arguments);
    const qsizetype database = arguments.indexOf(u"--database"_s);
    if (database > 0 && database + 1 < arguments.size())
        CDaoDatabase::SetTarget(arguments.at(database + 1));

    CQeApp theApp;
    if (!theApp.InitInstance(arguments))
        return 1;
    return QApplication::exec();
}
