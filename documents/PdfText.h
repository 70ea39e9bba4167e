#pragma once

#include <QByteArray>
#include <QString>

// Qt's PDF names each glyph in its ToUnicode map by the lowest code point
// the font draws with it, so a character whose glyph a radical shares (子
// with ⼦, 黄 with ⻩, 页 with ⻚) is read back, searched and copied as the
// radical. Returns pdf with those maps naming the ideographs instead (the
// one fontFamily, the font it was painted with, draws with the radical's
// glyph, else Unicode's equivalent), byte for byte as long as before, so
// that no offset of the file changes.
QByteArray WithIdeographsForRadicals(QByteArray pdf, const QString& fontFamily);
