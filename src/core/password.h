#pragma once

#include <QString>

// Operators' passwords are kept as salted slow hashes (Argon2id through
// libsodium), never in clear.
namespace Password {

// The hash to store for a password (as set: callers strip trailing blanks first).
// Empty when hashing failed (out of memory).
QString Hash(const QString &password);

// Whether `typed`, compared as typed, is the password behind `stored`. A
// stored value that is no hash is a password kept in clear by an older
// program: it matches when equal to `typed` after its own trailing blanks go.
bool Matches(const QString &stored, const QString &typed);

// Whether `stored` is one of our hashes (as opposed to a clear password).
bool IsHash(const QString &stored);

// A password an operator may set: 1 to 20 characters, no blanks at either end.
bool IsAcceptable(const QString &password);

} // namespace Password
