#include "users/AccountRules.h"

#include "platform/Gbk.h"

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace AccountRules {

QString CheckName(const QString& name)
{
    if (name.isEmpty())
        return u"用户姓名不能为空,请输入!"_s;
    if (Gbk::Encode(name).size() > MaxTextBytes)
        return u"用户姓名太长,请重新输入!"_s;
    return {};
}

QString CheckClass(const QString& className)
{
    if (className.isEmpty())
        return u"班级不能为空,请输入!"_s;
    if (Gbk::Encode(className).size() > MaxTextBytes)
        return u"班级名称太长,请重新输入!"_s;
    return {};
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
