#include "course/CourseClassModel.h"

#include "classroom/ClassNames.h"

using namespace Qt::Literals::StringLiterals;

CCourseClassModel::CCourseClassModel(const QString& className, const CCourse& course,
                                     QList<CourseStore::CPupilCourse> rows)
    : m_strClass(className), m_course(course), m_rows(std::move(rows))
{
}

QString CCourseClassModel::Title() const
{
    return u"%1 %2进度"_s.arg(ClassDisplayName(m_strClass), m_course.strTitle);
}

QStringList CCourseClassModel::Header() const
{
    return {u"学号"_s, u"姓名"_s,     u"学到第几课"_s, u"已过关"_s,
            u"星数"_s, u"练习次数"_s, u"最近练习"_s};
}

QList<CExportCell> CCourseClassModel::RowCells(int row) const
{
    const CourseStore::CPupilCourse& pupil = m_rows[row];
    const bool practised = pupil.lastAt.isValid();
    return {CExportCell::Text(pupil.pupil.strStudentNo),
            CExportCell::Text(pupil.pupil.strName),
            practised ? CExportCell::Integer(pupil.nReached) : CExportCell(),
            CExportCell::Integer(pupil.nPassed),
            CExportCell::Integer(pupil.nStars),
            CExportCell::Integer(pupil.nAttempts),
            practised ? CExportCell::Text(pupil.lastAt.toString(u"yyyy-MM-dd HH:mm"_s))
                      : CExportCell::Text(u"还没有练习"_s)};
}

QList<QStringList> CCourseClassModel::RowTexts() const
{
    QList<QStringList> rows;
    for (int row = 0; row < RowCount(); ++row)
        rows.append(DisplayTexts(RowCells(row)));
    return rows;
}

CExportTable CCourseClassModel::ExportTable() const
{
    CExportTable table;
    table.strTitle = Title();
    table.strSheetName = ClassDisplayName(m_strClass);
    table.header = Header();
    for (int row = 0; row < RowCount(); ++row)
        table.rows.append(RowCells(row));
    return table;
}
