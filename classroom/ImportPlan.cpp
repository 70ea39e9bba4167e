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

// A quote that ran on over the lines after it: those lines' pupils are
// inside this row's fields, so the row is refused with both lines named.
QString QuoteRefusal(const CClassListRow& row)
{
    if (row.bUnclosed && row.nLastLine > row.nLine)
        return u"第 %1 行的引号到文件末尾(第 %2 行)也没有闭合"_s.arg(row.nLine).arg(row.nLastLine);
    if (row.bUnclosed)
        return u"第 %1 行的引号没有闭合"_s.arg(row.nLine);
    if (row.nLastLine > row.nLine)
        return u"第 %1 行的引号到第 %2 行才闭合"_s.arg(row.nLine).arg(row.nLastLine);
    return {};
}

// A column as a spreadsheet names it: A, B, …, Z, AA, ….
QString ColumnLetters(int column)
{
    QString letters;
    for (int n = column + 1; n > 0; n = (n - 1) / 26)
        letters.prepend(QChar(u'A' + (n - 1) % 26));
    return letters;
}

// Where a refused field was found: its column and, where it shows as what
// it is (nothing invisible that would turn the list's text around), its
// text.
QString Found(int column, const QString& text)
{
    if (column < 0)
        return {};
    const QString where = u"第 %1 列"_s.arg(ColumnLetters(column));
    if (text.isEmpty() || !AccountRules::CheckNameCharacters(text).isEmpty())
        return u"(%1)"_s.arg(where);
    const QString shown = text.size() > 20 ? text.left(20) + u"…"_s : text;
    return u"(%1:“%2”)"_s.arg(where, shown);
}

} // namespace

QList<CImportRow> PlanImport(const QList<CClassListRow>& rows, const QSet<QString>& takenNames,
                             const std::function<QString()>& randomPassword,
                             const QList<int>& columns)
{
    const auto column = [&columns](int field) { return columns.value(field, -1); };
    QList<CImportRow> plan;
    QHash<QString, int> lineOfName; // names accepted so far -> their line
    for (const CClassListRow& row : rows) {
        CImportRow entry;
        entry.source = row;
        entry.pupil = {0, row.strName, row.strClass, row.strStudentNo, row.strPassword};
        QStringList refusals;
        if (const QString quote = QuoteRefusal(row); !quote.isEmpty())
            refusals.append(quote);
        const QStringList fields{row.strName, row.strClass, row.strStudentNo, row.strPassword};
        const QStringList checks{AccountRules::CheckPupilName(row.strName),
                                 AccountRules::CheckPupilClass(row.strClass),
                                 AccountRules::CheckStudentNo(row.strStudentNo),
                                 AccountRules::CheckPassword(row.strPassword, false)};
        for (int field = 0; field < checks.size(); ++field) {
            if (!checks[field].isEmpty())
                refusals.append(Reason(checks[field]) + Found(column(field), fields[field]));
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

CImportPlan PlanImportOf(const QString& path, const QSet<QString>& takenNames,
                         const std::function<QString()>& randomPassword, CReadProgress* progress)
{
    CImportPlan plan;
    const CClassListFile list = ReadClassList(path, progress);
    plan.strEncoding = list.strEncoding;
    plan.strError = list.strError;
    plan.bCancelled = list.bCancelled;
    if (plan.strError.isEmpty() && !plan.bCancelled)
        plan.rows = PlanImport(list.rows, takenNames, randomPassword, list.columns);
    return plan;
}
