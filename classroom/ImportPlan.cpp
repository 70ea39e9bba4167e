#include "classroom/ImportPlan.h"

#include "users/AccountRules.h"

#include <QHash>

using namespace Qt::Literals::StringLiterals;

namespace {

// "学号最多10位,请重新输入!" as a reason in a list: "学号最多10位".
QString Reason(const QString& refusal)
{
    return refusal.section(u',', 0, 0);
}

} // namespace

QList<CImportRow> PlanImport(const QList<CClassListRow>& rows, const QSet<QString>& takenNames,
                             const std::function<QString()>& randomPassword)
{
    QList<CImportRow> plan;
    QHash<QString, int> lineOfName; // names accepted so far -> their line
    for (const CClassListRow& row : rows) {
        CImportRow entry;
        entry.source = row;
        entry.pupil = {0, row.strName, row.strClass, row.strStudentNo, row.strPassword};
        QStringList refusals;
        for (const QString& refusal :
             {AccountRules::CheckName(row.strName), AccountRules::CheckClass(row.strClass),
              AccountRules::CheckStudentNo(row.strStudentNo),
              AccountRules::CheckPassword(row.strPassword, false)}) {
            if (!refusal.isEmpty())
                refusals.append(Reason(refusal));
        }
        if (!row.strName.isEmpty()) {
            if (takenNames.contains(row.strName))
                refusals.append(u"数据库中已有同名学生"_s);
            else if (lineOfName.contains(row.strName))
                refusals.append(u"与文件第 %1 行重名"_s.arg(lineOfName.value(row.strName)));
        }
        entry.strRefusal = refusals.join(u";"_s);
        if (entry.IsAccepted()) {
            lineOfName.insert(row.strName, row.nLine);
            if (row.strPassword.isEmpty()) {
                entry.pupil.strPassword = randomPassword();
                entry.bRandomPassword = true;
            }
        }
        plan.append(entry);
    }
    return plan;
}
