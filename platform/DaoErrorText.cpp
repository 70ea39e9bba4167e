#include "platform/DaoErrorText.h"

#include <QStringList>

using namespace Qt::Literals::StringLiterals;

namespace {

struct Explanation
{
    QStringList fragments; // any one of them, found in the engine's text
    QString text;
};

// In order: a refused login also reports the connection that failed.
const QList<Explanation>& Explanations()
{
    static const QList<Explanation> explanations{
        {{u"authentication failed"_s, u"no pg_hba.conf entry"_s, u"role \""_s},
         u"数据库服务器拒绝登录,请检查用户名和密码!"_s},
        {{u"database \""_s}, u"数据库服务器上没有这个数据库!"_s},
        {{u"could not connect"_s, u"connection refused"_s, u"could not translate host name"_s,
          u"timeout expired"_s, u"no route to host"_s, u"network is unreachable"_s,
          u"server closed the connection"_s, u"no connection to the server"_s,
          u"connection to server"_s},
         u"无法连接数据库服务器,请检查服务器是否已启动、地址是否正确!"_s},
        {{u"unable to open database file"_s}, u"找不到数据库文件,或没有打开它的权限!"_s},
        {{u"not a database"_s, u"database disk image is malformed"_s},
         u"这个文件不是本系统的数据库,或者已经损坏!"_s},
        {{u"database is locked"_s, u"database table is locked"_s},
         u"数据库正被另一个程序使用,请稍后再试!"_s},
        {{u"readonly database"_s, u"read-only"_s}, u"数据库是只读的,无法保存更改!"_s},
    };
    return explanations;
}

} // namespace

QString ExplainDaoError(const QString& engineText)
{
    for (const Explanation& explanation : Explanations()) {
        for (const QString& fragment : explanation.fragments) {
            if (engineText.contains(fragment, Qt::CaseInsensitive))
                return u"%1\n%2"_s.arg(explanation.text, engineText);
        }
    }
    return engineText;
}
