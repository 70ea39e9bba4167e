#include "documents/XlsxReader.h"

#include <QFile>
#include <QMap>
#include <QXmlStreamReader>

#include <unzip.h>

#include <cmath>
#include <optional>

using namespace Qt::Literals::StringLiterals;

namespace {

// More than this uncompressed in one part is no class list.
constexpr qint64 MaxPartBytes = 64 * 1024 * 1024;
constexpr int MaxRows = 100000;

class CZip
{
public:
    explicit CZip(const QString& path) : m_zip(unzOpen64(QFile::encodeName(path).constData())) {}
    ~CZip()
    {
        if (m_zip)
            unzClose(m_zip);
    }
    CZip(const CZip&) = delete;
    CZip& operator=(const CZip&) = delete;

    bool IsOpen() const { return m_zip != nullptr; }

    // The part's bytes; nothing when it is missing, damaged or too large.
    std::optional<QByteArray> Read(const QString& name)
    {
        if (unzLocateFile(m_zip, name.toUtf8().constData(), 1) != UNZ_OK)
            return std::nullopt;
        unz_file_info64 info{};
        if (unzGetCurrentFileInfo64(m_zip, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK ||
            info.uncompressed_size > quint64(MaxPartBytes))
            return std::nullopt;
        if (unzOpenCurrentFile(m_zip) != UNZ_OK)
            return std::nullopt;
        QByteArray bytes(qsizetype(info.uncompressed_size), Qt::Uninitialized);
        const int read = unzReadCurrentFile(m_zip, bytes.data(), unsigned(bytes.size()));
        // Closing checks the CRC of what was read.
        const int closed = unzCloseCurrentFile(m_zip);
        if (read != int(bytes.size()) || closed != UNZ_OK)
            return std::nullopt;
        return bytes;
    }

private:
    unzFile m_zip;
};

// "AB12" -> column 27 (0-based).
int ColumnOf(QStringView reference)
{
    int column = 0;
    for (const QChar ch : reference) {
        if (ch < u'A' || ch > u'Z')
            break;
        column = column * 26 + (ch.unicode() - u'A' + 1);
    }
    return column - 1;
}

// The text of an <si> or <is>: its <t>, or the <t> of each rich run;
// phonetic runs (<rPh>) are not part of it. Ends on the item's end tag.
QString ReadStringItem(QXmlStreamReader& xml)
{
    QString text;
    int depth = 1;
    while (depth > 0 && !xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::EndElement) {
            --depth;
        } else if (token == QXmlStreamReader::StartElement) {
            if (xml.name() == u"t"_s)
                text += xml.readElementText();
            else if (xml.name() == u"rPh"_s)
                xml.skipCurrentElement();
            else
                ++depth;
        }
    }
    return text;
}

QString NumberText(const QString& stored)
{
    bool ok = false;
    const double value = stored.toDouble(&ok);
    if (ok && std::isfinite(value) && value == std::floor(value) && std::fabs(value) < 1e15)
        return QString::number(qint64(value));
    return stored;
}

} // namespace

CXlsxSheet ReadXlsxSheet(const QString& path)
{
    CXlsxSheet sheet;
    const QString broken = u"不是有效的 Excel 文件(.xlsx)"_s;
    CZip zip(path);
    if (!zip.IsOpen()) {
        sheet.strError = broken;
        return sheet;
    }

    // The first sheet of the workbook, through the workbook's relations.
    QString sheetPart = u"xl/worksheets/sheet1.xml"_s;
    const auto workbook = zip.Read(u"xl/workbook.xml"_s);
    const auto relations = zip.Read(u"xl/_rels/workbook.xml.rels"_s);
    if (!workbook) {
        sheet.strError = broken;
        return sheet;
    }
    QString firstId;
    for (QXmlStreamReader xml(*workbook); !xml.atEnd() && firstId.isEmpty();) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"sheet"_s) {
            for (const QXmlStreamAttribute& attribute : xml.attributes()) {
                if (attribute.name() == u"id"_s)
                    firstId = attribute.value().toString();
            }
        }
    }
    if (relations && !firstId.isEmpty()) {
        for (QXmlStreamReader xml(*relations); !xml.atEnd();) {
            if (xml.readNext() == QXmlStreamReader::StartElement &&
                xml.name() == u"Relationship"_s && xml.attributes().value(u"Id"_s) == firstId) {
                const QString target = xml.attributes().value(u"Target"_s).toString();
                sheetPart = target.startsWith(u'/') ? target.mid(1) : u"xl/"_s + target;
                break;
            }
        }
    }

    QStringList shared;
    if (const auto strings = zip.Read(u"xl/sharedStrings.xml"_s)) {
        for (QXmlStreamReader xml(*strings); !xml.atEnd();) {
            if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"si"_s)
                shared.append(ReadStringItem(xml));
        }
    }

    const auto part = zip.Read(sheetPart);
    if (!part) {
        sheet.strError = broken;
        return sheet;
    }
    QMap<int, QStringList> rows;
    QXmlStreamReader xml(*part);
    int rowIndex = -1;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == u"row"_s) {
            const int number = xml.attributes().value(u"r"_s).toInt();
            rowIndex = number > 0 ? number - 1 : rowIndex + 1;
            if (rowIndex >= MaxRows) {
                sheet.strError = u"文件的行数太多(超过 %1 行)"_s.arg(MaxRows);
                return sheet;
            }
            continue;
        }
        if (xml.name() != u"c"_s)
            continue;
        const QString type = xml.attributes().value(u"t"_s).toString();
        const int column = ColumnOf(xml.attributes().value(u"r"_s));
        QString value;
        bool bHasValue = false;
        while (xml.readNextStartElement()) {
            if (xml.name() == u"v"_s) {
                value = xml.readElementText();
                bHasValue = true;
            } else if (xml.name() == u"is"_s) {
                value = ReadStringItem(xml);
            } else {
                xml.skipCurrentElement();
            }
        }
        if (type == u"s"_s)
            value = bHasValue ? shared.value(value.toInt()) : QString();
        else if (type.isEmpty() || type == u"n"_s)
            value = NumberText(value);
        if (column < 0 || column > 1000 || rowIndex < 0)
            continue;
        QStringList& row = rows[rowIndex];
        while (row.size() <= column)
            row.append(QString());
        row[column] = value;
    }
    if (xml.hasError()) {
        sheet.strError = broken;
        return sheet;
    }
    int next = 0;
    for (auto it = rows.cbegin(); it != rows.cend(); ++it) {
        for (; next < it.key(); ++next)
            sheet.rows.append(QStringList());
        sheet.rows.append(it.value());
        ++next;
    }
    return sheet;
}
