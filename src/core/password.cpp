#include "core/password.h"

#include "core/textutil.h"

#include <sodium.h>

namespace {

bool ready()
{
    static const bool ok = sodium_init() >= 0;
    return ok;
}
} // namespace

namespace Password {

QString Hash(const QString &password)
{
    if (!ready())
        return QString();
    const QByteArray utf8 = password.toUtf8();
    char out[crypto_pwhash_STRBYTES];
    // Interactive limits: a login stays well under a second on a ward PC.
    if (crypto_pwhash_str(out, utf8.constData(), quint64(utf8.size()), crypto_pwhash_OPSLIMIT_INTERACTIVE,
                          crypto_pwhash_MEMLIMIT_INTERACTIVE) != 0)
        return QString();
    return QString::fromLatin1(out);
}

bool IsHash(const QString &stored)
{
    return stored.startsWith(QLatin1String("$argon2"));
}

bool Matches(const QString &stored, const QString &typed)
{
    if (!IsHash(stored))
        return !stored.isNull() && TrimRight(stored) == typed;
    if (!ready())
        return false;
    const QByteArray hash = stored.toLatin1();
    const QByteArray utf8 = typed.toUtf8();
    return crypto_pwhash_str_verify(hash.constData(), utf8.constData(), quint64(utf8.size())) == 0;
}

bool IsAcceptable(const QString &password)
{
    return !password.isEmpty() && password.size() <= 20 && !password.front().isSpace() && !password.back().isSpace();
}

} // namespace Password
