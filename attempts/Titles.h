#pragma once

#include <QList>
#include <QString>

// Titles (称号) a pupil earns by speed and 键准 together: an attempt earns
// a title when its speed and its 键准 both reach the title's, so that no
// title is bought with mistakes. The ladders are data (res/titles.json).
struct CTitle
{
    QString strName;
    double dSpeed = 0;    // in the kind's unit
    int nKeyAccuracy = 0; // 键准, percent
};

// One attempt as a title weighs it: its speed in the kind's unit and its
// 键准 (-1 where the key presses were not seen: it earns no title).
struct CTitleTry
{
    int nKind = 0;
    double dSpeed = 0;
    int nKeyAccuracy = -1;
};

namespace Titles {

// The ladder of kind, lowest first; empty for a kind without titles.
QList<CTitle> Ladder(int kind);
// The highest rung of kind's ladder one of tries reaches: its index, or -1.
int Reached(int kind, const QList<CTitleTry>& tries);
// "中文:快手。下一个是“高手”:80 字/分,键准 85%。", or the first rung when
// none is reached; empty for a kind without titles.
QString Text(int kind, const QList<CTitleTry>& tries);

} // namespace Titles
