#pragma once

#include "course/CourseStore.h"
#include "documents/ExportTable.h"

// A class's standing in a course as the teacher's view shows and exports
// it: one row per pupil, pupils who typed no lesson included.
class CCourseClassModel
{
public:
    CCourseClassModel(const QString& className, const CCourse& course,
                      QList<CourseStore::CPupilCourse> rows);

    QString Title() const;
    QStringList Header() const;
    int RowCount() const { return int(m_rows.size()); }
    QList<CExportCell> RowCells(int row) const;
    QList<QStringList> RowTexts() const;
    CExportTable ExportTable() const;

private:
    QString m_strClass;
    const CCourse& m_course;
    QList<CourseStore::CPupilCourse> m_rows;
};
