#pragma once

#include <QSqlQuery>
#include <QString>
#include <QStringList>

class CDaoDatabase;

// A task set for some classes (an exam, an assignment) keeps its classes in
// a table of its own: the task's id and a class name a row. All throw
// CDaoException.
struct CClassTable
{
    QString strTable;    // "exam_class"
    QString strIdColumn; // "exam_id"
};

// Reads the classes of one task after another with one prepared statement.
class CClassReader
{
public:
    CClassReader(CDaoDatabase& db, const CClassTable& table);
    // The task's classes in name order.
    QStringList Of(qint64 id);

private:
    QSqlQuery& m_query; // kept prepared on the session
};

namespace ClassTasks {

// Reads each task's classes into it.
template <class Task>
void ReadClasses(CDaoDatabase& db, const CClassTable& table, QList<Task>& tasks)
{
    CClassReader reader(db, table);
    for (Task& task : tasks)
        task.classes = reader.Of(task.nId);
}

// Sets the task's classes, each once, in the caller's transaction.
void SetClasses(CDaoDatabase& db, const CClassTable& table, qint64 id, QStringList classes);

} // namespace ClassTasks
