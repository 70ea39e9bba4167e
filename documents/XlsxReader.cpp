#include "documents/XlsxReader.h"

#include <QFile>
#include <QIODevice>
#include <QXmlStreamReader>

#include <unzip.h>

#include <algorithm>
#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int LastColumn = 16383; // XFD

// One part of the zip as a device that inflates as it is read and stops
// past the limit, when the reading is cancelled, or at a damaged stream.
class CZipPart : public QIODevice
{
public:
    CZipPart(unzFile zip, qint64 limit, CReadProgress* progress)
        : m_zip(zip), m_nLimit(limit), m_pProgress(progress)
    {
    }
    ~CZipPart() override { Finish(); }

    // Opens the named part; false when it is missing or damaged.
    bool OpenPart(const QString& name)
    {
        if (unzLocateFile(m_zip, name.toUtf8().constData(), 1) != UNZ_OK)
            return false;
        unz_file_info64 info{};
        if (unzGetCurrentFileInfo64(m_zip, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK)
            return false;
        m_nDeclared = qint64(std::min<quint64>(info.uncompressed_size, quint64(1) << 62));
        m_strName = name;
        if (m_nDeclared > m_nLimit) {
            m_bTooLarge = true; // the directory says so: nothing is inflated
            return true;
        }
        if (unzOpenCurrentFile(m_zip) != UNZ_OK)
            return false;
        m_bOpen = true;
        return open(QIODevice::ReadOnly);
    }
    bool isSequential() const override { return true; }
    bool IsTooLarge() const { return m_bTooLarge; }
    bool IsCancelled() const { return m_bCancelled; }
    // Closes the part; false when its stream or checksum was damaged.
    bool Finish()
    {
        if (!m_bOpen)
            return !m_bDamaged;
        m_bOpen = false;
        return unzCloseCurrentFile(m_zip) == UNZ_OK && !m_bDamaged;
    }
    const QString& Name() const { return m_strName; }

protected:
    qint64 readData(char* data, qint64 maxSize) override
    {
        if (!m_bOpen || m_bTooLarge || m_bCancelled || m_bDamaged)
            return -1;
        if (m_pProgress && m_pProgress->IsCancelled()) {
            m_bCancelled = true;
            return -1;
        }
        const int read =
            unzReadCurrentFile(m_zip, data, unsigned(std::min<qint64>(maxSize, 1 << 20)));
        if (read < 0) {
            m_bDamaged = true;
            return -1;
        }
        m_nRead += read;
        if (m_nRead > m_nLimit) {
            m_bTooLarge = true;
            return -1;
        }
        if (m_pProgress && m_nDeclared > 0)
            m_pProgress->SetPermille(int(std::min<qint64>(1000, m_nRead * 1000 / m_nDeclared)));
        return read;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    unzFile m_zip;
    qint64 m_nLimit;
    CReadProgress* m_pProgress;
    QString m_strName;
    qint64 m_nDeclared = 0;
    qint64 m_nRead = 0;
    bool m_bOpen = false;
    bool m_bTooLarge = false;
    bool m_bCancelled = false;
    bool m_bDamaged = false;
};

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
    unzFile Get() const { return m_zip; }

private:
    unzFile m_zip;
};

// The reading of one sheet: the failure found first ends it.
class CSheetReader
{
public:
    CSheetReader(const QString& path, const CReadLimits& limits, CReadProgress* progress)
        : m_zip(path), m_limits(limits), m_pProgress(progress)
    {
    }
    CCellTable Read();

private:
    // Reads the part through parse(xml); false (with m_table's error set)
    // when it is missing, damaged, too large or cancelled.
    template <class Parse> bool ReadPart(const QString& name, bool bRequired, Parse parse);
    bool Fail(const QString& error)
    {
        if (m_table.strError.isEmpty())
            m_table.strError = error;
        return false;
    }
    QString ReadStringItem(QXmlStreamReader& xml);
    bool ReadWorkbook(QXmlStreamReader& xml);
    bool ReadRelations(QXmlStreamReader& xml);
    bool ReadSharedStrings(QXmlStreamReader& xml);
    bool ReadSheet(QXmlStreamReader& xml);
    bool AddCell(int rowNumber, int column, const QString& value, QStringView reference);

