#include "classroom/ClassTasks.h"

#include "platform/CheckedQuery.h"
#include "platform/Dao.h"

using namespace Qt::Literals::StringLiterals;
using namespace CheckedQuery;

CClassReader::CClassReader(CDaoDatabase& db, const CClassTable& table)
    : m_query(db.Prepared(u"SELECT class_name FROM %1 WHERE %2 = ? ORDER BY class_name"_s.arg(
          table.strTable, table.strIdColumn)))
{
}

QStringList CClassReader::Of(qint64 id)
{
    m_query.addBindValue(id);
    Exec(m_query);
    QStringList classes;
    while (m_query.next())
        classes.append(m_query.value(0).toString());
    CheckRead(m_query);
    m_query.finish();
    return classes;
}

namespace ClassTasks {

void SetClasses(CDaoDatabase& db, const CClassTable& table, qint64 id, QStringList classes)
{
    Run(db, u"DELETE FROM %1 WHERE %2 = ?"_s.arg(table.strTable, table.strIdColumn), {id});
    classes.removeDuplicates();
    QSqlQuery insert(db.Connection());
    Prepare(insert, u"INSERT INTO %1 (%2, class_name) VALUES (?, ?)"_s.arg(table.strTable,
                                                                           table.strIdColumn));
    for (const QString& className : std::as_const(classes)) {
        insert.addBindValue(id);
        insert.addBindValue(className);
        Exec(insert);
    }
}

} // namespace ClassTasks
