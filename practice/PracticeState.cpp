#include "practice/PracticeState.h"

int CurrentPracticeKind = PracticeKind::None;
int CurrentRow = 0;
int CurrentColumn = 0;
int TypedCount = 0;
int CorrectCount = 0;
QByteArray PendingUnit;
int PendingBytes = 0;
int SkipPending = 0;
int LineHeight = 16;
int CharWidth = 8;
int ElapsedSeconds = 0;
