#pragma once

#include <QList>
#include <QSize>

// The display size (显示比例): one factor by which Qt scales the whole
// program (windows, dialogs, fonts, the practice screen), so that every
// layout keeps its own units and only grows on the screen. It is applied
// once, before the first window, and a change takes effect at the next start.
namespace DisplayScale {

// The steps offered, in percent, smallest first.
const QList<int>& Steps();
// The largest step at which a window whose outer size at 100 % is window
// still fits workArea (both in pixels at 100 %); the smallest step when
// none does.
int FitPercent(const QSize& workArea, const QSize& window);
// The step this machine's user chose, or 0 for the automatic one.
int ChosenPercent();
// Keeps percent (a step, or 0 for automatic) for the next start.
void SetChosenPercent(int percent);
// Scales everything by percent; only before any window exists.
void Apply(int percent);
// The step in effect.
int AppliedPercent();

} // namespace DisplayScale
