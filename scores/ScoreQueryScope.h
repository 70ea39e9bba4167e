#pragma once

// Which scores the score query lists; set by the opener just before it runs.
namespace ScoreScope {
enum : int {
    Personal = 116,
    Group = 117,
};
}

extern int ScoreQueryScope;
