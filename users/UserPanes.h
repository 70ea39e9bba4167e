#pragma once

class IStatusPanes;

// Shows CurrentUser in status panes 1 ("用户姓名:" + name) and 2 ("用户类型:"
// + kind text). The main window calls it whenever the session says the
// user changed.
void ShowUserPanes(IStatusPanes& panes);
