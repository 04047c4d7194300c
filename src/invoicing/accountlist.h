#pragma once

#include <QList>
#include <QSqlDatabase>
#include <QString>

#include <cstdint>

namespace velmora {

// An account as the invoice run's account choice lists it.
struct AccountEntry
{
    std::int64_t id = 0;
    QString name;
    QString contact;
};

// Every account in order of account_id (then name and contact); false with the reason
// in *error.
bool readAccountList(const QSqlDatabase& db, QList<AccountEntry>* accounts, QString* error);

// The text of the account's entry in a drop-down list: "name : contact".
QString accountEntryText(const AccountEntry& account);

// The account name in a list entry: the characters before its first ":" less the last of
// them (the blank before the colon); the whole text when it has no colon.
QString nameOfEntry(const QString& entry);

// The first account of `accounts` named `name` (compared without case), or null.
const AccountEntry* findAccount(const QList<AccountEntry>& accounts, const QString& name);

// The first and last accounts of a run chosen by name; a name that is empty or no longer
// on file falls back to the first account (start) or the last (end).
struct ChosenRange
{
    AccountEntry start;
    AccountEntry end;
};
// `accounts` must not be empty.
ChosenRange chooseRange(const QList<AccountEntry>& accounts, const QString& startName,
                        const QString& endName);

} // namespace velmora
