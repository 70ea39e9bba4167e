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

} // namespace

namespace AccountRules {

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
