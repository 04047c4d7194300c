#pragma once

#include "addressrecord.h"

#include <QList>
#include <QSqlDatabase>
#include <QStringView>

namespace velmora {

// A customer account with its address row.
struct AccountRecord
{
    qint64 id = 0;
    Text name, contact, nickname;
    Address address;
    Text invoiceEmail; // where its invoices are e-mailed; none: printed
    // Its row version as read; none: saved over whatever version it is at.
    std::optional<qint64> version;
};

// Every account whose address row exists, by name: the account screen's list.
// nullopt with the reason in *error when the database cannot be read.
std::optional<QList<AccountRecord>> listAccounts(const QSqlDatabase& db, QString* error);

// The list entry of an account: "id : name : contact", then " : nickname" when the
// nickname is not NULL.
QString accountEntry(const AccountRecord& account);
// The account id at the start of a list entry, every digit of it; 0 when the entry does
// not start with a number.
qint64 accountIdOfEntry(QStringView entry);

// The listed account (one whose address row exists) with this id. nullopt when there is
// none, or on failure with the reason in *error (left untouched otherwise).
std::optional<AccountRecord> findAccountById(const QSqlDatabase& db, qint64 id, QString* error);
// The first listed account, by name, with this name and, when `contact` is not empty, this
// contact; text compares as the database compares it, without regard to case.
// Not found and failure as findAccountById().
std::optional<AccountRecord> findAccount(const QSqlDatabase& db, const QString& name,
                                         const QString& contact, QString* error);

// Saves the account screen's fields in one transaction: when `account.id` names an
// account, that account (name, contact, nickname) and its address row are updated in
// place; otherwise a new address row and a new account that owns it are added. An empty
// nickname is stored as a single space, and so are an empty name and contact of an
// existing account; a new account keeps its name and contact as typed. An empty invoice
// address is stored as none; one that is not an e-mail address is refused. An account
// read at a version is saved only while it is still at it (saveWithAddress()). Returns the
// account's id, or nullopt with the reason in *error and nothing written.
std::optional<qint64> saveAccount(const QSqlDatabase& db, const AccountRecord& account,
                                  QString* error, bool* changedElsewhere = nullptr);

} // namespace velmora
