#pragma once

#include <QString>
#include <QtGlobal>

// A pupil's account (a row of `user`) as the teacher's tools see it.
struct CPupil
{
    qint64 nKey = 0; // the row's hidden key, which the attempts carry
    QString strName;
    QString strClass;
    QString strStudentNo;
    // Only a password being set (a new pupil, a reset): what is stored can
    // never be read back.
    QString strPassword;
};
