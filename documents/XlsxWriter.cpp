#include "documents/XlsxWriter.h"

#include <QFile>
#include <QLibrary>
#include <QSet>
#include <QTemporaryFile>

#include <xlsxwriter.h>

#include <algorithm>
#include <type_traits>

using namespace Qt::Literals::StringLiterals;

namespace {

// libxlsxwriter, and the libcrypto it brings, are loaded at the first
// export rather than at every start: the functions are looked up by name,
// with the types of the library's own header.
struct LibXlsxWriter
{
    decltype(&::workbook_new) workbook_new = nullptr;
    decltype(&::workbook_close) workbook_close = nullptr;
    decltype(&::workbook_add_format) workbook_add_format = nullptr;
    decltype(&::workbook_add_worksheet) workbook_add_worksheet = nullptr;
    decltype(&::format_set_bold) format_set_bold = nullptr;
    decltype(&::format_set_font_size) format_set_font_size = nullptr;
    decltype(&::format_set_bottom) format_set_bottom = nullptr;
    decltype(&::format_set_bg_color) format_set_bg_color = nullptr;
    decltype(&::format_set_text_wrap) format_set_text_wrap = nullptr;
    decltype(&::format_set_num_format) format_set_num_format = nullptr;
    decltype(&::worksheet_set_column) worksheet_set_column = nullptr;
    decltype(&::worksheet_set_row) worksheet_set_row = nullptr;
    decltype(&::worksheet_merge_range) worksheet_merge_range = nullptr;
    decltype(&::worksheet_write_string) worksheet_write_string = nullptr;
    decltype(&::worksheet_write_number) worksheet_write_number = nullptr;
    decltype(&::worksheet_freeze_panes) worksheet_freeze_panes = nullptr;
    decltype(&::lxw_strerror) lxw_strerror = nullptr;
    bool bComplete = false;
};

const LibXlsxWriter& Xlsx()
{
    static const LibXlsxWriter functions = [] {
        QLibrary library(u"xlsxwriter"_s, 4);
        LibXlsxWriter found;
        bool complete = true;
        const auto resolve = [&library, &complete](auto& function, const char* name) {
            function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(
                library.resolve(name));
            complete = complete && function;
        };
#define QE_RESOLVE(name) resolve(found.name, #name)
        QE_RESOLVE(workbook_new);
        QE_RESOLVE(workbook_close);
        QE_RESOLVE(workbook_add_format);
        QE_RESOLVE(workbook_add_worksheet);
        QE_RESOLVE(format_set_bold);
        QE_RESOLVE(format_set_font_size);
        QE_RESOLVE(format_set_bottom);
        QE_RESOLVE(format_set_bg_color);
        QE_RESOLVE(format_set_text_wrap);
        QE_RESOLVE(format_set_num_format);
        QE_RESOLVE(worksheet_set_column);
        QE_RESOLVE(worksheet_set_row);
        QE_RESOLVE(worksheet_merge_range);
        QE_RESOLVE(worksheet_write_string);
        QE_RESOLVE(worksheet_write_number);
        QE_RESOLVE(worksheet_freeze_panes);
        QE_RESOLVE(lxw_strerror);
#undef QE_RESOLVE
        found.bComplete = complete;
        return found;
    }();
    return functions;
}

// Excel's limits on a worksheet name: at most 31 characters, none of
// []:*?/\ nor a control character, and no apostrophe first or last.
QString SheetName(const CExportTable& table, QSet<QString>& used)
{
    QString name = table.strSheetName.isEmpty() ? table.strTitle : table.strSheetName;
    for (QChar& ch : name) {
        if (u"[]:*?/\\"_s.contains(ch) || ch.category() == QChar::Other_Control)
            ch = u'_';
    }
    name = name.left(31).trimmed();
    while (name.startsWith(u'\'') || name.endsWith(u'\''))
        name = (name.startsWith(u'\'') ? name.mid(1) : name.chopped(1)).trimmed();
    if (name.isEmpty())
        name = u"Sheet"_s;
    QString unique = name;
    for (int n = 2; used.contains(unique.toLower()); ++n) {
        const QString suffix = u"(%1)"_s.arg(n);
        unique = name.left(31 - suffix.size()) + suffix;
    }
    used.insert(unique.toLower());
    return unique;
}

// Excel column widths count the width of a digit; a Chinese character
// takes about two.
double ColumnWidth(const CExportTable& table, int column)
{
    int widest = 0;
    for (const QString& text : table.ColumnTexts(column))
        widest = std::max(widest, DisplayWidth(text));
    return std::clamp(widest + 2, 6, 60);
}

class CWorkbook
{
public:
    explicit CWorkbook(const QString& path)
        : m_pBook(Xlsx().workbook_new(QFile::encodeName(path).constData()))
    {
    }
    ~CWorkbook()
    {
        if (m_pBook)
            Xlsx().workbook_close(m_pBook);
    }
    CWorkbook(const CWorkbook&) = delete;
    CWorkbook& operator=(const CWorkbook&) = delete;

