#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// What a text of the library may hold, and how it becomes the bytes the
// loader reads. A Chinese text is GBK, one character a cell: its half-width
// punctuation is made full-width, and a half-width letter or digit takes a
// cell of its own with a space (what typing it in the Chinese practice
// forms). The other kinds are plain ASCII, one character a column.
namespace TextRules {

// The body as it is stored: tabs become spaces and other control
// characters go (line breaks stay); in a Chinese text half-width
// punctuation becomes full-width, except inside numbers ("3.14", "10:30")
// and words ("don't"); in the other kinds full-width letters, digits and
// punctuation become half-width.
QString Normalise(const QString& body, int kind);

// The characters of a normalised body that its kind cannot hold (outside
// GBK for Chinese, outside ASCII for the others), each once, in order.
QStringList Refused(const QString& body, int kind);

// The normalised body as the bytes of a practice file of its kind.
QByteArray FileBytes(const QString& body, int kind);

// The text of an imported .txt file: UTF-8 (with or without its byte-order
// mark) or else GBK; nothing when it is neither.
std::optional<QString> DecodeFile(const QByteArray& bytes);

// The longest body kept, in characters.
constexpr int MaxLength = 200000;

} // namespace TextRules
