#include "classroom/ClassNames.h"

#include "platform/CheckedQuery.h"
#include "platform/Dao.h"

#include <QCollator>
#include <QLocale>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;
using namespace CheckedQuery;

QStringList LoadClasses(CDaoDatabase& db)
{
    QSqlQuery query(db.Connection());
    query.setForwardOnly(true);
    Prepare(query, u"SELECT DISTINCT COALESCE(class, '') FROM \"user\""_s);
    Exec(query);
    QStringList classes;
    while (query.next())
        classes.append(query.value(0).toString());
    CheckRead(query);
    QCollator collator(QLocale(QLocale::Chinese, QLocale::China));
    collator.setNumericMode(true);
    std::sort(classes.begin(), classes.end(), collator);
    return classes;
}

QString ClassDisplayName(const QString& className)
{
    return className.isEmpty() ? u"(未填班级)"_s : className;
}
