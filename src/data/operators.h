#pragma once

#include <QSqlDatabase>
#include <QString>

#include <optional>

namespace velmora {

// A salted Argon2id hash of `password` in libsodium's self-describing string form.
// Empty only when the hash could not be made (out of memory).
QString hashPassword(const QString& password);
// True when `password` is the one `hash` was made from.
bool passwordMatches(const QString& hash, const QString& password);

// The outcome of checking a name and password against `passwords`.
struct LoginCheck
{
    enum class Result { Accepted, Refused, Error } result = Result::Refused;
    QString securityLevel; // set when Accepted
    QString error;         // set on Error
};

// Finds the operator by name, in any case, and checks the password exactly.
LoginCheck checkLogin(const QSqlDatabase& db, const QString& userName, const QString& password);

// Appends an operator with a freshly hashed password. False with the reason in *error.
bool addOperator(const QSqlDatabase& db, const QString& userName, const QString& password,
                 const QString& securityLevel, QString* error);

} // namespace velmora