    CZip m_zip;
    const CReadLimits& m_limits;
    CReadProgress* m_pProgress;
    CCellTable m_table;
    QString m_strFirstId;
    QString m_strSheetPart = u"xl/worksheets/sheet1.xml"_s;
    QStringList m_shared;
    int m_nCells = 0;
    const QString m_strBroken = u"不是有效的 Excel 文件(.xlsx)"_s;
};

template <class Parse> bool CSheetReader::ReadPart(const QString& name, bool bRequired, Parse parse)
{
    CZipPart part(m_zip.Get(), m_limits.nMaxPartBytes, m_pProgress);
    if (!part.OpenPart(name))
        return !bRequired || Fail(m_strBroken);
    QXmlStreamReader xml(&part);
    const bool bParsed = !part.IsTooLarge() && parse(xml);
    if (part.IsCancelled()) {
        m_table.bCancelled = true;
        return false;
    }
    if (part.IsTooLarge())
        return Fail(u"文件解压后太大(%1 超过 %2 MB)"_s.arg(name).arg(m_limits.nMaxPartBytes >> 20));
    if (!bParsed)
        return false;
    if (xml.hasError() || !part.Finish())
        return Fail(m_strBroken);
    return true;
}

// The text of an <si> or <is>: its <t>, or the <t> of each rich run;
// phonetic runs (<rPh>) are not part of it. Ends on the item's end tag.
QString CSheetReader::ReadStringItem(QXmlStreamReader& xml)
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

bool CSheetReader::ReadWorkbook(QXmlStreamReader& xml)
{
    while (!xml.atEnd() && m_strFirstId.isEmpty()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"sheet"_s) {
            for (const QXmlStreamAttribute& attribute : xml.attributes()) {
                if (attribute.name() == u"id"_s)
                    m_strFirstId = attribute.value().toString();
            }
        }
    }
    return true;
}

bool CSheetReader::ReadRelations(QXmlStreamReader& xml)
{
    while (!xml.atEnd() && !m_strFirstId.isEmpty()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"Relationship"_s &&
            xml.attributes().value(u"Id"_s) == m_strFirstId) {
            const QString target = xml.attributes().value(u"Target"_s).toString();
            m_strSheetPart = target.startsWith(u'/') ? target.mid(1) : u"xl/"_s + target;
            break;
        }
    }
    return true;
}

bool CSheetReader::ReadSharedStrings(QXmlStreamReader& xml)
{
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement || xml.name() != u"si"_s)
            continue;
        if (m_shared.size() >= m_limits.nMaxCells)
            return Fail(u"工作表的文字太多(超过 %1 段)"_s.arg(m_limits.nMaxCells));
        m_shared.append(ReadStringItem(xml));
        if (m_shared.last().size() > m_limits.nMaxFieldChars)
            return Fail(u"文件中有一段文字太长(超过 %1 个字符)"_s.arg(m_limits.nMaxFieldChars));
    }
    return true;
}

QString NumberText(const QString& stored)
{
    bool ok = false;
    const double value = stored.toDouble(&ok);
    if (ok && std::isfinite(value) && value == std::floor(value) && std::fabs(value) < 1e15)
        return QString::number(qint64(value));
    return stored;
}

