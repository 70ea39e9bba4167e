#pragma once

#include "attempts/KeyDetail.h"

#include <QList>
#include <QString>

#include <optional>

// 理论码长: the fewest keys a text needs with an input method's own table,
// over the best division of the text into the table's words and single
// characters; any other character (a mark, a letter, a digit) is one key.
// 全拼: the 词组 lessons' words and each character's commonest reading, each
// with one Space to commit it. 五笔: the 五笔 table's shortest code of each
// character and of each word our texts hold, with the Space a code shorter
// than four keys needs.
namespace ShortestKeys {

enum Method { Pinyin, Wubi };

// The fewest keys of text; -1 when a Chinese character of it is not in the
// table.
int Fewest(Method method, const QString& text);
// The table's own code of text as one entry (a character or a word);
// empty when the table has none.
QString CodeOf(Method method, const QString& text);
// The method keys (as shown, "women␣", "wo⌫trnt") typed text by: 全拼 when
// their letters after the last Backspace are its whole pinyin or its 简拼,
// else 五笔 when they are one to four of a to y; nothing otherwise.
std::optional<Method> MethodOf(const QString& keys, const QString& text);
// The text a practice's commits typed: what each was to type, less the
// characters deleted after it.
QString TypedText(const QList<CCommitUnit>& commits);
// "码长 3.20;理论码长:全拼 2.40(每字可以少按 0.80 个键),五笔 ...": the
// presses a correct character beside the fewest keys of text a character
// by each method; empty when the presses are not known, and a method whose
// table lacks a character of text is left out.
QString Line(const QString& text, qint64 presses, int correct);

} // namespace ShortestKeys
