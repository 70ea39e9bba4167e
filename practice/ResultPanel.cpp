#include "practice/ResultPanel.h"

#include <QFontMetrics>
#include <QPushButton>
#include <QRect>

CResultPanel::CResultPanel(QWidget* pParent) : QObject(pParent), m_pParent(pParent) {}

void CResultPanel::Show(QList<CStep> steps, int enterStep, int escStep)
{
    m_steps = std::move(steps);
    m_nEnterStep = enterStep;
    m_nEscStep = escStep;
    while (m_buttons.size() < m_steps.size()) {
        const int index = int(m_buttons.size());
        auto* button = new QPushButton(m_pParent);
        button->setFocusPolicy(Qt::NoFocus);
        connect(button, &QPushButton::clicked, this, [this, index] { Choose(index); });
        m_buttons.append(button);
    }
    for (qsizetype index = 0; index < m_buttons.size(); ++index) {
        QPushButton* button = m_buttons[index];
        const bool used = index < m_steps.size();
        button->setText(used ? m_steps[index].strText : QString());
        button->setEnabled(used && m_steps[index].bEnabled);
        button->setVisible(used && m_steps[index].bVisible);
    }
    m_bShown = true;
}

void CResultPanel::Hide()
{
    m_bShown = false;
    m_steps.clear();
    for (QPushButton* button : std::as_const(m_buttons))
        button->hide();
}

void CResultPanel::Place(const QRect& band, int right, const QFont& font)
{
    if (!m_bShown)
        return;
    const int height = QFontMetrics(font).height() + 6;
    const int top = band.bottom() - height - 2;
    for (qsizetype index = m_steps.size() - 1; index >= 0; --index) {
        QPushButton* button = m_buttons[index];
        button->setFont(font);
        const int width = qMax(button->sizeHint().width(), 4 * height);
        button->setGeometry(right - width, top, width, height);
        if (m_steps[index].bVisible)
            right -= width + height / 3;
    }
}

bool CResultPanel::OnKey(unsigned char byte)
{
    const int step = byte == '\r' ? m_nEnterStep : byte == 0x1b ? m_nEscStep : -1;
    if (!m_bShown || step < 0)
        return false;
    Choose(step);
    return true;
}

QPushButton* CResultPanel::Button(const QString& text) const
{
    if (!m_bShown)
        return nullptr;
    for (qsizetype index = 0; index < m_steps.size(); ++index) {
        if (m_steps[index].strText == text)
            return m_buttons[index];
    }
    return nullptr;
}

void CResultPanel::Choose(int step)
{
    if (step < 0 || step >= m_steps.size() || !m_steps[step].bEnabled)
        return;
    // The action may show other steps or load another screen: it runs on
    // a copy.
    const std::function<void()> action = m_steps[step].action;
    if (action)
        action();
}
