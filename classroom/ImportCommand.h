#pragma once

#include <QStringList>

// "qe [--database URL] --import-class-list FILE": the administrator's import
// of a class list (.csv or .xlsx), with the rules, refusals and single
// transaction of 导入学生名单. The pupils added go to standard output as CSV
// (姓名, 班级, 学号, 密码; passwords made where the file has none), for the
// login cards. When any row is refused nothing is added: the rows and their
// reasons go to standard error. Returns the exit status.
int RunImportClassListCommand(const QStringList& arguments);
