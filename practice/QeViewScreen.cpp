#include "practice/QeView.h"

#include <QResizeEvent>

// The view's seam for the screens of other parts: the view neither knows
// nor draws them; it only gives them its place and the keyboard.

void CQeView::ShowScreen(QWidget* pScreen)
{
    LeaveRunningExam(); // a running exam is stored first
    ShowCredits();
    m_pScreen = pScreen;
    pScreen->setParent(this);
    pScreen->setGeometry(rect());
    pScreen->show();
    pScreen->setFocus();
}

void CQeView::CloseScreen()
{
    if (!m_pScreen)
        return;
    // The screen may be closing from its own key handler: it goes once
    // that has returned.
    QWidget* screen = m_pScreen;
    m_pScreen = nullptr;
    screen->hide();
    screen->deleteLater();
    setFocus();
    update();
}

void CQeView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (m_pScreen)
        m_pScreen->setGeometry(rect());
    m_large.PlaceResult();
}
