#include "practice/Credits.h"

using namespace Qt::Literals::StringLiterals;

namespace Credits {

QString Title()
{
    return u"青禾中英文练习系统(QE V3.0)"_s;
}

QString AuthorName()
{
    return u"青禾开发组(禾苗)"_s;
}

QString ShortAuthorName()
{
    return u"禾"_s;
}

QString Email()
{
    return u"qe@example.org"_s;
}

QString WebHost()
{
    return u"qe.example.org"_s;
}

QString WebAddress()
{
    return u"http://qe.example.org"_s;
}

QStringList Lines()
{
    return {
        u"软件作者:%1"_s.arg(AuthorName()), u"☆☆☆:云帆联盟工作室"_s,
        u"即时通讯:QE-0000(示例号码)"_s,    u"电子邮箱:%1"_s.arg(Email()),
        u"网址:%1"_s.arg(WebAddress()),     u"地址:示例市青禾路1号 云帆联盟工作室"_s,
    };
}

QString Footer()
{
    return u"★◎中国云帆欢迎加入中国云帆联盟◎★"_s;
}

} // namespace Credits
