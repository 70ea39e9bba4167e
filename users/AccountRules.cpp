#include "users/AccountRules.h"

using namespace Qt::Literals::StringLiterals;

namespace AccountRules {

QString CheckName(const QString& name)
{
    return name.isEmpty() ? u"用户姓名不能为空,请输入!"_s : QString();
}

QString CheckStudentNo(const QString& number)
{
    if (number.isEmpty())
        return u"学号不能为空,请输入!"_s;
    if (number.size() > MaxStudentNoChars)
        return u"学号最多%1位,请重新输入!"_s.arg(MaxStudentNoChars);
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
