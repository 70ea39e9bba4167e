#include "classroom/ClassListFile.h"

#include "documents/CsvReader.h"
#include "documents/XlsxReader.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {

// A class list is small; a larger file is a mistake.
constexpr qint64 MaxFileBytes = 16 * 1024 * 1024;
constexpr int MaxPupils = 20000;
// Far more than any class list holds, far less than would cost the window
// its memory: a reading stops at the first of these.
const CReadLimits Limits{100000, 500000, 2000, 32 << 20};

enum Column : int { Name, Class, StudentNo, Password, ColumnCount };

// Header texts for each column, compared trimmed and in lower case.
const QList<QStringList> HeaderNames = {
    {u"姓名"_s, u"名字"_s, u"学生姓名"_s, u"用户名"_s, u"用户姓名"_s, u"name"_s, u"student name"_s,
     u"username"_s, u"user name"_s, u"full name"_s},
    {u"班级"_s, u"班"_s, u"班别"_s, u"class"_s, u"class name"_s, u"form"_s, u"grade"_s},
    {u"学号"_s, u"学生号"_s, u"学籍号"_s, u"编号"_s, u"student number"_s, u"student no"_s,
     u"student no."_s, u"student_no"_s, u"student id"_s, u"number"_s, u"no"_s, u"no."_s, u"id"_s},
    {u"密码"_s, u"口令"_s, u"初始密码"_s, u"password"_s, u"pwd"_s, u"passwd"_s},
};

int HeaderColumn(const QString& cell)
{
    const QString text = cell.trimmed().toLower();
    for (int c = 0; c < ColumnCount; ++c) {
        if (HeaderNames[c].contains(text))
            return c;
    }
    return -1;
}

// The columns a row names as a heading, by their position in the file (-1
// where it names none); returns how many it names.
int NamedColumns(const CCellRow& row, QList<int>* pNamed)
{
    *pNamed = QList<int>(ColumnCount, -1);
    int recognised = 0;
    for (qsizetype i = 0; i < row.columns.size(); ++i) {
        const int column = HeaderColumn(row.texts[i]);
        if (column >= 0 && (*pNamed)[column] < 0) {
            (*pNamed)[column] = row.columns[i];
            ++recognised;
        }
    }
    return recognised;
}

// How far down a heading is looked for: a sheet as teachers keep it has a
// title, a date or a blank row or two above it.
constexpr int RowsBeforeHeading = 10;

// The row of the heading: the first of the top rows that names two of our
// columns (the rows above it are titles), else the first row when it names
// one (the others are then missing); -1 when there is none.
int HeadingRow(const QList<CCellRow>& cells, int first, QList<int>* pNamed)
{
    int looked = 0;
    for (int r = first; r < cells.size() && looked < RowsBeforeHeading; ++r) {
        if (cells[r].IsBlank())
            continue;
        ++looked;
        if (NamedColumns(cells[r], pNamed) >= 2)
            return r;
    }
    return NamedColumns(cells[first], pNamed) > 0 ? first : -1;
}

} // namespace

QString DecodeClassListText(const QByteArray& bytes, QString* pEncoding, bool* pOk)
{
    *pOk = true;
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        *pEncoding = u"UTF-8"_s;
        QStringDecoder decoder(QStringConverter::Utf8);
        const QString text = decoder(bytes.mid(3));
        *pOk = !decoder.hasError();
        return text;
    }
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        // Excel's "Unicode text".
        *pEncoding = u"UTF-16"_s;
        QStringDecoder decoder(bytes.startsWith("\xFF\xFE") ? QStringConverter::Utf16LE
                                                            : QStringConverter::Utf16BE);
        const QString text = decoder(bytes.mid(2));
        *pOk = !decoder.hasError();
        return text;
    }
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    const QString text = utf8(bytes);
    if (!utf8.hasError()) {
        *pEncoding = u"UTF-8"_s;
        return text;
    }
    *pEncoding = u"GBK"_s;
    QStringDecoder gbk("GBK", QStringConverter::Flag::Stateless);
    const QString chinese = gbk(bytes);
    // Bytes GBK has no character for come out as U+FFFD or in the private
    // use area (0xFF as U+F8F5): no class list holds those.
    *pOk = gbk.isValid() && !gbk.hasError() &&
           std::none_of(chinese.cbegin(), chinese.cend(), [](QChar ch) {
               return ch == QChar::ReplacementCharacter || ch.category() == QChar::Other_PrivateUse;
           });
    return chinese;
}

