#pragma once

#include "platform/Dao.h"

#include <QString>

class CScriptedPlatform;

// 我的练习记录 over 10,000 attempts of one pupil among 1,000,000 attempts
// in all (each with its score row and five mistyped cells), on one engine.
class CProgressDatabase
{
public:
    static constexpr int AttemptCount = 1000000;
    static constexpr int PupilAttempts = AttemptCount / 100;
    static constexpr qint64 PupilKey = 1;

    CProgressDatabase(QString engine, QString target);

    const QString& Engine() const { return m_strEngine; }
    // Made and filled on first use, then registered as the active database.
    void Activate();

private:
    void Fill();

    QString m_strEngine;
    QString m_strTarget;
    CDaoDatabase m_db;
};

// Registers CalendarRead/<engine> too: 练习日历's read of the pupil's year of
// attempts, beside the same columns read bare. And WeaknessRead/<engine>: 我的弱项's figures of the pupil, whose
// latest 1,000 attempts kept 26 keys each, beside the key rows' read.
// Registers ProgressOpen/<engine>: from the window's construction until it
// is on screen, painted, with its list, chart and mistakes filled; it and
// its floor are each run five times as repetitions, the median kept.
// The dialog is driven through platform, the one scripted platform of the run.
void RegisterProgressBenchmark(CProgressDatabase* db, CScriptedPlatform* platform);
