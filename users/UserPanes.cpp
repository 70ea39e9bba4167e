#include "users/UserPanes.h"

#include "platform/MainWindow.h"
#include "users/CurrentUser.h"

using namespace Qt::Literals::StringLiterals;

void ShowUserPanes(IStatusPanes& panes)
{
    panes.SetPaneText(1, u"用户姓名:%1"_s.arg(CurrentUser.Name));
    panes.SetPaneText(2, u"用户类型:%1"_s.arg(CurrentUser.KindText));
}
