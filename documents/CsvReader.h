#pragma once

#include "documents/CellTable.h"

#include <QString>

// The records of CSV text: comma- or tab-separated (tabs when the first line
// has tabs and no commas), quoted fields with doubled quotes and line breaks.
// Each record knows the lines it spans, so that a quote left open can be
// named with the line it swallowed.
CCellTable ReadCsv(const QString& text, const CReadLimits& limits,
                   CReadProgress* progress = nullptr);
