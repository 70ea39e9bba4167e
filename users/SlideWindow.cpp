#include "users/SlideWindow.h"

#include <QWidget>

namespace {
constexpr int SlideStep = 12;
}

void SlideWindow(QWidget* pWnd, int nAxis, int x, int y, int nEnd)
{
    if (!pWnd)
        return;
    if (nAxis == SLIDE_X) {
        for (int nX = x; nX <= nEnd; nX += SlideStep) {
            pWnd->move(nX, y);
            pWnd->show();
        }
    } else if (nAxis == SLIDE_Y) {
        for (int nY = y; nY <= nEnd; nY += SlideStep) {
            pWnd->move(x, nY);
            pWnd->show();
        }
    }
}
