#pragma once

#include "practice/ResultPanel.h"

#include <QColor>
#include <QStringList>
#include <QWidget>

// A result shown in place on the screen it ends, over its lower part: a
// heading in large type (the stars of a lesson), the lines of figures and
// advice, and the next steps in a row of buttons under them (Enter and Esc
// choose, as CResultPanel's). It never takes the focus: the screen keeps
// the keys and passes Enter and Esc on.
class CResultSheet : public QWidget
{
    Q_OBJECT
public:
    explicit CResultSheet(QWidget* parent);

    void Show(const QString& heading, const QColor& headingColour, const QStringList& lines,
              QList<CResultPanel::CStep> steps, int enterStep, int escStep);
    void Close();
    bool IsShown() const { return m_panel.IsShown(); }
    // Enter or Esc: true when the key chose a step.
    bool OnKey(unsigned char byte) { return m_panel.OnKey(byte); }

    const QString& Heading() const { return m_strHeading; }
    const QStringList& Lines() const { return m_lines; }
    QPushButton* Button(const QString& text) const { return m_panel.Button(text); }

protected:
    // Follows the screen's size.
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // The lines' font and the card for the sheet's size and lines, and the
    // buttons at the card's foot: worked out when these change, not on
    // every paint.
    QFont LineFont() const;
    void Place();

    QString m_strHeading;
    QColor m_headingColour;
    QStringList m_lines;
    QFont m_font;
    QRect m_card;
    CResultPanel m_panel;
};
