#pragma once

#include <QString>

// What the account dialogs require of the values they store: the lengths
// their labels state ("最多10位"), so that every password that can be set can
// also be typed into the login box. Each check returns the refusal to show,
// or an empty text when the value may be stored.
namespace AccountRules {

constexpr int MaxPasswordChars = 10;
constexpr int MaxStudentNoChars = 10;

QString CheckName(const QString& name);
QString CheckStudentNo(const QString& number);
// An empty password is refused only where bRequired.
QString CheckPassword(const QString& password, bool bRequired);

} // namespace AccountRules
