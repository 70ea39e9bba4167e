#pragma once

#include "attempts/KeyDetail.h"

#include <QString>

// 速度损失: where the time of a Chinese practice went, from its commits.
// Each part is the time it cost; what the speed would have been without it
// is the correct characters over the time less that part alone (the parts
// may overlap: each is taken away on its own).
struct CTimeLoss
{
    qint64 nRevisedMs = 0;   // 回改: typing the characters deleted afterwards
    qint64 nBackspaceMs = 0; // the Backspaces, each at the median time of a key
    qint64 nPauseMs = 0;     // pauses: a commit's time beyond the median pace
                             // where it took more than three times that pace
    qint64 nWrongMs = 0;     // the characters standing wrong

    bool operator==(const CTimeLoss&) const = default;
};

namespace TimeLoss {

// A commit is a pause when its time a character is above this many times
// the median's.
inline constexpr int PauseFactor = 3;

// The loss of commits, backspaces of them pressed; nothing to say without
// commits.
CTimeLoss Of(const QList<CCommitUnit>& commits, int backspaces);
// "时间花在:回改 0.7 秒(不然 57.7 字/分)…": each part that cost anything
// (seconds under a minute, else minutes), beside the speed without it;
// empty when nothing was lost.
QString Line(const CTimeLoss& loss, int kind, int correct, qint64 elapsedMs);

} // namespace TimeLoss
