#pragma once

#include "attempts/ResultStore.h"
#include "practice/ExamHost.h"

// The words of a sitting's end for the pupil: the exam's own figures (the
// speed over the rule of the exam, the accuracy, the time, what was typed
// and the cells typed wrong) and whether the result is stored, kept on the
// machine, or refused and why.
namespace ExamResult {

// How many of the cells typed wrong are named, in reading order.
constexpr int MistakesShown = 8;

CSittingShown Shown(const QString& title, int kind, qint64 limitMs,
                    const ExamScoring::CFigures& figures, CSittingStored::Storage storage,
                    const QString& detail);

} // namespace ExamResult
