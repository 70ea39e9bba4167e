#pragma once

#include "attempts/LiveProgress.h"
#include "exams/ExamStore.h"

#include <QDateTime>
#include <QList>
#include <QString>

class CDaoDatabase;

// 比赛大屏: the ranking of a competition as the projector shows it. While
// it runs, each pupil is ranked by the competition's rule on what the
// program last reported, or on the result the server scored once it is
// stored; when the time is over and every result is in, the final ranking
// is the server's alone, with its prizes.
namespace CompetitionBoard {

// What one refresh reads: the exam again (its start may have come), the
// database's clock, the results and the programs' reports.
struct CRead
{
    CExam exam;
    QDateTime now;
    QList<CExamResultRow> standing;
    QList<LiveProgress::CRow> live;
};
// Throws CDaoException, also when the competition is gone.
CRead Read(CDaoDatabase& db, qint64 examId);

struct CLine
{
    int nPlace = 0; // 0: not ranked (no result and not typing)
    QString strName;
    QString strClass;
    int nProgress = 0; // percent of the screen typed
    QString strSpeed;  // "25.3 字/分", empty without figures
    QString strAccuracy;
    // 比赛中, 交卷中, 已完成, 可疑, 未开始, 中断, 离线; at the end the prize.
    QString strState;
    bool bInDoubt = false;
};

struct CBoard
{
    QString strTitle;  // the competition and its scoring rule
    QString strStatus; // where it stands: waiting, counting down, time left, final
    QString strCounts; // "参加 40 人,已完成 12 人"
    bool bFinal = false;
    QList<CLine> lines; // by place, then those not ranked in the results' order
};

CBoard Make(const CRead& read);

} // namespace CompetitionBoard