bool CSheetReader::AddCell(int rowNumber, int column, const QString& value, QStringView reference)
{
    if (value.size() > m_limits.nMaxFieldChars)
        return Fail(u"单元格 %1 的内容太长(超过 %2 个字符)"_s.arg(reference.toString())
                        .arg(m_limits.nMaxFieldChars));
    if (value.isEmpty())
        return true;
    if (++m_nCells > m_limits.nMaxCells)
        return Fail(u"工作表的单元格太多(超过 %1 个)"_s.arg(m_limits.nMaxCells));
    // Rows come in order; a row given twice, or out of order, is merged
    // into the row of its number.
    QList<CCellRow>& rows = m_table.rows;
    auto it = rows.end();
    if (rows.isEmpty() || rows.last().nLine < rowNumber) {
        it = rows.insert(rows.end(), CCellRow());
    } else {
        it = std::lower_bound(rows.begin(), rows.end(), rowNumber,
                              [](const CCellRow& row, int number) { return row.nLine < number; });
        if (it == rows.end() || it->nLine != rowNumber)
            it = rows.insert(it, CCellRow());
    }
    CCellRow* row = &*it;
    row->nLine = row->nLastLine = rowNumber;
    qsizetype at = row->columns.size();
    while (at > 0 && row->columns[at - 1] >= column)
        --at;
    if (at < row->columns.size() && row->columns[at] == column) {
        row->texts[at] = value;
    } else {
        row->columns.insert(at, column);
        row->texts.insert(at, value);
    }
    return true;
}

bool CSheetReader::ReadSheet(QXmlStreamReader& xml)
{
    int rowNumber = 0;
    int column = -1;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == u"row"_s) {
            const int number = xml.attributes().value(u"r"_s).toInt();
            rowNumber = number > 0 ? number : rowNumber + 1;
            if (rowNumber > m_limits.nMaxRows)
                return Fail(u"工作表的行数太多(超过 %1 行)"_s.arg(m_limits.nMaxRows));
            column = -1;
            continue;
        }
        if (xml.name() != u"c"_s || rowNumber == 0)
            continue;
        const QString type = xml.attributes().value(u"t"_s).toString();
        const QString reference = xml.attributes().value(u"r"_s).toString();
        // A cell without its reference follows the one before it.
        column = reference.isEmpty() ? column + 1 : XlsxColumnOf(reference);
        if (column < 0 || column > LastColumn)
            return Fail(
                u"单元格位置“%1”超出了工作表的范围(最后一列是 XFD)"_s.arg(reference.left(20)));
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
            value = bHasValue ? m_shared.value(value.toInt()) : QString();
        else if (type.isEmpty() || type == u"n"_s)
            value = NumberText(value);
        if (!AddCell(rowNumber, column, value, reference))
            return false;
    }
    return true;
}

CCellTable CSheetReader::Read()
{
    if (!m_zip.Get()) {
        Fail(m_strBroken);
        return m_table;
    }
    // The first sheet of the workbook, through the workbook's relations.
    const bool bRead =
        ReadPart(u"xl/workbook.xml"_s, true,
                 [this](QXmlStreamReader& xml) { return ReadWorkbook(xml); }) &&
        ReadPart(u"xl/_rels/workbook.xml.rels"_s, false,
                 [this](QXmlStreamReader& xml) { return ReadRelations(xml); }) &&
        ReadPart(u"xl/sharedStrings.xml"_s, false,
                 [this](QXmlStreamReader& xml) { return ReadSharedStrings(xml); }) &&
        ReadPart(m_strSheetPart, true, [this](QXmlStreamReader& xml) { return ReadSheet(xml); });
    if (!bRead)
        m_table.rows.clear();
    return m_table;
}

} // namespace

int XlsxColumnOf(QStringView reference)
{
    int column = 0;
    int letters = 0;
    for (const QChar ch : reference) {
        if (ch < u'A' || ch > u'Z')
            break;
        // Three letters reach XFD; a fourth is past any sheet, and the sum
        // stays far from overflowing.
        if (++letters > 3)
            return -1;
        column = column * 26 + (ch.unicode() - u'A' + 1);
    }
    return letters == 0 || column - 1 > LastColumn ? -1 : column - 1;
}

CCellTable ReadXlsxSheet(const QString& path, const CReadLimits& limits, CReadProgress* progress)
{
    return CSheetReader(path, limits, progress).Read();
}