    lxw_workbook* Get() const { return m_pBook; }
    // Writes the file; the workbook is gone afterwards.
    lxw_error Close()
    {
        const lxw_error error = Xlsx().workbook_close(m_pBook);
        m_pBook = nullptr;
        return error;
    }

private:
    lxw_workbook* m_pBook;
};

QByteArray Utf8(const QString& text)
{
    return text.toUtf8();
}

QString WriteWorkbook(const QList<CExportTable>& tables, const QString& path);

} // namespace

QString WriteXlsx(const QList<CExportTable>& tables, const QString& path)
{
    if (!Xlsx().bComplete)
        return u"缺少 libxlsxwriter.so.4,无法写入 .xlsx 文件"_s;
    // The workbook is written beside the target and takes its place only
    // when whole, so that a failed export leaves no file behind.
    QTemporaryFile part(path + u".XXXXXX"_s);
    if (!part.open())
        return u"无法创建文件"_s;
    part.close();
    const QString error = WriteWorkbook(tables, part.fileName());
    if (!error.isEmpty())
        return error;
    // A temporary file is the owner's alone; the export is a normal file.
    part.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                        QFileDevice::ReadOther);
    if ((QFile::exists(path) && !QFile::remove(path)) || !part.rename(path))
        return u"无法写入该文件"_s;
    part.setAutoRemove(false);
    return {};
}

namespace {

QString WriteWorkbook(const QList<CExportTable>& tables, const QString& path)
{
    const LibXlsxWriter& x = Xlsx();
    CWorkbook book(path);
    if (!book.Get())
        return u"无法创建文件"_s;
    lxw_workbook* wb = book.Get();
    lxw_format* title = x.workbook_add_format(wb);
    x.format_set_bold(title);
    x.format_set_font_size(title, 14);
    lxw_format* heading = x.workbook_add_format(wb);
    x.format_set_bold(heading);
    x.format_set_bottom(heading, LXW_BORDER_THIN);
    x.format_set_bg_color(heading, 0xDDEBF7);
    x.format_set_text_wrap(heading);
    lxw_format* integer = x.workbook_add_format(wb);
    x.format_set_num_format(integer, "0");
    lxw_format* decimals[3] = {integer, x.workbook_add_format(wb), x.workbook_add_format(wb)};
    x.format_set_num_format(decimals[1], "0.0");
    x.format_set_num_format(decimals[2], "0.00");
    lxw_format* duration = x.workbook_add_format(wb);
    x.format_set_num_format(duration, "[h]:mm:ss");
    lxw_format* text = x.workbook_add_format(wb);
    x.format_set_num_format(text, "@");

    QSet<QString> used;
    for (const CExportTable& table : tables) {
        lxw_worksheet* sheet =
            x.workbook_add_worksheet(wb, Utf8(SheetName(table, used)).constData());
        if (!sheet)
            return u"无法创建工作表"_s;
        const int columns = int(table.header.size());
        for (int c = 0; c < columns; ++c)
            x.worksheet_set_column(sheet, lxw_col_t(c), lxw_col_t(c), ColumnWidth(table, c),
                                   nullptr);
        if (columns > 1)
            x.worksheet_merge_range(sheet, 0, 0, 0, lxw_col_t(columns - 1),
                                    Utf8(table.strTitle).constData(), title);
        else
            x.worksheet_write_string(sheet, 0, 0, Utf8(table.strTitle).constData(), title);
        x.worksheet_set_row(sheet, 0, 22, nullptr);
        for (int c = 0; c < columns; ++c)
            x.worksheet_write_string(sheet, 1, lxw_col_t(c), Utf8(table.header[c]).constData(),
                                     heading);
        x.worksheet_freeze_panes(sheet, 2, 0);

        lxw_row_t r = 2;
        for (const QList<CExportCell>& row : table.rows) {
            for (int c = 0; c < columns && c < int(row.size()); ++c) {
                const CExportCell& cell = row[c];
                const auto column = lxw_col_t(c);
                switch (cell.kind) {
                case CExportCell::Kind::Text:
                    // Always a string, never a formula, whatever it starts with.
                    x.worksheet_write_string(sheet, r, column, Utf8(cell.strText).constData(),
                                             text);
                    break;
                case CExportCell::Kind::Integer:
                    x.worksheet_write_number(sheet, r, column, cell.dValue, integer);
                    break;
                case CExportCell::Kind::Number:
                    x.worksheet_write_number(sheet, r, column, cell.dValue,
                                             decimals[std::clamp(cell.nDecimals, 0, 2)]);
                    break;
                case CExportCell::Kind::Duration:
                    // Excel keeps times in days.
                    x.worksheet_write_number(sheet, r, column, cell.dValue / 86400000.0, duration);
                    break;
                case CExportCell::Kind::Empty:
                    break;
                }
            }
            ++r;
        }
    }
    const lxw_error error = book.Close();
    if (error != LXW_NO_ERROR)
        return QString::fromUtf8(x.lxw_strerror(error));
    return {};
}

} // namespace
