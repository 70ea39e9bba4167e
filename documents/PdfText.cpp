#include "documents/PdfText.h"

#include <QFile>
#include <QFont>
#include <QHash>
#include <QRawFont>
#include <QRegularExpression>
#include <QString>

#include <mutex>

using namespace Qt::Literals::StringLiterals;

namespace {

// Unicode's equivalent ideographs of the radicals, from the copy of
// EquivalentUnifiedIdeograph.txt the program carries ("2EE9 ; 9EC4 # …", or
// a range "2F00..2F01 ; 4E00").
QHash<uint, uint> UnicodeEquivalents()
{
    QHash<uint, uint> ideographs;
    QFile file(u":/unicode/EquivalentUnifiedIdeograph.txt"_s);
    if (!file.open(QIODevice::ReadOnly))
        return ideographs;
    static const QRegularExpression line(
        u"^([0-9A-F]{4,5})(?:\\.\\.([0-9A-F]{4,5}))?\\s*;\\s*([0-9A-F]{4,5})"_s);
    while (!file.atEnd()) {
        const auto match = line.match(QString::fromLatin1(file.readLine()));
        if (!match.hasMatch())
            continue;
        const uint first = match.captured(1).toUInt(nullptr, 16);
        const uint last =
            match.captured(2).isEmpty() ? first : match.captured(2).toUInt(nullptr, 16);
        for (uint radical = first; radical <= last; ++radical)
            ideographs.insert(radical, match.captured(3).toUInt(nullptr, 16));
    }
    return ideographs;
}

// The ideograph each radical stands for in the font the PDFs are painted
// with: the one the font draws with the radical's glyph (户 for ⼾ in a
// simplified-Chinese font, where Unicode's equivalent is the traditional
// 戶), else Unicode's equivalent. Made once a family.
QHash<uint, uint> Ideographs(const QString& family)
{
    static std::mutex mutex;
    static QHash<QString, QHash<uint, uint>> tables;
    const std::lock_guard lock(mutex);
    if (const auto found = tables.constFind(family); found != tables.cend())
        return *found;
    const QRawFont font = QRawFont::fromFont(QFont(family));
    QString unified;
    for (char16_t c = 0x4E00; c <= 0x9FFF; ++c)
        unified.append(QChar(c));
    const QList<quint32> glyphs = font.glyphIndexesForString(unified);
    QHash<quint32, uint> byGlyph;
    for (qsizetype i = 0; i < glyphs.size(); ++i) {
        if (glyphs[i] != 0 && !byGlyph.contains(glyphs[i]))
            byGlyph.insert(glyphs[i], 0x4E00 + uint(i));
    }
    const auto glyphOf = [&font](uint code) {
        const QList<quint32> glyph = font.glyphIndexesForString(QString(QChar(char16_t(code))));
        return glyph.value(0, 0);
    };
    QHash<uint, uint> table = UnicodeEquivalents();
    for (auto it = table.begin(); it != table.end(); ++it) {
        const quint32 glyph = glyphOf(it.key());
        const uint same = glyph == 0 ? 0 : byGlyph.value(glyph, 0);
        if (same != 0 && glyphOf(it.value()) != glyph)
            it.value() = same;
    }
    tables.insert(family, table);
    return table;
}

// A four-digit destination <XXXX> at pos, rewritten in place when it names
// a radical whose ideograph also fits four digits.
void MapDestination(QByteArray& pdf, qsizetype pos, const QHash<uint, uint>& ideographs)
{
    const uint code = pdf.mid(pos + 1, 4).toUInt(nullptr, 16);
    const uint ideograph = ideographs.value(code, 0);
    if (ideograph == 0 || ideograph > 0xFFFF)
        return;
    const QByteArray hex = QByteArray::number(ideograph, 16).toUpper().rightJustified(4, '0');
    pdf.replace(pos + 1, 4, hex);
}

// The lines of one ToUnicode map between from and to: in a bfrange line
// "<a> <b> [<u> …]" every destination, in "<a> <a> <u>" and in a bfchar
// line "<a> <u>" the destination (a range of glyphs mapped to a run of
// code points that continues in order is left as it is).
void MapCMap(QByteArray& pdf, qsizetype from, qsizetype to, const QHash<uint, uint>& ideographs)
{
    enum class Section { None, Chars, Ranges };
    static const QRegularExpression token(u"<[0-9A-Fa-f]{4}>|\\[|\\]|\\n"_s);
    const QString text = QString::fromLatin1(pdf.mid(from, to - from));
    Section section = Section::None;
    QList<qsizetype> line; // the tokens of the line outside an array
    bool bInArray = false;
    qsizetype lineStart = 0;
    for (auto it = token.globalMatch(text); it.hasNext();) {
        const auto match = it.next();
        const QStringView found = match.capturedView();
        const qsizetype at = from + match.capturedStart();
        if (found == u"[") {
            bInArray = true;
        } else if (found == u"]") {
            bInArray = false;
        } else if (found != u"\n") {
            if (bInArray && section == Section::Ranges)
                MapDestination(pdf, at, ideographs);
            else
                line.append(at);
        } else {
            const QStringView words =
                QStringView(text).mid(lineStart, match.capturedStart() - lineStart);
            if (section == Section::Ranges && line.size() == 3 &&
                pdf.mid(line[0], 6) == pdf.mid(line[1], 6))
                MapDestination(pdf, line[2], ideographs);
            else if (section == Section::Chars && line.size() == 2)
                MapDestination(pdf, line[1], ideographs);
            if (words.contains(u"beginbfrange"))
                section = Section::Ranges;
            else if (words.contains(u"beginbfchar"))
                section = Section::Chars;
            else if (words.contains(u"endbf"))
                section = Section::None;
            line.clear();
            lineStart = match.capturedEnd();
        }
    }
}

} // namespace

QByteArray WithIdeographsForRadicals(QByteArray pdf, const QString& fontFamily)
{
    const QHash<uint, uint> ideographs = Ideographs(fontFamily);
    for (qsizetype from = pdf.indexOf("begincmap"); from >= 0;
         from = pdf.indexOf("begincmap", from)) {
        const qsizetype to = pdf.indexOf("endcmap", from);
        if (to < 0)
            break;
        MapCMap(pdf, from, to, ideographs);
        from = to;
    }
    return pdf;
}
