#include "users/SlidePlacement.h"

#include "users/SlideWindow.h"

#include <QScreen>
#include <QWidget>

void CSlidePlacement::Capture(const QWidget* window)
{
    m_rectNormal = QRect(window->pos(), window->size());
    if (const QScreen* screen = window->screen())
        m_rectWork = screen->availableGeometry();
}

void CSlidePlacement::SlideIn(QWidget* window) const
{
    SlideWindow(window, SLIDE_X, 0, m_rectNormal.top(), m_rectNormal.left());
}

void CSlidePlacement::SlideOut(QWidget* window) const
{
    // The right edge as the work area gives it: one past the last pixel.
    SlideWindow(window, SLIDE_X, m_rectNormal.left(), m_rectNormal.top(),
                m_rectWork.left() + m_rectWork.width());
}
