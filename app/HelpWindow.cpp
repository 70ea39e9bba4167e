#include "app/HelpWindow.h"

#include <QUrl>

using namespace Qt::Literals::StringLiterals;

CHelpWindow::CHelpWindow(QWidget* parent) : QTextBrowser(parent)
{
    setWindowFlag(Qt::Window);
    setWindowTitle(u"青禾测试系统 帮助"_s);
    setOpenExternalLinks(false);
    resize(640, 520);
}

void CHelpWindow::ShowFirstTopic()
{
    setSource(QUrl(u"qrc:/help/index.html"_s));
    show();
    raise();
}
