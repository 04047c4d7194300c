#include "accounts.h"

#include "data/fault.h"
#include "data/sql.h"
#include "leadingnumber.h"
#include "mail/mailsettings.h"

#include <QObject>
#include <QSqlError>

namespace velmora {

namespace {

QString selectAccounts(const QString& condition)
{
    return QStringLiteral("select c.account_id, c.account_name, c.contact_name, c.nickname, "
                          "c.invoice_email, %1, c.row_version "
                          "from accounts c join addresses a on c.address_id = a.address_id "
                          "%2 order by c.account_name, c.account_id")
        .arg(addressColumnList(QStringLiteral("a")), condition);
}

AccountRecord readAccount(const QSqlQuery& query)
{
    return {
        .id = query.value(0).toLongLong(),
        .name = readText(query.value(1)),
        .contact = readText(query.value(2)),
        .nickname = readText(query.value(3)),
        .address = readAddress(query, 5),
        .invoiceEmail = readText(query.value(4)),
        .version = query.value(5 + int(kAddressColumns.size())).toLongLong(),
    };
}

std::optional<AccountRecord> firstAccount(const QSqlDatabase& db, const QString& condition,
                                          const QVariantList& values, QString* error)
{
    QSqlQuery query(db);
    if (!run(query, selectAccounts(condition) + QStringLiteral(" limit 1"), values, error) ||
        !query.next())
        return std::nullopt;
    return readAccount(query);
}

// A single space for an empty text.
QVariant spaceWhenEmpty(const Text& text)
{
    return text.value_or(QString()).isEmpty() ? QVariant(QStringLiteral(" ")) : storedText(text);
}

} // namespace

std::optional<QList<AccountRecord>> listAccounts(const QSqlDatabase& db, QString* error)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!run(query, selectAccounts({}), {}, error))
        return std::nullopt;
    QList<AccountRecord> accounts;
    while (query.next())
        accounts.append(readAccount(query));
    if (query.lastError().isValid()) {
        *error = queryFault(query);
        return std::nullopt;
    }
    return accounts;
}

QString accountEntry(const AccountRecord& account)
{
    const QString separator = QStringLiteral(" : ");
    QString entry = QString::number(account.id) + separator + account.name.value_or(QString()) +
                    separator + account.contact.value_or(QString());
    if (account.nickname)
        entry += separator + *account.nickname;
    return entry;
}

qint64 accountIdOfEntry(QStringView entry) { return leadingNumber(entry); }

std::optional<AccountRecord> findAccountById(const QSqlDatabase& db, qint64 id, QString* error)
{
    return firstAccount(db, QStringLiteral("where c.account_id = ?"), {id}, error);
}

std::optional<AccountRecord> findAccount(const QSqlDatabase& db, const QString& name,
                                         const QString& contact, QString* error)
{
    if (contact.isEmpty())
        return firstAccount(db, QStringLiteral("where c.account_name = ?"), {name}, error);
    return firstAccount(db, QStringLiteral("where c.account_name = ? and c.contact_name = ?"),
                        {name, contact}, error);
}

std::optional<qint64> saveAccount(const QSqlDatabase& db, const AccountRecord& account,
                                  QString* error, bool* changedElsewhere)
{
    const QVariant nickname = spaceWhenEmpty(account.nickname);
    const QString email = account.invoiceEmail.value_or(QString()).trimmed();
    if (!email.isEmpty() && !isMailAddress(email)) {
        *error =
            QObject::tr("The e-mail address for invoices '%1' is not an e-mail address").arg(email);
        return std::nullopt;
    }
    const QVariant invoiceEmail = email.isEmpty() ? QVariant() : QVariant(email);
    const RecordWithAddress record{
        .table = QStringLiteral("accounts"),
        .idColumn = QStringLiteral("account_id"),
        .id = account.id,
        .addressType = kAccountAddress,
        .address = account.address,
        .columns = {QStringLiteral("account_name"), QStringLiteral("contact_name"),
                    QStringLiteral("nickname"), QStringLiteral("invoice_email")},
        .newValues = {storedText(account.name), storedText(account.contact), nickname,
                      invoiceEmail},
        .oldValues = {spaceWhenEmpty(account.name), spaceWhenEmpty(account.contact), nickname,
                      invoiceEmail},
        .version = account.version,
        .name = QObject::tr("Account %1").arg(account.id),
    };
    return saveWithAddress(db, record, error, changedElsewhere);
}

} // namespace velmora
