#pragma once

#include "documents/CellTable.h"

#include <QString>

// The cells of the first worksheet of an .xlsx file as text, row by row
// (numbers as they read, 20240117 rather than 2.0240117E7). Reads the zip
// through minizip and the XML with QXmlStreamReader as it inflates, so that
// the limits hold before a part is whole in memory.
CCellTable ReadXlsxSheet(const QString& path, const CReadLimits& limits,
                         CReadProgress* progress = nullptr);

// "AB12" -> 27 (0-based); -1 past column XFD, the last a sheet can have,
// or without letters.
int XlsxColumnOf(QStringView reference);
