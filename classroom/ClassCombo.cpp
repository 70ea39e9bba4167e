#include "classroom/ClassCombo.h"

#include "attempts/ClassReport.h"
#include "classroom/ClassNames.h"
#include "platform/Platform.h"
#include "users/Database.h"
#include "users/Session.h"

#include <QComboBox>

bool FillClassCombo(const CSession& session, QComboBox* combo)
{
    CDaoDatabase* db = session.GuardedDatabase();
    if (!db)
        return false;
    try {
        for (const QString& className : LoadClasses(*db))
            combo->addItem(ClassDisplayName(className), className);
    } catch (const CDaoException& e) {
        ReportDaoError(e);
        return false;
    }
    return true;
}
