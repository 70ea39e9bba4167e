#include "scores/ScoreQueryScope.h"

int ScoreQueryScope = 0;
