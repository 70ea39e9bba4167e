#include "app/QeApp.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    CQeApp theApp;
    if (!theApp.InitInstance(QApplication::arguments()))
        return 1;
    return QApplication::exec();
}
