#pragma once

#include "attempts/KeyDetail.h"

#include <QList>
#include <QString>

// 理论码长 under 全拼: the fewest keys a text needs, over the best division
// of it into the 词组 lessons' words and single characters, each typed as
// its whole pinyin and one Space to commit it (a character by its commonest
// reading); any other character (a mark, a letter, a digit) is one key.
namespace ShortestKeys {

// The fewest keys of text; -1 when a Chinese character of it has no reading.
int Pinyin(const QString& text);
// The text a practice's commits typed: what each was to type, less the
// characters deleted after it.
QString TypedText(const QList<CCommitUnit>& commits);
// "理论码长 2.40,码长 3.20,每字可以少按 0.80 个键": the fewest keys of
// text a character beside the presses a correct character; empty when
// either is not known.
QString Line(const QString& text, qint64 presses, int correct);

} // namespace ShortestKeys
