#include "tests/HostileFiles.h"

#include <QTemporaryFile>

#include <zip.h>

using namespace Qt::Literals::StringLiterals;

namespace HostileFiles {

namespace {

const QByteArray Workbook =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"><sheets><sheet name="名单" sheetId="1" r:id="rId1"/></sheets></workbook>)";
const QByteArray Relations =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships"><Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="worksheets/sheet1.xml"/></Relationships>)";
const QByteArray ContentTypes =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types"><Default Extension="xml" ContentType="application/xml"/></Types>)";

} // namespace

QByteArray Xlsx(const QList<Part>& parts)
{
    // minizip writes to a named file only.
    QTemporaryFile file;
    if (!file.open())
        return {};
    const QByteArray name = QFile::encodeName(file.fileName());
    zipFile zip = zipOpen64(name.constData(), APPEND_STATUS_CREATE);
    if (!zip)
        return {};
    QList<Part> all{{u"[Content_Types].xml"_s, ContentTypes},
                    {u"xl/workbook.xml"_s, Workbook},
                    {u"xl/_rels/workbook.xml.rels"_s, Relations}};
    all += parts;
    for (const auto& [entry, bytes] : all) {
        zip_fileinfo info{};
        if (zipOpenNewFileInZip64(zip, entry.toUtf8().constData(), &info, nullptr, 0, nullptr, 0,
                                  nullptr, Z_DEFLATED, 9, 1) != ZIP_OK ||
            zipWriteInFileInZip(zip, bytes.constData(), unsigned(bytes.size())) != ZIP_OK ||
            zipCloseFileInZip(zip) != ZIP_OK) {
            zipClose(zip, nullptr);
            return {};
        }
    }
    zipClose(zip, nullptr);
    file.seek(0);
    return file.readAll();
}

QByteArray SheetXml(const QByteArray& rows)
{
    return R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><sheetData>)" +
           rows + "</sheetData></worksheet>";
}

QByteArray WideSheet()
{
    QByteArray rows;
    rows.reserve(99999 * 80);
    for (int r = 1; r <= 99999; ++r) {
        const QByteArray n = QByteArray::number(r);
        rows += "<row r=\"" + n + "\"><c r=\"ALM" + n + "\" t=\"inlineStr\"><is><t>" + n +
                "</t></is></c></row>";
    }
    return Xlsx({{u"xl/worksheets/sheet1.xml"_s, SheetXml(rows)}});
}

QByteArray InflatingStrings()
{
    const QByteArray item = "<si><t>" + QByteArray(600, 'x') + "</t></si>";
    QByteArray strings = R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<sst xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">)";
    strings.reserve(100000 * item.size() + 200);
    for (int i = 0; i < 100000; ++i)
        strings += item;
    strings += "</sst>";
    const QByteArray sheet = SheetXml(R"(<row r="1"><c r="A1" t="s"><v>0</v></c></row>)");
    return Xlsx({{u"xl/sharedStrings.xml"_s, strings}, {u"xl/worksheets/sheet1.xml"_s, sheet}});
}

QByteArray SevenLetterColumn()
{
    return Xlsx({{u"xl/worksheets/sheet1.xml"_s,
                  SheetXml(R"(<row r="1"><c r="A1" t="inlineStr"><is><t>姓名</t></is></c>)"
                           R"(<c r="ZZZZZZZ1" t="inlineStr"><is><t>班级</t></is></c></row>)")}});
}

QByteArray LongNamesCsv()
{
    QString csv = u"姓名,班级,学号\r\n"_s;
    for (int i = 0; i < 5; ++i)
        csv += QString(700000, QChar(0x738B)) + u",三年级二班,%1\r\n"_s.arg(101 + i);
    return csv.toUtf8();
}

QString DistinctOutsideGbk()
{
    QList<char32_t> points;
    for (char32_t c = 0xF0000; points.size() < 100000; ++c) {
        if ((c & 0xFFFE) != 0xFFFE) // U+FFFFE and U+FFFFF are no characters
            points.append(c);
    }
    return QString::fromUcs4(points.constData(), points.size());
}

} // namespace HostileFiles
