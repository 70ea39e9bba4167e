#pragma once

#include <QProgressBar>

// The progress bar of the dialogs. An empty range (0 .. 0) shows an empty
// bar, as a Windows progress bar does, where a QProgressBar would show its
// busy stripe.
class CProgressCtrl : public QProgressBar
{
    Q_OBJECT
public:
    using QProgressBar::QProgressBar;

protected:
    void paintEvent(QPaintEvent* event) override;
};
