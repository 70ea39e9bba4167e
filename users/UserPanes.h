#pragma once

// Shows CurrentUser in the main window's status panes 1 ("用户姓名:" + name)
// and 2 ("用户类型:" + kind text); nothing when there is no main window.
void ShowCurrentUserPanes();
