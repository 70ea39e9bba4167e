#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// What a text of the library may hold, and how it becomes the bytes the
// loader reads. A Chinese text is GBK, one character a cell: its half-width
// letters, digits, spaces and punctuation are made full-width, so that each
// is one double-byte character typed as one unit. The other kinds are
// plain ASCII, one character a column.
namespace TextRules {

// The body as it is stored: tabs become spaces and other control
// characters go (line breaks stay); in a Chinese text every half-width
// character becomes full-width (a space the ideographic space, "." 。 except
// inside numbers, quotes paired “” ‘’, "..." ……); in the other kinds
// full-width letters, digits and punctuation become half-width.
QString Normalise(const QString& body, int kind);

// The characters of a normalised body that its kind cannot hold (outside
// GBK for Chinese, outside ASCII for the others), each once, in order.
QStringList Refused(const QString& body, int kind);

// The normalised body as the bytes of a practice file of its kind, laid
// out in the screen's rows: no English word is split over two rows (a line
// break between words is a space), and no Chinese row starts with a closing
// mark (the character before it comes down with it). A row that ends
// early is filled with NUL cells, which a practice passes over.
QByteArray FileBytes(const QString& body, int kind);

// The text of an imported .txt file: UTF-8 (with or without its byte-order
// mark) or else GBK; nothing when it is neither.
std::optional<QString> DecodeFile(const QByteArray& bytes);

// The longest body kept, in characters.
constexpr int MaxLength = 200000;

} // namespace TextRules
