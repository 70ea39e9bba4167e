#include "scores/OwnScores.h"

#include "platform/CheckedQuery.h"
#include "platform/Dao.h"
#include "users/CurrentUser.h"
#include "users/ServerAccounts.h"

using namespace Qt::Literals::StringLiterals;

namespace OwnScores {

bool ByKey(const CDaoDatabase& db)
{
    return ServerAccounts::IsPupilSession(db);
}

CDaoCriteria Criteria(const CDaoDatabase& db)
{
    if (ByKey(db))
        return {};
    return {{0, CurrentUser.Name}, {1, CurrentUser.StudentNo}};
}

void Limit(const CDaoDatabase& db, CDaoSelection& selection)
{
    if (ByKey(db))
        selection.AddCondition(
            u"qe_key IN (SELECT score_key FROM score_owner WHERE user_key = ?)"_s,
            CurrentUser.RowKey);
}

int DeleteBatch(CDaoDatabase& db, qint64 keyBound, int nBatch)
{
    QSqlQuery& call = db.Prepared(u"SELECT qe_clear_my_scores(?, ?)"_s);
    call.bindValue(0, keyBound);
    call.bindValue(1, nBatch);
    CheckedQuery::Exec(call);
    CheckedQuery::NextRow(call);
    const int nDeleted = call.value(0).toInt();
    call.finish();
    return nDeleted;
}

} // namespace OwnScores
