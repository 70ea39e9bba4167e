#pragma once

#include "practice/PracticeScreen.h"

#include <QByteArray>
#include <QString>

struct CPracticeText;

// A screen of a library text, and a drill's screenful of a kind, as the
// view loads them.
CPracticeScreen TextScreen(const CPracticeText& text, int screen);
CPracticeScreen DrillScreen(int kind, const QByteArray& text, const QString& title);
