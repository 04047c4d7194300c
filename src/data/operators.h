#pragma once

#include <QSqlDatabase>
#include <QString>

#include <optional>

namespace velmora {

// The most characters (UTF-16 code units, as a line edit counts them) a password may
// have, the same wherever one is typed.
constexpr int kPasswordMaxLength = 1024;

// Why `password` cannot be set as a password, worded for the operator: it is empty, holds
// nothing but spaces or is longer than kPasswordMaxLength. Empty when it can.
QString passwordProblem(const QString& password);

// Passwords are hashed and checked in Unicode's composed form (NFC), so that the same
// password typed through two input methods matches.

// A salted Argon2id hash of `password` in libsodium's self-describing string form.
// Empty only when the hash could not be made (out of memory).
QString hashPassword(const QString& password);
// True when `password` is the one `hash` was made from.
bool passwordMatches(const QString& hash, const QString& password);

// The highest of the operator levels ("Boss"): the level that may read the audit trail.
QString highestOperatorLevel();

// The outcome of checking a name and password against `passwords`.
struct LoginCheck
{
    enum class Result { Accepted, Refused, Error } result = Result::Refused;
    QString securityLevel; // set when Accepted
    QString error;         // set on Error
};

// Finds the operator by name, in any case, and checks the password exactly.
LoginCheck checkLogin(const QSqlDatabase& db, const QString& userName, const QString& password);

// Appends an operator with a freshly hashed password; a password that passwordProblem()
// refuses is refused here too. False with the reason in *error.
bool addOperator(const QSqlDatabase& db, const QString& userName, const QString& password,
                 const QString& securityLevel, QString* error);

// An operator as stored, without the password hash.
struct OperatorRecord
{
    QString userName;
    QString securityLevel;
};

// The operator with this name, in any case. nullopt when there is none, or on failure with
// the reason in *error (left untouched otherwise).
std::optional<OperatorRecord> findOperator(const QSqlDatabase& db, const QString& userName,
                                           QString* error);

// Gives the operator with this name (in any case) a freshly hashed password and this
// level, adding the operator when there is none; a password that passwordProblem()
// refuses is refused here too. False with the reason in *error.
bool saveOperator(const QSqlDatabase& db, const QString& userName, const QString& password,
                  const QString& securityLevel, QString* error);

} // namespace velmora
