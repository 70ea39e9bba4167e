#pragma once

#include <QString>

// What the account dialogs require of the values they store: the lengths
// their labels state ("最多10位"), so that every password that can be set can
// also be typed into the login box, and names and classes that show as what
// they are. Each check returns the refusal to show, or an empty text when
// the value may be stored.
namespace AccountRules {

constexpr int MaxPasswordChars = 10;
constexpr int MaxStudentNoChars = 10;
// A stored text holds at most 199 bytes in GBK.
constexpr int MaxTextBytes = 199;

QString CheckName(const QString& name);
// A class is required where a teacher files pupils by it.
QString CheckClass(const QString& className);
// Required, digits only (what the number edits accept), at most 10.
QString CheckStudentNo(const QString& number);
// An empty password is refused only where bRequired.
QString CheckPassword(const QString& password, bool bRequired);

// The one rule of the names and classes a teacher files pupils under (the
// class list, its import, a move to another class), as a lab's server
// applies it to every account it makes: CheckName or CheckClass, then only
// letters of the writing systems a school's names use, digits, a middle
// dot, brackets ("初一(2)班") and spaces inside, no letters of two look-alike
// alphabets (Latin, Greek, Cyrillic) in one word, no space before or after.
// Given trimmed text; data/upgrade-17-postgresql.sql holds the server's
// copy (qe_check_visible_text).
QString CheckPupilName(const QString& name);
QString CheckPupilClass(const QString& className);

// Only the characters of a name or a class, for the dialogs that take an
// empty one: no control characters (tab, line feed), no invisible format
// characters (direction overrides, zero-width marks), and something visible
// when not empty. CheckName and CheckClass include these.
QString CheckNameCharacters(const QString& name);
QString CheckClassCharacters(const QString& className);

} // namespace AccountRules
