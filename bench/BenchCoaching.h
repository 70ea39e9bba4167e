#pragma once

#include "attempts/CommitFigures.h"
#include "attempts/KeyDetail.h"
#include "attempts/PracticeKind.h"
#include "coaching/SmartDrill.h"
#include "practice/AttemptRecorder.h"
#include "practice/PracticeState.h"
#include "practice/QeDoc.h"
#include "users/DatabaseSteps.h"

#include <QRandomGenerator>

#include <benchmark/benchmark.h>

// The coaching's own costs: what keeping the detail adds to a keystroke,
// analysing a whole screen's detail, and making a 智能练习 screen.

// One character of an English screen through the recorder, as the view
// passes each typed character before the session takes it.
inline void BM_DetailPerKey(benchmark::State& state)
{
    CQeDoc doc{CDatabaseSteps{}};
    for (int r = 0; r < CQeDoc::Rows; ++r)
        for (int c = 0; c < CQeDoc::Columns; ++c)
            doc.m_enText[r][c] = char('a' + (r * CQeDoc::Columns + c) % 26);
    CAttemptRecorder recorder;
    recorder.OnLoad(112, QStringLiteral("english.txt"));
    recorder.OnStart();
    const QString typed[] = {QStringLiteral("a"), QStringLiteral("b")};
    qint64 ms = 0;
    int cell = 0;
    for (auto _ : state) {
        CurrentRow = cell / CQeDoc::Columns % CQeDoc::Rows;
        CurrentColumn = cell % CQeDoc::Columns;
        recorder.OnTyped(doc, typed[cell & 1], ms += 180, 0);
        ++cell;
    }
    CurrentRow = CurrentColumn = 0;
}

// The detail of a full English screen (1288 keys, one in ten wrong) and of
// a Chinese one (322 commits), made into what is stored.
inline void BM_AnalyseAttempt(benchmark::State& state)
{
    QRandomGenerator random(7);
    for (auto _ : state) {
        CKeyDetailRecorder english;
        for (int i = 0; i < 1288; ++i) {
            const QChar expected(char16_t(u'a' + i % 26));
            english.OnKeyCell(expected, i % 10 == 0 ? QChar(u'x') : expected,
                              i * 200 + random.bounded(100));
        }
        CKeyDetailRecorder chinese;
        const QList<quint32> keys{'d', 'e', ' '};
        for (int i = 0; i < 322; ++i)
            chinese.OnCommit(QStringLiteral("的"), QStringLiteral("的"), &keys, i * 900);
        const CKeyDetail detail = english.Detail();
        const CKeyDetail commits = chinese.Detail();
        benchmark::DoNotOptimize(detail.keys.size() + commits.commits.size());
    }
}

// The figures of an attempt of 2,000 commits of one to three characters,
// every tenth taken back before the next: the recorder marking what went,
// then 回改, 键准, 选重 and 打词率 as the result shows them.
inline void BM_CommitFigures(benchmark::State& state)
{
    const QString texts[] = {QStringLiteral("的"), QStringLiteral("我们"), QStringLiteral("第一次")};
    const QList<quint32> keys{'w', 'o', 'm', 'e', 'n', ' '};
    for (auto _ : state) {
        CKeyDetailRecorder recorder;
        recorder.Start(0);
        int cell = 0;
        for (int i = 0; i < 2000; ++i) {
            const QString& text = texts[i % 3];
            recorder.OnCommit(text, text, &keys, i * 700, cell);
            cell += i % 10 == 9 ? 0 : int(text.size()); // every tenth goes again
        }
        const CKeyDetail detail = recorder.Detail(cell);
        const CTypingFigures figures = CTypingFigures::Of(
            PracticeKind::Chinese, cell, 0, 12000, 200, CommitFigures::Tally(detail.commits));
        benchmark::DoNotOptimize(figures.Line().size());
    }
}

// A 智能练习 screen from a record with three weak keys and slow pairs.
inline void BM_SmartScreen(benchmark::State& state)
{
    QList<CKeyFigures> keys;
    for (char16_t c = u'a'; c <= u'z'; ++c)
        keys.append(
            {QString(QChar(c)), 40, 40, c == u'v' || c == u'q' ? 8 : 0, c == u'z' ? 900 : 250});
    keys.append({QStringLiteral("th"), 10, 10, 0, 800});
    const QStringList words = SmartDrill::Words();
    quint32 seed = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(SmartDrill::EnglishScreen(keys, words, ++seed).size());
}

inline void RegisterCoachingBenchmarks()
{
    benchmark::RegisterBenchmark("Keystroke/detail", BM_DetailPerKey)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("Coaching/analyse_attempt", BM_AnalyseAttempt)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Coaching/commit_figures", BM_CommitFigures)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Coaching/smart_screen", BM_SmartScreen)
        ->Unit(benchmark::kMillisecond);
}
