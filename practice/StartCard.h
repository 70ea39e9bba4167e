#pragma once

#include <QFont>
#include <QRect>
#include <QString>
#include <QStringList>

class QPainter;

// The card every typing screen shows before its first key: what is about
// to start, line by line, then what to press, in type twice as large.
// Esc on it goes back and nothing is kept; the screens say so in its lines.
struct CStartCard
{
    QStringList lines;
    QString strPrompt;

    // Centred on area, in font (its pixel size is the lines'), or in a
    // smaller one where the card would not fit in area.
    void Draw(QPainter& painter, const QRect& area, const QFont& font) const;
};
