#pragma once

#include <QRect>

class QWidget;

// The placement the super-user dialogs slide by: the dialog's normal
// rectangle and the screen's work area, both taken when it initialises.
class CSlidePlacement
{
public:
    void Capture(const QWidget* window);
    // In from the left screen edge to the normal left.
    void SlideIn(QWidget* window) const;
    // From the normal place out to the right edge of the work area.
    void SlideOut(QWidget* window) const;

    QRect NormalRect() const { return m_rectNormal; }
    QRect WorkArea() const { return m_rectWork; }

private:
    QRect m_rectNormal;
    QRect m_rectWork;
};
