#include "documents/CsvReader.h"

using namespace Qt::Literals::StringLiterals;

CCellTable ReadCsv(const QString& text, const CReadLimits& limits, CReadProgress* progress)
{
    CCellTable table;
    const QString firstLine = text.section(u'\n', 0, 0);
    const QChar separator = firstLine.contains(u'\t') && !firstLine.contains(u',') ? u'\t' : u',';
    CCellRow row;
    int line = 1;
    row.nLine = line;
    int column = 0;
    int cells = 0;
    QString field;
    bool bQuoted = false;
    bool bFieldStarted = false;
    const auto endField = [&]() {
        if (!field.isEmpty()) {
            row.columns.append(column);
            row.texts.append(field);
            field.clear();
            ++cells;
        }
        ++column;
        bFieldStarted = false;
        return cells <= limits.nMaxCells;
    };
    const auto endRow = [&]() {
        row.nLastLine = line;
        table.rows.append(row);
        row = CCellRow();
        column = 0;
        return table.rows.size() <= limits.nMaxRows;
    };
    const auto fail = [&](const QString& error) {
        table.rows.clear();
        table.strError = error;
        return table;
    };
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        if ((i & 0xFFFF) == 0 && progress) {
            if (progress->IsCancelled()) {
                table.rows.clear();
                table.bCancelled = true;
                return table;
            }
            progress->SetPermille(int(i * 1000 / size));
        }
        const QChar ch = text[i];
        const bool bLineBreak =
            ch == u'\n' || (ch == u'\r' && (i + 1 == size || text[i + 1] != u'\n'));
        if (bQuoted) {
            if (ch == u'"') {
                if (i + 1 < size && text[i + 1] == u'"') {
                    field += u'"';
                    ++i;
                } else {
                    bQuoted = false;
                }
            } else {
                field += ch;
                if (bLineBreak)
                    ++line;
            }
        } else if (ch == u'"' && !bFieldStarted) {
            bQuoted = true;
            bFieldStarted = true;
        } else if (ch == separator) {
            if (!endField())
                return fail(u"文件的单元格太多(超过 %1 个)"_s.arg(limits.nMaxCells));
        } else if (ch == u'\r' && !bLineBreak) {
            continue; // the \r of \r\n
        } else if (bLineBreak) {
            if (!endField())
                return fail(u"文件的单元格太多(超过 %1 个)"_s.arg(limits.nMaxCells));
            if (!endRow())
                return fail(u"文件的行数太多(超过 %1 行)"_s.arg(limits.nMaxRows));
            row.nLine = ++line;
        } else {
            field += ch;
            bFieldStarted = true;
        }
        if (field.size() > limits.nMaxFieldChars && bQuoted && line > row.nLine)
            return fail(u"第 %1 行的引号到第 %2 行还没有闭合"_s.arg(row.nLine).arg(line));
        if (field.size() > limits.nMaxFieldChars)
            return fail(u"第 %1 行的第 %2 个字段太长(超过 %3 个字符)"_s.arg(row.nLine)
                            .arg(column + 1)
                            .arg(limits.nMaxFieldChars));
    }
    if (bFieldStarted || !field.isEmpty() || !row.columns.isEmpty() || column > 0) {
        row.bUnclosed = bQuoted;
        if (bQuoted && (field.endsWith(u'\n') || field.endsWith(u'\r')))
            --line; // the file's last line break
        if (!endField())
            return fail(u"文件的单元格太多(超过 %1 个)"_s.arg(limits.nMaxCells));
        if (!endRow())
            return fail(u"文件的行数太多(超过 %1 行)"_s.arg(limits.nMaxRows));
    }
    return table;
}
