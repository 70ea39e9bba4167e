#include "texts/TextRules.h"

#include "attempts/PracticeKind.h"
#include "platform/Gbk.h"
#include "practice/QeDoc.h"

#include <QSet>
#include <QStringDecoder>
#include <QStringEncoder>

using namespace Qt::Literals::StringLiterals;

namespace {

bool IsAsciiDigit(char32_t c)
{
    return c >= U'0' && c <= U'9';
}

bool IsAsciiLetter(char32_t c)
{
    return (c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z');
}

// Line breaks stay; a tab is a space; other control characters go.
bool Keep(char32_t c)
{
    return c == U'\r' || c == U'\n' || c >= 0x20;
}

QList<char32_t> CodePoints(const QString& text)
{
    QList<char32_t> points;
    points.reserve(text.size());
    for (const char32_t c : text.toUcs4())
        points.append(c == U'\t' ? U' ' : c);
    return points;
}

QString FromCodePoints(const QList<char32_t>& points)
{
    return QString::fromUcs4(points.constData(), points.size());
}

// Every half-width character of a Chinese text becomes full-width, so that
// each takes one cell as a double-byte character: a half-width space would
// take a cell with another space, and typing one space followed by the next
// letter leaves that cell blank and swallows the letter.
QString NormaliseChinese(const QList<char32_t>& in)
{
    QList<char32_t> out;
    out.reserve(in.size());
    bool bDoubleOpen = false;
    bool bSingleOpen = false;
    for (qsizetype i = 0; i < in.size(); ++i) {
        const char32_t c = in[i];
        if (!Keep(c))
            continue;
        if (c == U'\r' || c == U'\n') {
            bDoubleOpen = bSingleOpen = false; // quotes pair within a paragraph
            out.append(c);
            continue;
        }
        if (c == U' ') {
            out.append(U'\u3000');
            continue;
        }
        if (c > 0x7E) {
            out.append(c);
            continue;
        }
        const char32_t before = i > 0 ? in[i - 1] : 0;
        const char32_t after = i + 1 < in.size() ? in[i + 1] : 0;
        if (c == U'.' && IsAsciiDigit(before) && IsAsciiDigit(after)) {
            out.append(U'．'); // 3.14
        } else if (c == U'\'' && IsAsciiLetter(before) && IsAsciiLetter(after)) {
            out.append(U'’'); // don't
        } else if (c == U'.' && after == U'.' && i + 2 < in.size() && in[i + 2] == U'.') {
            out.append(U'…');
            out.append(U'…');
            i += 2;
        } else if (c == U'.') {
            out.append(U'。');
        } else if (c == U'"') {
            out.append(bDoubleOpen ? U'”' : U'“');
            bDoubleOpen = !bDoubleOpen;
        } else if (c == U'\'') {
            out.append(bSingleOpen ? U'’' : U'‘');
            bSingleOpen = !bSingleOpen;
        } else {
            out.append(c + 0xFEE0); // the full-width form
        }
    }
    return FromCodePoints(out);
}

QString NormaliseSingleByte(const QList<char32_t>& in)
{
    QList<char32_t> out;
    out.reserve(in.size());
    for (const char32_t c : in) {
        if (!Keep(c))
            continue;
        if (c >= 0xFF01 && c <= 0xFF5E)
            out.append(c - 0xFEE0);
        else if (c == U'\u3000')
            out.append(U' ');
        else if (c == U'“' || c == U'”')
            out.append(U'"');
        else if (c == U'‘' || c == U'’')
            out.append(U'\'');
        else if (c == U'。')
            out.append(U'.');
        else if (c == U'、')
            out.append(U',');
        else if (c == U'—' || c == U'–')
            out.append(U'-');
        else if (c == U'…')
            out.append({U'.', U'.', U'.'});
        else
            out.append(c);
    }
    return FromCodePoints(out);
}

// Whether GBK holds the character: it survives the way there and back.
bool InGbk(char32_t c)
{
    const QString text = QString::fromUcs4(&c, 1);
    QStringEncoder encoder("GBK", QStringConverter::Flag::Stateless);
    const QByteArray bytes = encoder.encode(text);
    if (encoder.hasError() || bytes.isEmpty() || bytes.size() > 2)
        return false;
    QStringDecoder decoder("GBK", QStringConverter::Flag::Stateless);
    const QString back = decoder.decode(bytes);
    return !decoder.hasError() && back == text;
}

// The characters of the list that GBK does not hold. All of them go there
// and back at once: each comes back as one character, itself when GBK
// holds it; only when the counts differ is each one asked on its own.
QList<bool> NotInGbk(const QList<char32_t>& points)
{
    QStringEncoder encoder("GBK", QStringConverter::Flag::Stateless);
    QStringDecoder decoder("GBK", QStringConverter::Flag::Stateless);
    const QString back =
        decoder.decode(encoder.encode(QString::fromUcs4(points.constData(), points.size())));
    const QList<uint> returned = back.toUcs4();
    QList<bool> refused(points.size());
    for (qsizetype i = 0; i < points.size(); ++i) {
        refused[i] =
            returned.size() == points.size() ? returned[i] != points[i] : !InGbk(points[i]);
    }
    return refused;
}

constexpr qsizetype RowColumns = CQeDoc::Columns;
constexpr qsizetype RowCells = CQeDoc::Cells;

// Single-byte text in rows of whole words: a word that does not fit the
// row's end starts the next row, the cells left filled with NUL; a word
// longer than a row is cut. Spaces at a row's start go.
QByteArray WholeWords(const QByteArray& bytes)
{
    QByteArray text;
    text.reserve(bytes.size());
    for (const char c : bytes) {
        if (c != '\r' && c != '\n')
            text.append(c);
        else if (!text.isEmpty() && !text.endsWith(' '))
            text.append(' ');
    }
    QByteArray rows;
    rows.reserve(text.size() + text.size() / 8);
    QByteArray row;
    const auto endRow = [&] {
        rows += row.leftJustified(RowColumns, '\0');
        row.clear();
    };
    for (qsizetype i = 0; i < text.size();) {
        if (text[i] == ' ') {
            if (!row.isEmpty())
                row.append(' ');
            if (row.size() == RowColumns)
                endRow();
            ++i;
            continue;
        }
        qsizetype end = text.indexOf(' ', i);
        if (end < 0)
            end = text.size();
        if (!row.isEmpty() && row.size() + (end - i) > RowColumns)
            endRow();
        for (; i < end; ++i) {
            row.append(text[i]);
            if (row.size() == RowColumns)
                endRow();
        }
    }
    return rows + row; // the last row as long as its text
}

// GBK cells (two bytes each, line breaks passed over as the loader does)
// where no row starts with a closing mark: the cell before the mark moves
// down with it, and a NUL cell takes its place.
QByteArray NoClosingMarkFirst(const QByteArray& bytes)
{
    static const QSet<QByteArray> closing = [] {
        QSet<QByteArray> marks;
        QStringEncoder encoder("GBK", QStringConverter::Flag::Stateless);
        for (const QChar mark : u"，。、；：？！）》」』”’…"_s)
            marks.insert(encoder.encode(QString(mark)));
        return marks;
    }();
    QList<QByteArray> cells;
    for (qsizetype i = 0; i < bytes.size();) {
        if (bytes[i] == '\r' || bytes[i] == '\n') {
            ++i;
            continue;
        }
        cells.append(bytes.mid(i, 2));
        i += 2;
    }
    QByteArray rows;
    rows.reserve(bytes.size() + bytes.size() / 16);
    qsizetype inRow = 0;
    for (qsizetype k = 0; k < cells.size(); ++k) {
        if (inRow == RowCells - 1 && k + 1 < cells.size() && closing.contains(cells[k + 1]) &&
            !closing.contains(cells[k])) {
            rows += QByteArray(2, '\0');
            inRow = 0;
        }
        rows += cells[k];
        inRow = (inRow + 1) % RowCells;
    }
    return rows;
}

} // namespace

namespace TextRules {

QString Normalise(const QString& body, int kind)
{
    const QList<char32_t> points = CodePoints(body);
    return kind == PracticeKind::Chinese ? NormaliseChinese(points) : NormaliseSingleByte(points);
}

QStringList Refused(const QString& body, int kind)
{
    // Most bodies go to GBK and back whole; only the others are looked at
    // character by character.
    if (kind == PracticeKind::Chinese) {
        QStringDecoder decoder("GBK", QStringConverter::Flag::Stateless);
        QStringEncoder encoder("GBK", QStringConverter::Flag::Stateless);
        const QByteArray bytes = encoder.encode(body);
        const QString back = decoder.decode(bytes);
        if (!encoder.hasError() && !decoder.hasError() && back == body)
            return {};
    }
    // Each character once, in order of first use.
    QList<char32_t> distinct;
    QSet<char32_t> seen;
    for (const char32_t c : body.toUcs4()) {
        if (c >= 0x7F && !seen.contains(c)) {
            seen.insert(c);
            distinct.append(c);
        }
    }
    QStringList refused;
    const QList<bool> outside =
        kind == PracticeKind::Chinese ? NotInGbk(distinct) : QList<bool>(distinct.size(), true);
    for (qsizetype i = 0; i < distinct.size(); ++i) {
        if (outside[i] && (kind != PracticeKind::Chinese || distinct[i] >= 0x80))
            refused.append(QString::fromUcs4(&distinct[i], 1));
    }
    return refused;
}

QByteArray FileBytes(const QString& body, int kind)
{
    QByteArray bytes;
    if (kind != PracticeKind::Chinese) {
        bytes.reserve(body.size());
        for (const QChar c : body)
            bytes.append(c.unicode() < 0x80 ? char(c.unicode()) : '?');
        return WholeWords(bytes);
    }
    QStringEncoder encoder("GBK", QStringConverter::Flag::Stateless);
    const QByteArray encoded = encoder.encode(body);
    bytes.reserve(2 * encoded.size());
    for (qsizetype i = 0; i < encoded.size(); ++i) {
        const auto byte = static_cast<unsigned char>(encoded[i]);
        if (Gbk::IsLeadByte(byte) && i + 1 < encoded.size()) {
            bytes.append(encoded.constData() + i, 2);
            ++i;
        } else {
            // A single-byte character takes its cell with a space after it;
            // line breaks are read past.
            bytes.append(char(byte));
            if (byte != '\r' && byte != '\n')
                bytes.append(' ');
        }
    }
    return NoClosingMarkFirst(bytes);
}

std::optional<QString> DecodeFile(const QByteArray& bytes)
{
    // A text file holds no NUL bytes (a word processor's file does).
    if (bytes.contains('\0'))
        return std::nullopt;
    QStringDecoder utf8(QStringConverter::Utf8);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError()) {
        if (text.startsWith(QChar(0xFEFF)))
            text.remove(0, 1);
        return text;
    }
    // The GBK decoder reports no errors (it maps bytes it does not know to
    // something): the bytes are GBK when the text leads back to them.
    QStringDecoder gbk("GBK", QStringConverter::Flag::Stateless);
    text = gbk.decode(bytes);
    QStringEncoder back("GBK", QStringConverter::Flag::Stateless);
    if (!gbk.isValid() || QByteArray(back.encode(text)) != bytes)
        return std::nullopt;
    // Byte pairs outside the characters land in the private use area.
    for (const QChar c : std::as_const(text)) {
        if (c.unicode() >= 0xE000 && c.unicode() <= 0xF8FF)
            return std::nullopt;
    }
    return text;
}

} // namespace TextRules
