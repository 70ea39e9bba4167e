#pragma once

#include <QList>
#include <QObject>
#include <QString>

#include <functional>

class QFont;
class QPushButton;
class QRect;
class QWidget;

// The next steps under a result shown in place: a row of buttons at the
// foot of a band, and the two keys a pupil reaches for, Enter (go on) and
// Esc (go back). The buttons never take the focus: the keys stay the
// screen's.
class CResultPanel : public QObject
{
    Q_OBJECT
public:
    struct CStep
    {
        QString strText;
        std::function<void()> action;
        bool bEnabled = true;
        bool bVisible = true;
    };

    explicit CResultPanel(QWidget* pParent);

    // Shows the steps; enterStep and escStep are what the two keys choose
    // (-1: the key does nothing).
    void Show(QList<CStep> steps, int enterStep, int escStep);
    void Hide();
    bool IsShown() const { return m_bShown; }
    // In a row at the foot of band, right-aligned at right.
    void Place(const QRect& band, int right, const QFont& font);
    // Enter or Esc: true when the key chose a step.
    bool OnKey(unsigned char byte);
    // The shown button with that text, if any.
    QPushButton* Button(const QString& text) const;

private:
    void Choose(int step);

    QWidget* m_pParent;
    QList<CStep> m_steps;
    QList<QPushButton*> m_buttons;
    int m_nEnterStep = -1;
    int m_nEscStep = -1;
    bool m_bShown = false;
};
