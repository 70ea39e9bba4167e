#include "users/AccountRules.h"

#include "platform/Gbk.h"

#include <QList>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {

// Characters that draw nothing although they are letters to Unicode: the
// Hangul fillers and the blank Braille pattern.
bool IsBlankLetter(char32_t c)
{
    return c == 0x115F || c == 0x1160 || c == 0x3164 || c == 0xFFA0 || c == 0x2800;
}

QString CodePoint(char32_t c)
{
    return u"U+%1"_s.arg(QString::number(uint(c), 16).toUpper().rightJustified(4, u'0'));
}

// Why the text cannot be a name or class ("用户姓名" or "班级名称"), or empty.
QString CheckCharacters(const QString& text, const QString& what)
{
    // A lone surrogate stands for no character (toUcs4 would read it as
    // U+FFFD, a visible one).
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        else if (text[i].isSurrogate())
            return u"%1中有无法显示的字符 %2,请重新输入!"_s.arg(what, CodePoint(text[i].unicode()));
    }
    bool bVisible = false;
    for (const char32_t c : text.toUcs4()) {
        switch (QChar::category(c)) {
        case QChar::Other_Control:
            if (c == U'\t')
                return u"%1中有制表符,请重新输入!"_s.arg(what);
            if (c == U'\n' || c == U'\r')
                return u"%1中有换行符,请重新输入!"_s.arg(what);
            return u"%1中有控制字符 %2,请重新输入!"_s.arg(what, CodePoint(c));
        case QChar::Other_Format:
        case QChar::Separator_Line:
        case QChar::Separator_Paragraph:
            return u"%1中有看不见的字符 %2(如文字方向符、零宽字符),请重新输入!"_s.arg(what,
                                                                                      CodePoint(c));
        case QChar::Other_Surrogate:
        case QChar::Other_PrivateUse:
        case QChar::Other_NotAssigned:
            return u"%1中有无法显示的字符 %2,请重新输入!"_s.arg(what, CodePoint(c));
        case QChar::Separator_Space:
        case QChar::Mark_NonSpacing:
        case QChar::Mark_Enclosing:
            break;
        default:
            bVisible = bVisible || !IsBlankLetter(c);
        }
    }
    if (!text.isEmpty() && !bVisible)
        return u"%1中没有看得见的字符,请重新输入!"_s.arg(what);
    return {};
}

// The letters a name may hold, by alphabet; the look-alike ones must not
// meet in one word.
enum class Alphabet { None, Other, Latin, Greek, Cyrillic };

Alphabet AlphabetOf(char32_t c)
{
    const auto in = [c](char32_t first, char32_t last) { return c >= first && c <= last; };
    if (in(U'A', U'Z') || in(U'a', U'z') || in(0xC0, 0xD6) || in(0xD8, 0xF6) || in(0xF8, 0x24F))
        return Alphabet::Latin;
    if (in(0x391, 0x3A1) || in(0x3A3, 0x3A9) || in(0x3B1, 0x3C9))
        return Alphabet::Greek;
    if (c == 0x401 || c == 0x451 || in(0x410, 0x44F))
        return Alphabet::Cyrillic;
    // Han (and 〇), kana, and the digits, half- and full-width.
    if (in(0x3400, 0x4DBF) || in(0x4E00, 0x9FFF) || in(0xF900, 0xFAFF) || in(0x20000, 0x2FA1F) ||
        c == 0x3007 || in(0x3041, 0x3096) || in(0x30A1, 0x30FA) || c == 0x30FC || in(U'0', U'9') ||
        in(0xFF10, 0xFF19))
        return Alphabet::Other;
    return Alphabet::None;
}

// A space (the ideographic one of "李　华" too), the middle dots · and ・,
// and the brackets of "初一(2)班".
bool IsWordBreak(char32_t c)
{
    return c == U' ' || c == 0x3000 || c == 0xB7 || c == 0x30FB || c == U'(' || c == U')' ||
           c == 0xFF08 || c == 0xFF09;
}

QString CheckVisibleText(const QString& text, const QString& what)
{
    if (text != text.trimmed())
        return u"%1的前后不能有空格,请重新输入!"_s.arg(what);
    QString word;
    QList<Alphabet> alphabets;
    // A space after the last word ends it too.
    QList<uint> characters = text.toUcs4();
    characters.append(U' ');
    for (const char32_t c : std::as_const(characters)) {
        if (IsWordBreak(c)) {
            if (alphabets.count(Alphabet::Latin) + alphabets.count(Alphabet::Greek) +
                    alphabets.count(Alphabet::Cyrillic) >
                1)
                return u"%1的“%2”中混用了看起来一样的不同字母(如拉丁字母和西里尔字母),请重新输入!"_s
                    .arg(what, word);
            word.clear();
            alphabets.clear();
            continue;
        }
        const Alphabet alphabet = AlphabetOf(c);
        if (alphabet == Alphabet::None)
            return u"%1中有不能用的字符 %2(只能用汉字、字母、数字、括号、间隔号“·”和中间的空格),"
                   "请重新输入!"_s.arg(what, CodePoint(c));
        word += QString::fromUcs4(&c, 1);
        if (alphabet != Alphabet::Other && !alphabets.contains(alphabet))
            alphabets.append(alphabet);
    }
    return {};
}

} // namespace

namespace AccountRules {

QString CheckPupilName(const QString& name)
{
    const QString refusal = CheckName(name);
    return refusal.isEmpty() ? CheckVisibleText(name, u"用户姓名"_s) : refusal;
}

QString CheckPupilClass(const QString& className)
{
    const QString refusal = CheckClass(className);
    return refusal.isEmpty() ? CheckVisibleText(className, u"班级名称"_s) : refusal;
}

QString CheckNameCharacters(const QString& name)
{
    return CheckCharacters(name, u"用户姓名"_s);
}

QString CheckClassCharacters(const QString& className)
{
    return CheckCharacters(className, u"班级名称"_s);
}

QString CheckName(const QString& name)
{
    if (name.isEmpty())
        return u"用户姓名不能为空,请输入!"_s;
    if (Gbk::Encode(name).size() > MaxTextBytes)
        return u"用户姓名太长,请重新输入!"_s;
    return CheckNameCharacters(name);
}

QString CheckClass(const QString& className)
{
    if (className.isEmpty())
        return u"班级不能为空,请输入!"_s;
    if (Gbk::Encode(className).size() > MaxTextBytes)
        return u"班级名称太长,请重新输入!"_s;
    return CheckClassCharacters(className);
}

QString CheckStudentNo(const QString& number)
{
    if (number.isEmpty())
        return u"学号不能为空,请输入!"_s;
    if (number.size() > MaxStudentNoChars)
        return u"学号最多%1位,请重新输入!"_s.arg(MaxStudentNoChars);
    if (!std::all_of(number.cbegin(), number.cend(),
                     [](QChar ch) { return ch >= u'0' && ch <= u'9'; }))
        return u"学号只能由数字组成,请重新输入!"_s;
    return {};
}

QString CheckPassword(const QString& password, bool bRequired)
{
    if (bRequired && password.isEmpty())
        return u"密码不能为空,请输入!"_s;
    if (password.size() > MaxPasswordChars)
        return u"密码最多%1位,请重新输入!"_s.arg(MaxPasswordChars);
    return {};
}

} // namespace AccountRules
