#include "exams/CompetitionBoard.h"

#include "attempts/CompetitionRules.h"
#include "attempts/ExamSitting.h"
#include "attempts/ExamScoring.h"
#include "attempts/Metrics.h"
#include "exams/CompetitionStore.h"
#include "platform/Dao.h"

#include <QHash>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace CompetitionBoard {

namespace {

// A program typing the competition now: its last report is of a sitting
// not ended, and recent.
bool IsTyping(const LiveProgress::CRow& row, const QDateTime& now)
{
    return row.report.nActivity == LiveProgress::Exam && row.report.nEndReason == 0 &&
           row.reportedAt.msecsTo(now) <= LiveProgress::OfflineAfterMs;
}

// live: the program's last report, if any.
QString StateOf(const CExamResultRow& row, const LiveProgress::CRow* live)
{
    switch (row.state) {
    case CExamResultRow::Finished:
        return row.bFlagged ? u"可疑"_s : u"已完成"_s;
    case CExamResultRow::Running:
        // Its program ended the sitting and is storing the result, or is
        // not heard any more.
        return live && live->report.nEndReason != 0 ? u"交卷中"_s : u"离线"_s;
    case CExamResultRow::Interrupted:
        return u"中断"_s;
    case CExamResultRow::NotStarted:
        break;
    }
    return u"未开始"_s;
}

} // namespace

CRead Read(CDaoDatabase& db, qint64 examId)
{
    CRead read;
    const std::optional<CExam> exam = ExamStore::LoadExam(db, examId);
    if (!exam || !exam->competition)
        throw CDaoException(u"这场比赛已经删除了。"_s);
    read.exam = *exam;
    read.now = DatabaseNow(db);
    read.standing = CompetitionStore::LoadStanding(db, read.exam, *read.exam.competition);
    read.live = LiveProgress::LoadExam(db, examId);
    return read;
}

CBoard Make(const CRead& read)
{
    const CExam& exam = read.exam;
    const CCompetitionSettings settings = exam.competition.value_or(CCompetitionSettings());
    CBoard board;
    board.strTitle = u"《%1》比赛(计分:%2)"_s.arg(exam.strTitle,
                                                  CompetitionRules::ScoringName(settings.nScoring));

    QHash<qint64, const LiveProgress::CRow*> reported, typing;
    int screenUnits = 0;
    for (const LiveProgress::CRow& row : read.live) {
        screenUnits = qMax(screenUnits, row.report.nScreenUnits);
        reported.insert(row.nUserKey, &row);
        if (IsTyping(row, read.now))
            typing.insert(row.nUserKey, &row);
    }
    for (const CExamResultRow& row : read.standing)
        screenUnits = qMax(screenUnits, row.nTypedUnits);

    const QDateTime& startsAt = settings.startsAt;
    const QDateTime endsAt = startsAt.addMSecs(qint64(exam.nMinutes) * 60000);
    const bool bStarted = startsAt.isValid() && read.now >= startsAt;
    // A result is taken up to the grace after the time; a teacher who ends
    // it early closes the exam. The ranking is final once no sitting waits
    // for its result (one left longer than that counts as 中断).
    const bool bOver =
        bStarted && (read.now >= endsAt.addMSecs(ExamScoring::LateGraceMs) || !exam.bOpen);
    board.bFinal = bOver && typing.isEmpty() &&
                   std::none_of(read.standing.begin(), read.standing.end(), [](const auto& row) {
                       return row.state == CExamResultRow::Running;
                   });

    // Each pupil's line, and the entry it is ranked by.
    QList<CLine> lines;
    QList<CompetitionRules::CEntry> entries;
    QList<int> ranked; // the lines that have an entry
    int finished = 0;
    for (const CExamResultRow& row : read.standing) {
        CLine& line = lines.emplace_back();
        line.strName = row.strName;
        line.strClass = row.strClass;
        line.strState = StateOf(row, reported.value(row.nUserKey));
        const auto progress = [&](int typed) {
            line.nProgress = screenUnits > 0 ? qBound(0, typed * 100 / screenUnits, 100) : 0;
        };
        if (row.state == CExamResultRow::Finished) {
            ++finished;
            line.bInDoubt = row.bFlagged;
            progress(row.nTypedUnits);
            line.strSpeed =
                Metrics::SpeedText(Metrics::KindSpeed(row.nKind, row.nCorrectUnits, row.nSpeedMs));
            line.strAccuracy = Metrics::AccuracyText(row.nCorrectUnits, row.nTypedUnits);
            entries.append({row.dScore, row.Accuracy(), row.nElapsedMs, row.bFlagged});
            ranked.append(int(lines.size()) - 1);
        } else if (const LiveProgress::CRow* live = typing.value(row.nUserKey)) {
            const LiveProgress::CReport& r = live->report;
            line.strState = u"比赛中"_s;
            progress(r.nTypedUnits);
            line.strSpeed =
                Metrics::SpeedText(Metrics::KindSpeed(exam.nKind, r.nCorrectUnits, r.nElapsedMs));
            line.strAccuracy = Metrics::AccuracyText(r.nCorrectUnits, r.nTypedUnits);
            entries.append({CompetitionRules::Score(settings.nScoring, r.nTypedUnits,
                                                    r.nCorrectUnits, r.nElapsedMs),
                            Metrics::Accuracy(r.nCorrectUnits, r.nTypedUnits), r.nElapsedMs,
                            false});
            ranked.append(int(lines.size()) - 1);
        }
    }
    // While it runs the places are for now; the final ones are the server's.
    const QList<CompetitionRules::CPlace> places = CompetitionRules::Rank(entries, settings.shares);
    for (qsizetype i = 0; i < ranked.size(); ++i) {
        CLine& line = lines[ranked[i]];
        line.nPlace = places[i].nPlace;
        if (board.bFinal && !line.bInDoubt && places[i].nPrize > 0)
            line.strState = CompetitionRules::PrizeName(places[i].nPrize);
    }
    std::stable_sort(lines.begin(), lines.end(), [](const CLine& a, const CLine& b) {
        if (a.nPlace > 0 && b.nPlace > 0)
            return a.nPlace < b.nPlace;
        return a.nPlace > 0 && b.nPlace == 0;
    });
    board.lines = std::move(lines);

    if (!startsAt.isValid())
        board.strStatus = u"等待老师开始比赛……"_s;
    else if (!bStarted)
        board.strStatus = u"比赛 %1 秒后开始"_s.arg((read.now.msecsTo(startsAt) + 999) / 1000);
    else if (board.bFinal)
        board.strStatus = u"最终排名"_s;
    else if (read.now < endsAt && exam.bOpen)
        board.strStatus =
            u"比赛中,剩余 %1"_s.arg(Metrics::ClockText((read.now.msecsTo(endsAt) + 999) / 1000));
    else
        board.strStatus = u"比赛结束,等待成绩……"_s;
    board.strCounts = u"参加 %1 人,已完成 %2 人"_s.arg(read.standing.size()).arg(finished);
    return board;
}

} // namespace CompetitionBoard
