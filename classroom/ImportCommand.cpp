#include "classroom/ImportCommand.h"

#include "classroom/ClassListFile.h"
#include "classroom/ImportPlan.h"
#include "classroom/PupilStore.h"
#include "platform/Dao.h"
#include "platform/DaoErrorText.h"

#include <QFileInfo>
#include <QTextStream>

using namespace Qt::Literals::StringLiterals;

namespace {

QString CsvField(QString text)
{
    // Quoted where a reader would split it, and never read as a formula.
    if (!text.isEmpty() && QStringView(u"=+-@\t\r").contains(text.front()))
        text.prepend(u'\'');
    if (text.contains(u',') || text.contains(u'"') || text.contains(u'\n') || text.contains(u'\r'))
        return u'"' + text.replace(u'"', u"\"\""_s) + u'"';
    return text;
}

} // namespace

int RunImportClassListCommand(const QStringList& arguments)
{
    QTextStream out(stdout);
    QTextStream err(stderr);
    const qsizetype at = arguments.indexOf(u"--import-class-list"_s);
    const qsizetype database = arguments.indexOf(u"--database"_s);
    if (at < 0 || at + 1 >= arguments.size() || arguments.at(at + 1).startsWith("--"_L1) ||
        (database >= 0 && database + 1 >= arguments.size())) {
        err << "usage: qe [--database URL] --import-class-list FILE\n";
        return 2;
    }
    if (database >= 0)
        CDaoDatabase::SetTarget(arguments.at(database + 1));
    const QString path = arguments.at(at + 1);
    const QString fileName = QFileInfo(path).fileName();

    const CClassListFile list = ReadClassList(path);
    if (!list.strError.isEmpty()) {
        err << u"无法导入“%1”:%2。没有写入任何内容。\n"_s.arg(fileName, list.strError);
        return 1;
    }
    CDaoDatabase db;
    QList<CImportRow> plan;
    try {
        db.Open(CDaoDatabase::DefaultTarget());
        plan = PlanImport(list.rows, PupilStore::PupilNames(db), &PupilStore::RandomPassword,
                          list.columns);
    } catch (const CDaoException& e) {
        err << u"错误信息:%1\n"_s.arg(ExplainDaoError(e.GetErrorMessage()));
        return 1;
    }
    QList<CPupil> pupils;
    int refused = 0;
    for (const CImportRow& row : std::as_const(plan)) {
        if (row.IsAccepted()) {
            pupils.append(row.pupil);
            continue;
        }
        ++refused;
        err << u"第 %1 行(%2):%3\n"_s.arg(row.source.nLine).arg(row.source.strName, row.strRefusal);
    }
    if (refused > 0) {
        err << u"“%1”有 %2 行不能导入,没有导入任何学生。\n"_s.arg(fileName).arg(refused);
        return 1;
    }
    if (pupils.isEmpty()) {
        err << u"“%1”中没有学生。\n"_s.arg(fileName);
        return 1;
    }
    try {
        PupilStore::AddAll(db, pupils);
    } catch (const CDaoException& e) {
        err << u"错误信息:%1\n"_s.arg(ExplainDaoError(e.GetErrorMessage()));
        return 1;
    }
    out << u"姓名,班级,学号,密码\n"_s;
    for (const CPupil& pupil : std::as_const(pupils))
        out << QStringList{CsvField(pupil.strName), CsvField(pupil.strClass),
                           CsvField(pupil.strStudentNo), CsvField(pupil.strPassword)}
                   .join(u',')
            << u'\n';
    err << u"已导入 %1 名学生。\n"_s.arg(pupils.size());
    return 0;
}
