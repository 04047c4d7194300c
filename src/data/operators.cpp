#include "operators.h"

#include "columnwidths.h"
#include "fault.h"
#include "sql.h"

#include <QSqlQuery>

#include <sodium.h>

namespace velmora {

namespace {

bool sodiumReady()
{
    static const bool ready = sodium_init() >= 0;
    return ready;
}

QByteArray composedUtf8(const QString& password)
{
    return password.normalized(QString::NormalizationForm_C).toUtf8();
}

bool verify(const QByteArray& stored, const QByteArray& utf8)
{
    return crypto_pwhash_str_verify(stored.constData(), utf8.constData(),
                                    static_cast<unsigned long long>(utf8.size())) == 0;
}

// The hash of the password of an operator whose name and level fit their columns and whose
// password passwordProblem() accepts; empty with the reason in *error.
QString checkedHash(const QString& userName, const QString& password, const QString& securityLevel,
                    QString* error)
{
    if (!fitsColumns(u"passwords", {QStringLiteral("user_name"), QStringLiteral("security_level")},
                     {userName, securityLevel}, error))
        return {};
    *error = passwordProblem(password);
    if (!error->isEmpty())
        return {};
    const QString hash = hashPassword(password);
    if (hash.isEmpty())
        *error = QObject::tr("The password could not be protected.");
    return hash;
}

} // namespace

QString passwordProblem(const QString& password)
{
    if (password.isEmpty())
        return QObject::tr("You must supply a password");
    if (password.trimmed().isEmpty())
        return QObject::tr("A password must hold at least one character that is not a space.");
    if (password.contains(QChar(u'\0')))
        return QObject::tr("A password may not hold a NUL character, which cannot be typed.");
    if (password.normalized(QString::NormalizationForm_C).size() > kPasswordMaxLength)
        return QObject::tr("A password may be at most %1 characters long.").arg(kPasswordMaxLength);
    return {};
}

QString hashPassword(const QString& password)
{
    if (!sodiumReady())
        return {};
    const QByteArray utf8 = composedUtf8(password);
    char hash[crypto_pwhash_STRBYTES];
    if (crypto_pwhash_str(hash, utf8.constData(), static_cast<unsigned long long>(utf8.size()),
                          crypto_pwhash_OPSLIMIT_INTERACTIVE,
                          crypto_pwhash_MEMLIMIT_INTERACTIVE) != 0)
        return {};
    return QString::fromLatin1(hash);
}

bool passwordMatches(const QString& hash, const QString& password)
{
    if (!sodiumReady() || hash.isEmpty())
        return false;
    const QByteArray stored = hash.toLatin1();
    const QByteArray composed = composedUtf8(password);
    if (verify(stored, composed))
        return true;
    // A hash made before passwords were composed was made from the text as typed.
    const QByteArray asTyped = password.toUtf8();
    return asTyped != composed && verify(stored, asTyped);
}

LoginCheck checkLogin(const QSqlDatabase& db, const QString& userName, const QString& password)
{
    LoginCheck check;
    QSqlQuery query(db);
    if (!run(query,
             QStringLiteral("select user_name, Password, security_level from passwords "
                            "where user_name = ?"),
             {userName}, &check.error)) {
        check.result = LoginCheck::Result::Error;
        return check;
    }
    if (query.next() && passwordMatches(query.value(1).toString(), password)) {
        check.result = LoginCheck::Result::Accepted;
        check.securityLevel = query.value(2).toString();
    }
    return check;
}

QString highestOperatorLevel() { return QStringLiteral("Boss"); }

bool addOperator(const QSqlDatabase& db, const QString& userName, const QString& password,
                 const QString& securityLevel, QString* error)
{
    const QString hash = checkedHash(userName, password, securityLevel, error);
    if (hash.isEmpty())
        return false;
    QSqlQuery query(db);
    return run(query,
               QStringLiteral("insert into passwords (user_name, Password, security_level) "
                              "values (?, ?, ?)"),
               {userName, hash, securityLevel}, error);
}

std::optional<OperatorRecord> findOperator(const QSqlDatabase& db, const QString& userName,
                                           QString* error)
{
    QSqlQuery query(db);
    if (!run(query,
             QStringLiteral("select user_name, security_level from passwords where user_name = ?"),
             {userName}, error) ||
        !query.next())
        return std::nullopt;
    return OperatorRecord{query.value(0).toString(), query.value(1).toString()};
}

bool saveOperator(const QSqlDatabase& db, const QString& userName, const QString& password,
                  const QString& securityLevel, QString* error)
{
    const QString hash = checkedHash(userName, password, securityLevel, error);
    if (hash.isEmpty())
        return false;
    Transaction transaction(db);
    if (!transaction.begun(error))
        return false;
    QSqlQuery query(db);
    if (!run(query,
             QStringLiteral("update passwords set Password = ?, security_level = ? "
                            "where user_name = ?"),
             {hash, securityLevel, userName}, error))
        return false;
    if (query.numRowsAffected() == 0 &&
        !run(query,
             QStringLiteral("insert into passwords (user_name, Password, security_level) "
                            "values (?, ?, ?)"),
             {userName, hash, securityLevel}, error))
        return false;
    return transaction.commit(error);
}

} // namespace velmora
