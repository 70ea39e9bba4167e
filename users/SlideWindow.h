#pragma once

class QWidget;

// Axes of SlideWindow.
enum : int {
    SLIDE_X = 120,
    SLIDE_Y = 121,
};

// Moves a top-level window in 12-pixel steps from (x, y) along one axis
// while the moving coordinate does not pass end, showing it at each step;
// its size and stacking order stay. Nothing moves when the start is already
// past end or the axis is neither SLIDE_X nor SLIDE_Y.
void SlideWindow(QWidget* pWnd, int nAxis, int x, int y, int nEnd);
