#pragma once

#include <QString>
#include <QStringList>

// The product's own credits, shown on the credit screen and in the About box.
namespace Credits {
QString Title();
// The six blue lines of the credit screen, top to bottom.
QStringList Lines();
QString Footer();

QString AuthorName();      // name with nickname, e.g. for "作者:"
QString ShortAuthorName(); // the author pane of the status bar, kept short
QString Email();
QString WebHost();    // without scheme
QString WebAddress(); // with scheme
} // namespace Credits
