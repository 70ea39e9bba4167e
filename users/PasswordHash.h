#pragma once

#include <QString>

// Passwords kept in a database file: a salted, deliberately slow Argon2id
// hash (libsodium) in the account's password field, never the password.
namespace PasswordHash {

// A new hash of password (with a random salt of its own).
QString Hash(const QString& password);
// Whether password is the one stored hashed; exact, as the login compares.
bool Verify(const QString& stored, const QString& password);
// Whether a stored field already holds a hash rather than a password.
bool IsHash(const QString& stored);
// A new password of length characters drawn from alphabet by the system's
// random source.
QString RandomPassword(int length, const QString& alphabet);

} // namespace PasswordHash
