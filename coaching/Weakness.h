#pragma once

#include "attempts/CommitFigures.h"
#include "attempts/KeyDetail.h"

#include <QDateTime>
#include <QList>
#include <QString>

class CDaoDatabase;

// 我的弱项 and 班级弱项: the detail of the keys behind the attempts of one
// pupil or of a class since a day, summed.

// Whose attempts: one pupil (nUserKey) or, without one, a class.
struct CWeaknessFilter
{
    qint64 nUserKey = 0;
    QString strClass;
    QDateTime since; // null: all of them
    int nLatest = 0; // ReadKeys: a pupil's latest attempts or lessons with keys; 0 all
};

// A text committed right, and what it cost.
struct CCostlyText
{
    QString strText;
    int nTimes = 0;
    double dKeysPerChar = 0; // over the commits whose keys are known; 0 none
    int nMsPerChar = 0;
    QString strKeys; // keys pressed for it, one of the times they were known
    int nByDigit = 0;
    // The keys its times could have saved against 理论码长 of the input
    // method its keys show (ShortestKeys::MethodOf); 0 when none is known.
    int nSavable = 0;
};

struct CWeakness
{
    QList<CKeyFigures> keys;      // single keys, in key order
    QList<CKeyFigures> slowPairs; // the slowest letter pairs typed often enough
    QList<CCostlyText> costly;    // the costliest texts, most keys to save first
    int nCommits = 0;             // commits whose keys are known
    int nByDigit = 0;             // of them, picked by a digit
    CTypingFigures typing;        // 回改, 键准, 选重, 打词率 of the Chinese practices

    bool IsEmpty() const { return keys.isEmpty() && costly.isEmpty() && nCommits == 0; }
};

namespace Weakness {

constexpr int MostPairs = 10;
constexpr int MostCostly = 10;
// A pair timed fewer times than this says nothing; a text committed once
// already shows what it cost.
constexpr int LeastTimes = 3;

// Throws CDaoException.
CWeakness Read(CDaoDatabase& db, const CWeaknessFilter& filter);

// The key rows of the filter's attempts and lessons, summed per key and
// pair, in key order: a key's time is the medians of its rows, each weighed
// by the presses it was taken over. What 我的弱项, 班级弱项 and 智能练习
// read. Throws CDaoException.
QList<CKeyFigures> ReadKeys(CDaoDatabase& db, const CWeaknessFilter& filter);

// A cheaper way to type a costly text, in words; empty when none is known.
QString CheaperWay(const CCostlyText& text);

} // namespace Weakness
