#include "users/PasswordHash.h"

#include "platform/DaoException.h"

#include <QRandomGenerator>

#include <sodium.h>

using namespace Qt::Literals::StringLiterals;

namespace {

// OWASP's Argon2id setting of 12 MiB and three passes: about 20 ms a
// password here, so that a login stays quick and an import of a class on
// two cores stays within seconds, while every guess costs an attacker the
// same.
constexpr unsigned long long OpsLimit = 3;
constexpr size_t MemLimit = 12 * 1024 * 1024;

void Initialise()
{
    static const bool ready = sodium_init() >= 0;
    if (!ready)
        throw CDaoException(u"the password library (libsodium) cannot start"_s);
}

} // namespace

namespace PasswordHash {

QString Hash(const QString& password)
{
    Initialise();
    const QByteArray utf8 = password.toUtf8();
    char hash[crypto_pwhash_STRBYTES];
    if (crypto_pwhash_str(hash, utf8.constData(), size_t(utf8.size()), OpsLimit, MemLimit) != 0)
        throw CDaoException(u"out of memory while hashing a password"_s);
    return QString::fromLatin1(hash);
}

bool Verify(const QString& stored, const QString& password)
{
    if (!IsHash(stored))
        return false;
    Initialise();
    const QByteArray hash = stored.toLatin1();
    const QByteArray utf8 = password.toUtf8();
    return crypto_pwhash_str_verify(hash.constData(), utf8.constData(), size_t(utf8.size())) == 0;
}

bool IsHash(const QString& stored)
{
    return stored.startsWith("$argon2id$"_L1) && stored.size() < crypto_pwhash_STRBYTES;
}

QString RandomPassword(int length, const QString& alphabet)
{
    QString password;
    for (int i = 0; i < length; ++i)
        password.append(alphabet.at(QRandomGenerator::system()->bounded(int(alphabet.size()))));
    return password;
}

} // namespace PasswordHash
