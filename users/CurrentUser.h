#pragma once

#include <QString>

// User kind codes; 0 stands for "no login yet".
namespace UserKind {
enum : int {
    Super = 10000,
    Ordinary = 10001,
    Anonymous = 10002,
    NoneChosen = 10003,
};
}

// The process-wide record of the logged-in user.
struct CCurrentUser
{
    QString Name = QStringLiteral("NONE");
    QString Class = QStringLiteral("NONE");
    QString StudentNo = QStringLiteral("0");
    QString Password;
    QString KindText = QStringLiteral("普通用户");
    int KindCode = 0;
    // The hidden key of an ordinary user's own row in `user`, taken at login
    // or registration; 0 for everybody else. Edits and personal queries go
    // by it, never by the first row that carries the name.
    qint64 RowKey = 0;

    // An ordinary user logged in to (or registered) a row of their own; only
    // such a user has personal scores.
    bool IsOrdinaryLogin() const { return KindCode == UserKind::Ordinary && RowKey != 0; }
    // Whether a score row stored under this name and student number is the
    // user's own: a namesake in another class has another number.
    bool OwnsScore(const QString& name, const QString& studentNo) const
    {
        return IsOrdinaryLogin() && name == Name && studentNo == StudentNo;
    }

    // The five texts back to their start values; the kind code is kept.
    void ResetTexts()
    {
        const int code = KindCode;
        *this = CCurrentUser();
        KindCode = code;
    }
};

extern CCurrentUser CurrentUser;
