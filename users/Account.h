#pragma once

#include <QString>

// The account of a login as the teaching layer reads it (CSession::Account).
struct CAccount
{
    qint64 nKey = 0; // an ordinary user's own row in `user`; 0 for everybody else
    QString strName;
    QString strClass;
    QString strStudentNo;
    int nKind = 0; // UserKind; 0 before any login
};