CClassListFile ClassListFromCells(const QList<CCellRow>& cells)
{
    CClassListFile list;
    int first = 0;
    while (first < cells.size() && cells[first].IsBlank())
        ++first;
    if (first == cells.size()) {
        list.strError = u"文件中没有学生"_s;
        return list;
    }
    // Positions of name, class, number and password: a heading row names
    // them, in any order, with columns of no use to us between them;
    // without one they stand in that order.
    QList<int> position{0, 1, 2, 3};
    QList<int> named;
    const int heading = HeadingRow(cells, first, &named);
    if (heading >= 0) {
        QStringList missing;
        const QStringList names{u"姓名"_s, u"班级"_s, u"学号"_s};
        for (int c = Name; c <= StudentNo; ++c) {
            if (named[c] < 0)
                missing.append(names[c]);
        }
        if (!missing.isEmpty()) {
            list.strError = u"标题行中找不到这些列:%1"_s.arg(missing.join(u"、"_s));
            return list;
        }
        position = named;
        first = heading + 1;
    }
    list.columns = position;
    for (int r = first; r < cells.size(); ++r) {
        if (cells[r].IsBlank())
            continue;
        if (list.rows.size() >= MaxPupils) {
            list.strError = u"文件中的学生太多(超过 %1 名)"_s.arg(MaxPupils);
            list.rows.clear();
            return list;
        }
        const CCellRow& row = cells[r];
        const auto cell = [&](int column) {
            return position[column] < 0 ? QString() : row.Cell(position[column]).trimmed();
        };
        list.rows.append({row.nLine, row.nLastLine, row.bUnclosed, cell(Name), cell(Class),
                          cell(StudentNo), cell(Password)});
    }
    if (list.rows.isEmpty())
        list.strError = u"文件中没有学生"_s;
    return list;
}

CClassListFile ReadClassList(const QString& path, CReadProgress* progress)
{
    CClassListFile list;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        list.strError = file.errorString();
        return list;
    }
    if (file.size() > MaxFileBytes) {
        list.strError = u"文件太大(超过 %1 MB),不像是学生名单"_s.arg(MaxFileBytes >> 20);
        return list;
    }
    const QByteArray head = file.peek(4);
    const bool bZip = head.startsWith("PK\x03\x04");
    CCellTable table;
    if (bZip || QFileInfo(path).suffix().compare(u"xlsx"_s, Qt::CaseInsensitive) == 0) {
        file.close();
        table = ReadXlsxSheet(path, Limits, progress);
        list.strEncoding = u"xlsx"_s;
    } else {
        const QByteArray bytes = file.readAll();
        if (bytes.contains('\0') && !bytes.startsWith("\xFF\xFE") &&
            !bytes.startsWith("\xFE\xFF")) {
            list.strError = u"不是文本文件(.csv)"_s;
            return list;
        }
        bool ok = false;
        const QString text = DecodeClassListText(bytes, &list.strEncoding, &ok);
        if (!ok) {
            list.strError = u"无法识别文件的编码(应为 UTF-8 或 GBK)"_s;
            return list;
        }
        table = ReadCsv(text, Limits, progress);
    }
    if (table.bCancelled || !table.strError.isEmpty()) {
        list.bCancelled = table.bCancelled;
        list.strError = table.strError;
        return list;
    }
    const QString encoding = list.strEncoding;
    list = ClassListFromCells(table.rows);
    list.strEncoding = encoding;
    return list;
}

CExportTable ClassListTemplate()
{
    CExportTable table;
    table.strTitle = u"学生名单:姓名、班级、学号必填(学号只用数字,最多10位),密码可以空着,"
                     "导入时由程序生成"_s;
    table.strSheetName = u"学生名单"_s;
    table.header = {HeaderNames[StudentNo][0], HeaderNames[Name][0], HeaderNames[Class][0],
                    HeaderNames[Password][0]};
    return table;
}
