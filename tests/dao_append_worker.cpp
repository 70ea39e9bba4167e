// Appends rows to the user table of a database, one store at a time, as a
// second program using the same database would: dao_append_worker TARGET TAG COUNT.
#include "platform/Dao.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

using namespace Qt::Literals::StringLiterals;

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() != 4)
        return 2;
    try {
        CDaoDatabase db;
        db.Open(arguments[1]);
        CDaoTableDef tableDef(&db);
        tableDef.Open(u"user"_s);
        const int nCount = arguments[3].toInt();
        for (int i = 0; i < nCount; ++i) {
            CDaoRecordset rs(&db);
            rs.Open(&tableDef, dbOpenDynaset, dbAppendOnly | dbInconsistent);
            rs.AddNew();
            rs.SetFieldValue(0, arguments[2]);
            rs.SetFieldValue(1, QString::number(i));
            rs.Update();
        }
    } catch (const CDaoException& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
