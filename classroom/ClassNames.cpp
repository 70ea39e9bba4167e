#include "classroom/ClassNames.h"

#include "platform/CheckedQuery.h"
#include "platform/Dao.h"

#include <QCollator>
#include <QLocale>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;
using namespace CheckedQuery;

namespace {

QCollator ClassCollator()
{
    QCollator collator(QLocale(QLocale::Chinese, QLocale::China));
    collator.setNumericMode(true);
    return collator;
}

} // namespace

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
    std::sort(classes.begin(), classes.end(), ClassCollator());
    return classes;
}

QList<CClassSize> LoadClassSizes(CDaoDatabase& db)
{
    QSqlQuery query(db.Connection());
    query.setForwardOnly(true);
    Prepare(query, u"SELECT COALESCE(class, ''), COUNT(*) FROM \"user\" "
                   "GROUP BY COALESCE(class, '')"_s);
    Exec(query);
    QList<CClassSize> sizes;
    while (query.next())
        sizes.append({query.value(0).toString(), query.value(1).toInt()});
    CheckRead(query);
    const QCollator collator = ClassCollator();
    std::sort(sizes.begin(), sizes.end(), [&collator](const CClassSize& a, const CClassSize& b) {
        return collator.compare(a.strClass, b.strClass) < 0;
    });
    return sizes;
}

QString ClassSizeName(const CClassSize& size)
{
    const QString name = ClassDisplayName(size.strClass);
    return size.nPupils == 1 ? u"%1(只有 1 人)"_s.arg(name)
                             : u"%1(%2 人)"_s.arg(name).arg(size.nPupils);
}

QString ClassDisplayName(const QString& className)
{
    return className.isEmpty() ? u"(未填班级)"_s : className;
}
